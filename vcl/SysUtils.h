// Text-to-number conversion and truncation as the console reads its number fields.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// Messages are GBK texts, shown as they are in the error box.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class EInvalidOp : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A decimal number in the locale's notation (no group separators), blanks around it allowed.
// Raises EConvertError "'<text>' is not a valid floating point value" otherwise, the empty text
// and values beyond the double range included.
double StrToFloat(const std::string& Gbk);

// Toward zero. Raises EInvalidOp "Invalid floating point operation" for NaN, infinities and
// values outside the 64-bit range, instead of an undefined conversion.
std::int64_t Trunc(double Value);
