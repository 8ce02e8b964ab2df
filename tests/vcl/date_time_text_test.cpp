#include "DateTimeText.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

class DateTimeText : public ::testing::Test {
protected:
    void use(const QLocale& Locale) {
        QLocale::setDefault(Locale);
        loadFormatSettings();
    }
    void TearDown() override {
        setClockForTesting(nullptr);
        QLocale::setDefault(QLocale::c());
        loadFormatSettings();
    }
    static TDateTime at(int Y, int Mo, int D, int H, int Mi, int S, int Ms = 0) {
        return TDateTime(QDate(Y, Mo, D), QTime(H, Mi, S, Ms));
    }
};

TEST_F(DateTimeText, ShortDateBlankLongTimeWithoutTheZone) {
    use(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(longTimeFormat().find('t'), std::string::npos) << longTimeFormat();
    const std::string expected =
        QLocale()
            .toString(QDate(2024, 5, 6), QString::fromStdString(shortDateFormat()))
            .toStdString() +
        " 9:03:07 AM";
    EXPECT_EQ(DateTimeToStr(at(2024, 5, 6, 9, 3, 7)), expected);
}

TEST_F(DateTimeText, MidnightShowsTheDateAloneMillisecondsDoNotCount) {
    use(QLocale(QLocale::English, QLocale::UnitedStates));
    const std::string date = DateTimeToStr(at(2024, 5, 6, 0, 0, 0));
    EXPECT_EQ(date.find(' '), std::string::npos) << date;
    EXPECT_EQ(DateTimeToStr(at(2024, 5, 6, 0, 0, 0, 999)), date);
    EXPECT_EQ(DateTimeToStr(at(2024, 5, 6, 0, 0, 1)), date + " 12:00:01 AM");
    EXPECT_EQ(DateTimeToStr(at(2024, 5, 6, 0, 1, 0)), date + " 12:01:00 AM");
}

TEST_F(DateTimeText, ChineseLocaleComesOutInGbk) {
    use(QLocale(QLocale::Chinese, QLocale::China));
    const std::string text = DateTimeToStr(at(2024, 5, 6, 15, 3, 7));
    // Qt's Chinese long time carries a zone and a half-day mark; neither the zone nor UTF-8
    // bytes may reach the text.
    EXPECT_EQ(text.find("\xE4"), std::string::npos);
    EXPECT_NE(text.find("2024"), std::string::npos) << text;
    EXPECT_NE(text.find("3:07"), std::string::npos) << text;
}

TEST_F(DateTimeText, NowAsksTheInstalledClock) {
    setClockForTesting([] { return at(2030, 1, 2, 3, 4, 5); });
    EXPECT_EQ(Now(), at(2030, 1, 2, 3, 4, 5));
    setClockForTesting(nullptr);
    EXPECT_LE(std::abs(Now().secsTo(QDateTime::currentDateTime())), 5);
}

} // namespace
