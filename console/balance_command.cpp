#include "balance_command.h"

#include "SysUtils.h"

std::uint8_t balanceNumberByte(const std::string& gbkText) {
    const std::int64_t number = Trunc(StrToFloat(gbkText));
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>(number) & 0xFF);
}

std::array<std::uint8_t, 2> commandMessage(const std::string& gbkBalanceNumber, char letter) {
    return {balanceNumberByte(gbkBalanceNumber), static_cast<std::uint8_t>(letter)};
}
