// The failure of opening or closing the port, with its text in the system's language.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

enum TErrorCode : int {
    ecOutOfMemory = 1,
    ecReadBuffer = 2,
    ecWriteBuffer = 3,
    ecOpenPort = 4,
    ecSetCommMask = 5,
    ecSetupComm = 6,
    ecGetCommState = 7,
    ecSetCommState = 8,
    ecReadEvent = 9,
    ecWriteEvent = 10,
    ecReadThread = 11,
    ecWriteThread = 12,
    ecCloseReadThread = 13,
    ecCloseWriteThread = 14,
};

enum class TextLanguage { English, SimplifiedChinese, TraditionalChinese };

// The three-way rule on a Windows-style language identifier (primary language the low 10 bits,
// sublanguage the high 6 bits).
TextLanguage languageOfLangId(std::uint16_t LangId);
// The identifier a POSIX locale name stands for ("zh_CN.UTF-8", "zh_TW", "en_US", "C", ...).
std::uint16_t langIdOfLocaleName(const std::string& Name);
// Read once, from LC_ALL, else LC_MESSAGES, else LANG.
std::uint16_t systemDefaultLangId();

// The code's text in the given language, UTF-8.
std::string errorTextUtf8(int Code, TextLanguage Language);

class EComm32Error : public std::runtime_error {
public:
    // Message: the code's text in the system's language, GBK.
    explicit EComm32Error(int Code, std::string Reason = {});
    EComm32Error(int Code, TextLanguage Language, std::string Reason = {});

    int ErrorCode() const { return code_; }
    // The system's own account, GBK, e.g. "/dev/ttyUSB0: Permission denied"; may be empty.
    const std::string& Reason() const { return reason_; }

private:
    int code_;
    std::string reason_;
};
