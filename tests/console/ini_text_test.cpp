#include "ini_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

struct LookupCase {
    const char* Name;
    std::string Text;
    const char* Section;
    const char* Key;
    std::optional<std::string> Expected;
};

class IniLookup : public testing::TestWithParam<LookupCase> {};

TEST_P(IniLookup, FindsTheValueTheProfileReaderWould) {
    const auto& c = GetParam();
    EXPECT_EQ(iniLookup(c.Text, c.Section, c.Key), c.Expected);
}

const std::string gbkTitle = "\xB5\xE7\xD7\xD3\xCC\xEC\xC6\xBD"; // 电子天平

INSTANTIATE_TEST_SUITE_P(
    Cases, IniLookup,
    testing::Values(
        LookupCase{"Plain", "[sec1]\nTitle=abc\n", "sec1", "Title", "abc"},
        LookupCase{"NamesIgnoreAsciiCase", "[SEC1]\ntitle=abc\n", "sec1", "TITLE", "abc"},
        LookupCase{"BlanksAroundTrimmed", "[sec1]\n  Title \t=  a b \t\n", "sec1", "Title", "a b"},
        LookupCase{"EmptyValueIsEmptyNotMissing", "[sec1]\nTitle=\n", "sec1", "Title", ""},
        LookupCase{"MissingKey", "[sec1]\nOther=1\n", "sec1", "Title", std::nullopt},
        LookupCase{"KeyOfAnotherSection", "[sec1]\n[sec2]\nTitle=x\n", "sec1", "Title",
                   std::nullopt},
        LookupCase{"KeyBeforeAnySection", "Title=x\n[sec1]\n", "sec1", "Title", std::nullopt},
        LookupCase{"CrLf", "[sec1]\r\nTitle=abc\r\n", "sec1", "Title", "abc"},
        LookupCase{"NoFinalLineBreak", "[sec1]\nTitle=abc", "sec1", "Title", "abc"},
        LookupCase{"GbkBytesAsTheyAre", "[sec1]\nTitle=" + gbkTitle + "\n", "sec1", "Title",
                   gbkTitle},
        LookupCase{"FirstOfTwoWins", "[sec1]\nTitle=a\nTitle=b\n[sec1]\nTitle=c\n", "sec1", "Title",
                   "a"},
        LookupCase{"CommentIsNoKey", "[sec1]\n;Title=a\n#Title=b\n", "sec1", "Title", std::nullopt},
        LookupCase{"OnePairOfQuotesTaken", "[sec1]\nTitle= \"  a \" \n", "sec1", "Title", "  a "},
        LookupCase{"LoneQuoteKept", "[sec1]\nTitle=\"a\n", "sec1", "Title", "\"a"},
        LookupCase{"EqualsInsideValueKept", "[sec1]\nTitle=a=b\n", "sec1", "Title", "a=b"},
        LookupCase{"OddLinesSkipped",
                   "[sec1]\nno equals here\n\xFF\xFE\0\x01\n=orphan\nTitle=ok\n"s, "sec1", "Title",
                   "ok"},
        LookupCase{"UnclosedHeaderStillASection", "[sec1\nTitle=x\n", "sec1", "Title", "x"},
        LookupCase{"UnclosedHeaderEndsThePrevious", "[sec1]\n[other\nTitle=x\n", "sec1", "Title",
                   std::nullopt},
        LookupCase{"ValueCutAtTheLimit",
                   "[sec1]\nTitle=" + std::string(IniValueLimit + 100, 'v') + "\n", "sec1", "Title",
                   std::string(IniValueLimit, 'v')}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(IniAssign, ReplacesOnlyTheKeysLineAndKeepsEveryOtherByte) {
    const std::string before = "; kept comment\r\n"
                               "[ports]\r\n"
                               "COM1=/dev/pts/9\r\n"
                               "\r\n"
                               "[sec1]\r\n"
                               "TITLE = old value\r\n"
                               "junk line \xFF\xFE\r\n"
                               "[extra]\r\n"
                               "k=v";
    const std::string after = iniAssign(before, "sec1", "Title", "new");
    EXPECT_EQ(after, "; kept comment\r\n"
                     "[ports]\r\n"
                     "COM1=/dev/pts/9\r\n"
                     "\r\n"
                     "[sec1]\r\n"
                     "Title=new\r\n"
                     "junk line \xFF\xFE\r\n"
                     "[extra]\r\n"
                     "k=v");
}

TEST(IniAssign, NewKeyGoesAfterTheSectionsLastKey) {
    const std::string before = "[sec1]\nTitle=a\n\n[sec2]\nOther=b\n";
    EXPECT_EQ(iniAssign(before, "sec1", "Extra", "x"),
              "[sec1]\nTitle=a\nExtra=x\n\n[sec2]\nOther=b\n");
    EXPECT_EQ(iniAssign("[sec1]\n", "sec1", "Title", "x"), "[sec1]\nTitle=x\n");
}

TEST(IniAssign, NewSectionAppendedWithTheFilesLineEnding) {
    EXPECT_EQ(iniAssign("", "sec1", "Title", "x"), "[sec1]\nTitle=x\n");
    EXPECT_EQ(iniAssign("[a]\r\nk=v", "sec1", "Title", "x"), "[a]\r\nk=v\r\n[sec1]\r\nTitle=x\r\n");
    EXPECT_EQ(iniAssign("[a]\nk=v", "a", "n", "1"), "[a]\nk=v\nn=1\n");
}

TEST(IniAssign, WrittenValuesReadBackUnchanged) {
    const std::string values[] = {
        "",   "50",           "12.7",         gbkTitle,         "a=b",         ";x", "[y]",
        "#z", "nul\0inside"s, "\xFF\x80\x81", "   " + gbkTitle, "trailing \t", " ",  "\"quoted\"",
        "\"", "\"half"};
    std::string text = "[sec4]\nSampleInterval=old\n";
    for (const auto& v : values) {
        text = iniAssign(text, "sec4", "SampleInterval", v);
        EXPECT_EQ(iniLookup(text, "sec4", "SampleInterval"), v);
        text = iniAssign(text, "fresh", "Key", v);
        EXPECT_EQ(iniLookup(text, "fresh", "Key"), v);
    }
}

} // namespace
