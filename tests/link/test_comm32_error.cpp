// The port's error texts, the language rule and the GBK conversions beneath them.
#include "Comm32Error.h"
#include "gbk_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct TextCase {
    std::uint16_t langId;
    int code;
    const char* text;
};

TEST(Comm32ErrorText, ChosenByLanguageIdentifierAndCode) {
    const std::vector<TextCase> cases = {
        {0x0409, 4, "Cannot open COM port"},
        {0x0409, 1, "Out of memory"},
        {0x0409, 9, "Cannot create COM port asynchronize read event"},
        {0x0409, 14, "Cannot close COM port write thread"},
        {0x0409, 0, "Unknown error"},
        {0x0409, 15, "Unknown error"},
        {0x0409, -1, "Unknown error"},
        {0x0804, 4, "不能打开端口"},
        {0x0804, 5, "不能设置端口事件MASK"},
        {0x0804, 13, "不能关闭端口读线程"},
        {0x0804, 0, "未知错误"},
        {0x1004, 3, "不能初始化写缓存"},
        {0x1004, 15, "未知错误"},
        {0x0404, 4, "不能打開埠"},
        {0x0404, 1, "記憶體不夠"},
        {0x0404, 11, "不能創建埠讀執行緒"},
        {0x0C04, 7, "不能得到埠參數"},
        {0x1404, 10, "不能創建埠非同步寫事件"},
        {0x1404, 0, "未知錯誤"},
        {0x7804, 15, "未知錯誤"},
        {0x0411, 4, "Cannot open COM port"},     // Japanese: not Chinese, so English
        {0x0804 & 0x3FF, 2, "不能初始化讀緩存"}, // neutral Chinese has no PRC sublanguage
    };
    for (const auto& c : cases) {
        EXPECT_EQ(errorTextUtf8(c.code, languageOfLangId(c.langId)), c.text)
            << std::hex << "lang 0x" << c.langId << std::dec << " code " << c.code;
    }
}

TEST(Comm32ErrorText, EveryCodeHasItsOwnTextInEachLanguage) {
    for (auto lang : {TextLanguage::English, TextLanguage::SimplifiedChinese,
                      TextLanguage::TraditionalChinese}) {
        const std::string unknown = errorTextUtf8(0, lang);
        std::vector<std::string> seen;
        for (int code = 1; code <= 14; ++code) {
            const std::string text = errorTextUtf8(code, lang);
            EXPECT_NE(text, unknown) << code;
            EXPECT_EQ(std::count(seen.begin(), seen.end(), text), 0) << code;
            seen.push_back(text);
        }
    }
}

TEST(Comm32Error, CarriesCodeGbkMessageAndReason) {
    const EComm32Error e(4, TextLanguage::SimplifiedChinese, "/dev/ttyUSB0: Permission denied");
    EXPECT_EQ(e.ErrorCode(), 4);
    EXPECT_EQ(std::string(e.what()), "\xB2\xBB\xC4\xDC\xB4\xF2\xBF\xAA\xB6\xCB\xBF\xDA");
    EXPECT_EQ(e.Reason(), "/dev/ttyUSB0: Permission denied");

    const EComm32Error t(4, TextLanguage::TraditionalChinese);
    EXPECT_EQ(gbkToUtf8(t.what()), "不能打開埠");
    EXPECT_TRUE(t.Reason().empty());
}

TEST(LanguageRule, LocaleNamesMapToTheRightTextSet) {
    struct Case {
        const char* locale;
        TextLanguage language;
    };
    const std::vector<Case> cases = {
        {"zh_CN.UTF-8", TextLanguage::SimplifiedChinese},
        {"zh_CN", TextLanguage::SimplifiedChinese},
        {"zh_CN.GB18030", TextLanguage::SimplifiedChinese},
        {"zh_SG.UTF-8", TextLanguage::SimplifiedChinese},
        {"zh_TW.UTF-8", TextLanguage::TraditionalChinese},
        {"zh_HK.Big5-HKSCS", TextLanguage::TraditionalChinese},
        {"zh_MO", TextLanguage::TraditionalChinese},
        {"en_US.UTF-8", TextLanguage::English},
        {"de_DE@euro", TextLanguage::English},
        {"zha_CN", TextLanguage::English}, // Zhuang, not Chinese
        {"C", TextLanguage::English},
        {"POSIX", TextLanguage::English},
        {"", TextLanguage::English},
    };
    for (const auto& c : cases)
        EXPECT_EQ(languageOfLangId(langIdOfLocaleName(c.locale)), c.language) << c.locale;
    EXPECT_EQ(langIdOfLocaleName("zh_CN.UTF-8"), 0x0804);
    EXPECT_EQ(langIdOfLocaleName("zh_SG"), 0x1004);
}

TEST(LanguageRule, SystemLanguageFollowsTheEnvironmentAndIsReadOnce) {
    std::string expected;
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(var);
        if (v != nullptr && *v != '\0') {
            expected = v;
            break;
        }
    }
    const std::uint16_t first = systemDefaultLangId();
    EXPECT_EQ(first, langIdOfLocaleName(expected));

    const char* saved = std::getenv("LC_ALL");
    const std::string savedValue = saved != nullptr ? saved : "";
    setenv("LC_ALL", first == 0x0804 ? "en_US.UTF-8" : "zh_CN.UTF-8", 1);
    EXPECT_EQ(systemDefaultLangId(), first);
    EXPECT_EQ(std::string(EComm32Error(4).what()),
              utf8ToGbk(errorTextUtf8(4, languageOfLangId(first))));
    if (saved != nullptr)
        setenv("LC_ALL", savedValue.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

TEST(GbkText, ConvertsBothWaysAndMarksWhatItCannot) {
    EXPECT_EQ(utf8ToGbk("空闲状态 OK"), "\xBF\xD5\xCF\xD0\xD7\xB4\xCC\xAC OK");
    EXPECT_EQ(gbkToUtf8(utf8ToGbk("简洁型电子天平")), "简洁型电子天平");
    EXPECT_EQ(utf8ToGbk("a\xF0\x9F\x98\x80"
                        "b"),
              "a?b"); // an emoji has no GBK form
    EXPECT_EQ(utf8ToGbk("a\xFF"
                        "b"),
              "a?b"); // broken UTF-8
    EXPECT_EQ(gbkToUtf8("A\xFF"
                        "B"),
              "A\xEF\xBF\xBD"
              "B");                                 // no GBK byte
    EXPECT_EQ(gbkToUtf8("A\xB2"), "A\xEF\xBF\xBD"); // cut off mid-character
    EXPECT_EQ(gbkToUtf8(std::string_view("\0x", 2)), std::string("\0x", 2));
    const std::string longText(5000, 'z');
    EXPECT_EQ(gbkToUtf8(utf8ToGbk(longText)), longText);
}

} // namespace
