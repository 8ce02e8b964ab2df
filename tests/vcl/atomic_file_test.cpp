#include "AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string readAll(const QString& Path) {
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll().toStdString();
}

TEST(AtomicFile, CreatesAndReplacesWholeFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath("cfg.ini");
    std::string error;
    ASSERT_TRUE(saveFileAtomically(path.toStdString(), "[sec1]\r\nTitle=a\r\n", error)) << error;
    EXPECT_EQ(readAll(path), "[sec1]\r\nTitle=a\r\n");
    ASSERT_TRUE(saveFileAtomically(path.toStdString(), std::string("x\0y", 3), error)) << error;
    EXPECT_EQ(readAll(path), std::string("x\0y", 3));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"cfg.ini"});
}

TEST(AtomicFile, AnUnwritableFolderLeavesTheOldFileAndSaysWhy) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    QTemporaryDir dir;
    const QString path = dir.filePath("cfg.ini");
    std::string error;
    ASSERT_TRUE(saveFileAtomically(path.toStdString(), "old", error));
    ASSERT_EQ(chmod(dir.path().toLocal8Bit().constData(), 0500), 0);
    EXPECT_FALSE(saveFileAtomically(path.toStdString(), "new", error));
    EXPECT_FALSE(error.empty());
    chmod(dir.path().toLocal8Bit().constData(), 0700);
    EXPECT_EQ(readAll(path), "old");
}

TEST(AtomicFile, AMissingFolderFails) {
    QTemporaryDir dir;
    std::string error;
    EXPECT_FALSE(saveFileAtomically(dir.filePath("no/such/cfg.ini").toStdString(), "x", error));
    EXPECT_FALSE(error.empty());
}

} // namespace
