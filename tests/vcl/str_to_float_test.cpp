#include "SysUtils.h"

#include <QLocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

class LocaleScope {
public:
    explicit LocaleScope(const QLocale& Locale) { QLocale::setDefault(Locale); }
    ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
};

TEST(StrToFloat, ReadsTheLocalesNotation) {
    LocaleScope c(QLocale::c());
    const struct {
        const char* text;
        double value;
    } cases[] = {{"50", 50}, {"12.7", 12.7}, {" 5 ", 5},   {"-5", -5},    {"+3", 3},
                 {"0", 0},   {"1e3", 1000},  {"999", 999}, {"  0.5", 0.5}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(StrToFloat(c.text), c.value) << c.text;
}

TEST(StrToFloat, RefusesWhatIsNotANumberWithThePlatformsText) {
    LocaleScope c(QLocale::c());
    const char* cases[] = {"",    "abc", "12.7.1", "1,000", "12,7", "\t5",  "5\n",
                           "inf", "nan", "1e999",  " ",     "5 5",  "0x10", "\xB0\xA1"}; // 啊
    for (const char* text : cases) {
        try {
            StrToFloat(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "'" + std::string(text) + "' is not a valid floating point value");
        }
    }
}

TEST(StrToFloat, FollowsAGermanLocalesComma) {
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_DOUBLE_EQ(StrToFloat("12,7"), 12.7);
    EXPECT_THROW(StrToFloat("12.7"), EConvertError);
}

TEST(Trunc, TowardZeroAndClearFailuresOutsideTheRange) {
    EXPECT_EQ(Trunc(12.7), 12);
    EXPECT_EQ(Trunc(-12.7), -12);
    EXPECT_EQ(Trunc(-0.5), 0);
    EXPECT_EQ(Trunc(-9223372036854775808.0), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(Trunc(9223372036854774784.0), 9223372036854774784);
    for (const double bad :
         {9223372036854775808.0, -9223372036854777856.0, 1e300,
          std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity()})
        EXPECT_THROW(Trunc(bad), EInvalidOp) << bad;
}

} // namespace
