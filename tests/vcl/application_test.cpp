#include "Application.h"

#include <gtest/gtest.h>

namespace {

TEST(ApplicationTitle, FromTheProgramFilesName) {
    const struct {
        const char* path;
        const char* title;
    } cases[] = {
        {"/opt/wd/weighdisplay", "weighdisplay"},
        {"/opt/wd/WEIGHDISPLAY.EXE", "Weighdisplay"},
        {"/opt/v1.2/Weigh.Display.exe", "Weigh.display"},
        {"weighdisplay", "weighdisplay"},
        {"/opt/wd/\xE7\xA7\xA4\x41\x42.bin", "\xB3\xD3"
                                             "ab"}, // 秤AB, the path in UTF-8
        {"/opt/wd/.exe", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TApplication::titleFromProgramPath(c.path), c.title) << c.path;
}

TEST(ApplicationTitle, TheRunningProgramsNameAndFolder) {
    EXPECT_EQ(Application->Title(), "test_vcl");
    const std::string exe = Application->ExeName();
    EXPECT_EQ(Application->ExeDir(), exe.substr(0, exe.rfind('/') + 1));

    Application->SetExeNameForTesting("/tmp/somewhere/weighdisplay");
    EXPECT_EQ(Application->ExeDir(), "/tmp/somewhere/");
    EXPECT_EQ(Application->Title(), "weighdisplay");
    Application->SetExeNameForTesting(exe);
}

} // namespace
