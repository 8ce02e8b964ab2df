#include "IniFile.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

namespace {

using namespace std::string_literals;

TEST(IniFile, MissingFileReadsDefaultsAndIsCreatedByTheFirstWrite) {
    TempDir dir;
    const std::string path = dir.path("cfg.ini");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("sec3", "ScaleNo", "1"), "1");
    ini.WriteString("sec3", "ScaleNo", "7");
    ini.WriteString("sec4", "SampleInterval", "50");
    EXPECT_EQ(readFile(path), "[sec3]\nScaleNo=7\n[sec4]\nSampleInterval=50\n");
    EXPECT_EQ(TIniFile(path).ReadString("sec3", "ScaleNo", "1"), "7");
}

TEST(IniFile, WritingKeepsWhatTheProgramDoesNotOwn) {
    TempDir dir;
    const std::string path = dir.path("cfg.ini");
    const std::string before = "; operator's note \xB1\xB8\xD7\xA2\r\n"
                               "[ports]\r\n"
                               "COM1=/dev/ttyUSB0\r\n"
                               "[sec2]\r\n"
                               "PortNo=old\r\n"
                               "Extra=kept\r\n"
                               "\x00\xFF binary line\r\n"s;
    writeFile(path, before);
    TIniFile(path).WriteString("SEC2", "portno", "\xB4\xAE\xBF\xDA\xD2\xBB");
    EXPECT_EQ(readFile(path), "; operator's note \xB1\xB8\xD7\xA2\r\n"
                              "[ports]\r\n"
                              "COM1=/dev/ttyUSB0\r\n"
                              "[sec2]\r\n"
                              "portno=\xB4\xAE\xBF\xDA\xD2\xBB\r\n"
                              "Extra=kept\r\n"
                              "\x00\xFF binary line\r\n"s);
}

TEST(IniFile, FailedWriteRaisesWithThePathAndLeavesNoPartialFile) {
    TempDir dir;
    // A folder in the file's place: nothing can replace it.
    const std::string blocked = dir.path("cfg.ini");
    std::filesystem::create_directory(blocked);
    TIniFile ini(blocked);
    EXPECT_EQ(ini.ReadString("sec1", "Title", "dflt"), "dflt");
    try {
        ini.WriteString("sec1", "Title", "x");
        FAIL() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_STREQ(e.what(), ("Unable to write to " + blocked).c_str());
    }

    const std::string missingDir = dir.path("gone/cfg.ini");
    EXPECT_THROW(TIniFile(missingDir).WriteString("sec1", "Title", "x"), EIniFileException);
    EXPECT_FALSE(std::filesystem::exists(dir.path("gone")));
}

TEST(IniFile, PipeInTheFilesPlaceNeitherBlocksNorIsReplaced) {
    TempDir dir;
    const std::string path = dir.path("cfg.ini");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("sec1", "Title", "dflt"), "dflt");
    EXPECT_THROW(ini.WriteString("sec1", "Title", "x"), EIniFileException);
    EXPECT_EQ(std::filesystem::status(path).type(), std::filesystem::file_type::fifo);
}

TEST(IniFile, LineBreakInAValueIsRefusedAndTheFileKept) {
    TempDir dir;
    const std::string path = dir.path("cfg.ini");
    writeFile(path, "[sec1]\nTitle=a\n");
    // Written as it stands, the second line would become a section of its own.
    EXPECT_THROW(TIniFile(path).WriteString("sec1", "Title", "x\n[ports]\nCOM1=/dev/sda"),
                 EIniFileException);
    EXPECT_EQ(readFile(path), "[sec1]\nTitle=a\n");
}

TEST(IniFile, HugeAndOddFileNeverBreaksReadingOrWriting) {
    TempDir dir;
    const std::string path = dir.path("cfg.ini");
    std::string odd = std::string(1 << 20, '\xA1') + "\n[sec1]\nTitle=" + std::string(5000, 'x') +
                      "\n\0\0\0no equals\n"s;
    writeFile(path, odd);
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("sec1", "Title", ""), std::string(2047, 'x'));
    ini.WriteString("sec5", "AutoSample", "false");
    EXPECT_EQ(readFile(path), odd + "[sec5]\nAutoSample=false\n");
}

} // namespace
