// The balance's reply texts: always exactly eleven characters, as the window expects.
#pragma once

#include <string>

inline constexpr std::size_t ReadingTextLength = 11;

// A weighing unit: its symbol and how many grams make one of it. The digits left after sign,
// decimal point and symbol are shared between whole and fractional parts by `decimals`.
struct WeighingUnit {
    const char* symbol;
    double gramsPerUnit;
    int decimals;
};

// Sign, zero-padded digits with a decimal point, unit symbol: "+0012.3456g", "-00.01235kg".
// Values too large for the width saturate at all nines, so the text never grows.
std::string formatWeightText(double grams, const WeighingUnit& unit);

// Pieces in count mode: sign, seven digits, "pcs" ("+0000123pcs"); saturates like weights.
std::string formatCountText(long long pieces);
