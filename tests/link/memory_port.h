// A port that never opens: received bytes come from memory and written bytes go to memory, so a
// test runs the notification itself and knows exactly what each step saw.
#pragma once

#include "Comm32.h"

#include <algorithm>
#include <cstdint>
#include <vector>

class MemoryPort : public TComm32 {
public:
    std::vector<std::uint8_t> pending;
    std::vector<std::uint8_t> written;
    std::uint32_t writeLimit = UINT32_MAX; // most bytes one Write takes

    std::uint32_t Read(void* Buffer, std::uint32_t n) override {
        const std::uint32_t k = std::min<std::uint32_t>(n, std::uint32_t(pending.size()));
        std::copy_n(pending.begin(), k, static_cast<std::uint8_t*>(Buffer));
        pending.erase(pending.begin(), pending.begin() + k);
        return k;
    }
    std::uint32_t Write(const void* Buffer, std::uint32_t n) override {
        const std::uint32_t k = std::min(n, writeLimit);
        const auto* b = static_cast<const std::uint8_t*>(Buffer);
        written.insert(written.end(), b, b + k);
        return k;
    }
};
