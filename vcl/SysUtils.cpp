#include "SysUtils.h"

#include "QtText.h"

#include <QLocale>
#include <cmath>

double StrToFloat(const std::string& Gbk) {
    // The platform skips blanks around the number, and only blanks.
    QString text = toQt(Gbk);
    while (text.startsWith(u' '))
        text.remove(0, 1);
    while (text.endsWith(u' '))
        text.chop(1);
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = text.isEmpty() || text.front().isSpace() || text.back().isSpace()
                             ? 0.0
                             : locale.toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        throw EConvertError("'" + Gbk + "' is not a valid floating point value");
    return value;
}

std::int64_t Trunc(double Value) {
    // 2^63: the first value beyond the range; the range's low end, -2^63, is exact.
    constexpr double limit = 9223372036854775808.0;
    if (!std::isfinite(Value) || Value >= limit || Value < -limit)
        throw EInvalidOp("Invalid floating point operation");
    return static_cast<std::int64_t>(Value);
}
