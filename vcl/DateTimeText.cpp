#include "DateTimeText.h"

#include "QtText.h"

#include <QLocale>

namespace {

struct FormatSettings {
    bool loaded = false;
    QString shortDate;
    QString longTime;
};

FormatSettings& settings() {
    static FormatSettings values;
    return values;
}

std::function<TDateTime()>& installedClock() {
    static std::function<TDateTime()> installed;
    return installed;
}

// The platform's long time has no zone; Qt's does ("h:mm:ss AP t"). Drops every run of 't'
// outside quoted literals, with the blanks that set it apart.
QString withoutTimeZone(const QString& Format) {
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < Format.size(); ++i) {
        const QChar c = Format.at(i);
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't') {
            out += c;
            continue;
        }
        while (i + 1 < Format.size() && Format.at(i + 1) == u't')
            ++i;
        while (out.endsWith(u' '))
            out.chop(1);
        while (i + 1 < Format.size() && Format.at(i + 1) == u' ')
            ++i;
        if (!out.isEmpty() && i + 1 < Format.size())
            out += u' ';
    }
    return out.trimmed();
}

const FormatSettings& loadedSettings() {
    if (!settings().loaded)
        loadFormatSettings();
    return settings();
}

} // namespace

void loadFormatSettings() {
    const QLocale locale;
    FormatSettings& values = settings();
    values.shortDate = locale.dateFormat(QLocale::ShortFormat);
    values.longTime = withoutTimeZone(locale.timeFormat(QLocale::LongFormat));
    values.loaded = true;
}

std::string shortDateFormat() {
    return loadedSettings().shortDate.toStdString();
}

std::string longTimeFormat() {
    return loadedSettings().longTime.toStdString();
}

TDateTime Now() {
    return installedClock() ? installedClock()() : QDateTime::currentDateTime();
}

std::string DateTimeToStr(const TDateTime& Value) {
    const FormatSettings& values = loadedSettings();
    const QLocale locale;
    QString text = locale.toString(Value.date(), values.shortDate);
    const QTime time = Value.time();
    // Milliseconds do not count: the first second after midnight shows the date alone.
    if (time.hour() != 0 || time.minute() != 0 || time.second() != 0)
        text += u' ' + locale.toString(time, values.longTime);
    return fromQt(text);
}

void setClockForTesting(std::function<TDateTime()> Clock) {
    installedClock() = std::move(Clock);
}
