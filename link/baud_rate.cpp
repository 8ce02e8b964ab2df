#include "CommTypes.h"

#include <array>

std::uint32_t baudRateBits(int rate) {
    static constexpr std::array<std::uint32_t, 15> bits = {110,   300,   600,    1200,   2400,
                                                           4800,  9600,  14400,  19200,  38400,
                                                           56000, 57600, 115200, 128000, 256000};
    if (rate < 0 || rate >= static_cast<int>(bits.size()))
        return 115200;
    return bits[static_cast<std::size_t>(rate)];
}
