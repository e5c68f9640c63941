#include "formats/IniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using korvex::formats::IniFile;

namespace {
QString writeFile(const QTemporaryDir& dir, const QByteArray& text) {
    const QString path = dir.filePath("korvex.ini");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
    return path;
}
QByteArray readFile(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}
} // namespace

TEST(IniFile, SectionsAndKeysIgnoreCaseAndKeepFirstSpelling) {
    QTemporaryDir dir;
    const QString path =
        writeFile(dir, "[CONFIG]\r\nAutoLogin=0\r\nStartWithWindows=1\r\n[Main]\r\nUserName=alice\r\n");
    IniFile ini(path);
    EXPECT_FALSE(ini.ReadBool("Config", "autologin", true));
    EXPECT_TRUE(ini.ReadBool("config", "STARTWITHWINDOWS", false));
    EXPECT_EQ(ini.ReadString("MAIN", "username"), "alice");

    ini.WriteBool("Config", "AUTOLOGIN", true);
    ini.WriteBool("Config", "SavePassword", true);
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(
        readFile(path),
        "[CONFIG]\r\nAutoLogin=1\r\nStartWithWindows=1\r\nSavePassword=1\r\n[Main]\r\nUserName=alice\r\n");
}

TEST(IniFile, DefaultsForMissingFileSectionKeyOrBadNumber) {
    QTemporaryDir dir;
    IniFile missing(dir.filePath("none.ini"));
    EXPECT_TRUE(missing.ReadBool("CONFIG", "AutoLogin", true));
    EXPECT_FALSE(missing.ReadBool("Config", "AutoLogin", false));
    EXPECT_EQ(missing.ReadString("Main", "UserName"), "");

    IniFile ini(writeFile(dir, "[Config]\nSavePassword=yes\nCount=0x10\n; comment=1\n"));
    EXPECT_TRUE(ini.ReadBool("Config", "SavePassword", true)); // not a number: the default
    EXPECT_FALSE(ini.ReadBool("Config", "SavePassword", false));
    EXPECT_EQ(ini.ReadInteger("Config", "Count", 0), 16);
    EXPECT_FALSE(ini.ValueExists("Config", "; comment"));
}

TEST(IniFile, ValuesCannotBreakTheFileAndUnknownLinesSurvive) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, "garbage line\r\n[Main]\r\nUserName=bob\r\n");
    IniFile ini(path);
    ini.WriteString("Main", "UserName", "eve\r\n[Config]\r\nAutoLogin=1");
    ini.UpdateFile();
    IniFile again(path);
    EXPECT_FALSE(again.ValueExists("Config", "AutoLogin"));
    EXPECT_EQ(again.ReadString("Main", "UserName"), "eve  [Config]  AutoLogin=1");
    EXPECT_TRUE(readFile(path).startsWith("garbage line\r\n"));
}
