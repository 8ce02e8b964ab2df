#include "reading_text.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Sign plus zero-padded magnitude of `digits` digits, with a point before the last `decimals`.
std::string signedDigits(bool negative, long double magnitude, int digits, int decimals) {
    long double limit = std::pow(10.0L, digits) - 1;
    long double scaled = std::round(magnitude * std::pow(10.0L, decimals));
    if (!(scaled <= limit)) // also catches NaN
        scaled = limit;
    const auto value = static_cast<unsigned long long>(scaled);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*llu", digits, value);
    std::string text(1, negative && value != 0 ? '-' : '+');
    const int whole = digits - decimals;
    text.append(buf, whole);
    if (decimals > 0) {
        text += '.';
        text.append(buf + whole, decimals);
    }
    return text;
}

} // namespace

std::string formatWeightText(double grams, const WeighingUnit& unit) {
    const int symbolLength = static_cast<int>(std::strlen(unit.symbol));
    const int digits = static_cast<int>(ReadingTextLength) - 2 - symbolLength;
    const long double value = static_cast<long double>(grams) / unit.gramsPerUnit;
    return signedDigits(value < 0, std::fabs(value), digits, unit.decimals) + unit.symbol;
}

std::string formatCountText(long long pieces) {
    const int digits = static_cast<int>(ReadingTextLength) - 1 - 3;
    return signedDigits(pieces < 0, std::fabs(static_cast<long double>(pieces)), digits, 0) + "pcs";
}
