// Conversions between UTF-8 and the GBK code page (glibc iconv). Every text the tool shows or
// stores is GBK; only sources and widgets speak UTF-8.
#pragma once

#include <string>
#include <string_view>

// Characters GBK cannot hold become '?'.
std::string utf8ToGbk(std::string_view Utf8);
// Bytes that do not decode become U+FFFD, so nothing vanishes silently.
std::string gbkToUtf8(std::string_view Gbk);
