// The two-byte command message: the balance number, then the command letter.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// Letters the balance understands.
inline constexpr char TareLetter = 't';
inline constexpr char CalibrateLetter = 'v';
inline constexpr char UnitLetter = 'u';
inline constexpr char CountLetter = 'c';
inline constexpr char SampleLetter = 's';

// The typed balance number, truncated toward zero, of which the lowest 8 bits count (256 gives
// 0, 300 gives 0x2C). Raises EConvertError for text that is not a number.
std::uint8_t balanceNumberByte(const std::string& gbkText);

std::array<std::uint8_t, 2> commandMessage(const std::string& gbkBalanceNumber, char letter);
