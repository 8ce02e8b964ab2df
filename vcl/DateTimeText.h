// The current local time and its text form: short date, then a blank and the long time unless
// hours, minutes and seconds are all zero.
#pragma once

#include <QDateTime>
#include <functional>
#include <string>

using TDateTime = QDateTime;

TDateTime Now();
// GBK.
std::string DateTimeToStr(const TDateTime& Value);

// The user's formats are read once, at start-up; tests reload them after changing the locale.
void loadFormatSettings();
// Qt format strings without any time-zone part: "yyyy-M-d", "H:mm:ss".
std::string shortDateFormat();
std::string longTimeFormat();

// While set, Now() asks this clock.
void setClockForTesting(std::function<TDateTime()> Clock);
