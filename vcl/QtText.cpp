#include "QtText.h"

#include "gbk_text.h"

QString toQt(const std::string& Gbk) {
    return QString::fromStdString(gbkToUtf8(Gbk));
}

std::string fromQt(const QString& Text) {
    return utf8ToGbk(Text.toStdString());
}

std::string fromQtAsSet(const QString& Shown, const std::string& SetGbk) {
    return Shown == toQt(SetGbk) ? SetGbk : fromQt(Shown);
}

int gbkLength(const QString& Text) {
    return static_cast<int>(fromQt(Text).size());
}
