#include "Comm32Error.h"

#include "gbk_text.h"

#include <array>
#include <cstdlib>
#include <utility>

namespace {

struct ErrorTexts {
    const char* english;
    const char* simplified;
    const char* traditional;
};

// Index 0 is the text for any code without one of its own.
constexpr std::array<ErrorTexts, 15> texts = {{
    {"Unknown error", "未知错误", "未知錯誤"},
    {"Out of memory", "内存不够", "記憶體不夠"},
    {"Cannot initialize read buffer", "不能初始化读缓存", "不能初始化讀緩存"},
    {"Cannot initialize write buffer", "不能初始化写缓存", "不能初始化寫緩存"},
    {"Cannot open COM port", "不能打开端口", "不能打開埠"},
    {"Cannot set comm-mask", "不能设置端口事件MASK", "不能設置埠事件MASK"},
    {"Cannot set COM port buffer size", "不能设置端口缓存", "不能設置埠緩存"},
    {"Cannot read COM port parameters", "不能得到端口参数", "不能得到埠參數"},
    {"Cannot set COM port parameters", "不能设置端口参数", "不能設置埠參數"},
    {"Cannot create COM port asynchronize read event", "不能创建端口异步读事件",
     "不能創建埠非同步讀事件"},
    {"Cannot create COM port asynchronize write event", "不能创建端口异步写事件",
     "不能創建埠非同步寫事件"},
    {"Cannot create COM port read thread", "不能创建端口读线程", "不能創建埠讀執行緒"},
    {"Cannot create COM port write thread", "不能创建端口写线程", "不能創建埠寫執行緒"},
    {"Cannot close COM port read thread", "不能关闭端口读线程", "不能關閉埠讀執行緒"},
    {"Cannot close COM port write thread", "不能关闭端口写线程", "不能關閉埠寫執行緒"},
}};

constexpr std::uint16_t primaryChinese = 0x04;
constexpr std::uint16_t subPrc = 0x02;
constexpr std::uint16_t subSingapore = 0x04;
constexpr std::uint16_t subTaiwan = 0x01;
constexpr std::uint16_t langEnglishUs = 0x0409;

constexpr std::uint16_t makeLangId(std::uint16_t primary, std::uint16_t sub) {
    return static_cast<std::uint16_t>((sub << 10) | primary);
}

} // namespace

TextLanguage languageOfLangId(std::uint16_t LangId) {
    const std::uint16_t primary = LangId & 0x3FF;
    const std::uint16_t sub = LangId >> 10;
    if (primary != primaryChinese)
        return TextLanguage::English;
    if (sub == subPrc || sub == subSingapore)
        return TextLanguage::SimplifiedChinese;
    return TextLanguage::TraditionalChinese;
}

std::uint16_t langIdOfLocaleName(const std::string& Name) {
    // "zh_CN.UTF-8@variant": only language and territory matter.
    if (Name.size() < 2 || Name.compare(0, 2, "zh") != 0 ||
        (Name.size() > 2 && Name[2] != '_' && Name[2] != '.' && Name[2] != '@'))
        return langEnglishUs;
    const std::string territory = Name.size() >= 5 && Name[2] == '_' ? Name.substr(3, 2) : "";
    if (territory == "CN")
        return makeLangId(primaryChinese, subPrc);
    if (territory == "SG")
        return makeLangId(primaryChinese, subSingapore);
    return makeLangId(primaryChinese, subTaiwan);
}

std::uint16_t systemDefaultLangId() {
    static const std::uint16_t id = [] {
        for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* value = std::getenv(var);
            if (value != nullptr && *value != '\0')
                return langIdOfLocaleName(value);
        }
        return langEnglishUs;
    }();
    return id;
}

std::string errorTextUtf8(int Code, TextLanguage Language) {
    const ErrorTexts& t =
        texts[Code >= 1 && Code < static_cast<int>(texts.size()) ? static_cast<std::size_t>(Code)
                                                                 : 0];
    switch (Language) {
    case TextLanguage::SimplifiedChinese:
        return t.simplified;
    case TextLanguage::TraditionalChinese:
        return t.traditional;
    case TextLanguage::English:
        break;
    }
    return t.english;
}

EComm32Error::EComm32Error(int Code, std::string Reason)
    : EComm32Error(Code, languageOfLangId(systemDefaultLangId()), std::move(Reason)) {}

EComm32Error::EComm32Error(int Code, TextLanguage Language, std::string Reason)
    : std::runtime_error(utf8ToGbk(errorTextUtf8(Code, Language))), code_(Code),
      reason_(std::move(Reason)) {}
