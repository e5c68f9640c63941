#include "platform/Autostart.h"
#include "platform/SingleInstance.h"
#include "platform/WebAddress.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace korvex::platform;

TEST(SingleInstance, SecondHolderIsRefusedUntilTheFirstEnds) {
    QTemporaryDir dir;
    auto first = std::make_unique<SingleInstance>("Velmora", dir.path());
    ASSERT_TRUE(first->TryAcquire());
    SingleInstance second("Velmora", dir.path());
    EXPECT_FALSE(second.TryAcquire());
    first.reset();
    EXPECT_TRUE(second.TryAcquire());
}

TEST(Autostart, WritesRemovesAndDropsTheOldEntry) {
    QTemporaryDir dir;
    const QString old = dir.filePath("Korvex v3.13.desktop");
    QFile f(old);
    f.open(QIODevice::WriteOnly);
    f.close();
    SetStartWithWindows(true, "/opt/my apps/korvex", dir.path());
    EXPECT_FALSE(QFile::exists(old));
    QFile entry(dir.filePath("korvex.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("Exec=\"/opt/my apps/korvex\"\n"));
    entry.close();
    SetStartWithWindows(false, "/opt/my apps/korvex", dir.path());
    EXPECT_FALSE(QFile::exists(dir.filePath("korvex.desktop")));
}

TEST(WebAddress, OnlyWebAndMailAddressesAreOpened) {
    const std::pair<const char*, bool> cases[] = {
        {"http://korvex.example/a?b=c", true},
        {"HTTPS://korvex.example", true},
        {"ftp://files.example/x", true},
        {"mailto:someone@example.org", true},
        {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},
        {"/usr/bin/xterm", false},
        {"http://", false},
        {"", false},
        {"smb://host/share", false},
    };
    for (const auto& [address, ok] : cases)
        EXPECT_EQ(IsOpenableAddress(address), ok) << address;
    EXPECT_FALSE(OpenWebAddress("file:///etc/passwd"));
}
