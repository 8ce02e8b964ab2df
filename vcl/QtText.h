// GBK texts of the interface meet the widgets' Unicode here, and only here.
#pragma once

#include <QString>
#include <string>

QString toQt(const std::string& Gbk);
std::string fromQt(const QString& Text);
// What a field shows, as GBK. Bytes the program set that do not survive the round trip through
// Unicode read back as set while the field still shows them.
std::string fromQtAsSet(const QString& Shown, const std::string& SetGbk);
// Length in GBK bytes: what the length limits count.
int gbkLength(const QString& Text);
