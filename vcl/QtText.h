// GBK texts of the interface meet the widgets' Unicode here, and only here.
#pragma once

#include <QString>
#include <string>

QString toQt(const std::string& Gbk);
std::string fromQt(const QString& Text);
// Length in GBK bytes: what the length limits count.
int gbkLength(const QString& Text);
