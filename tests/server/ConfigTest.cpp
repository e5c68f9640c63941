#include "server/Config.h"
#include "server/Values.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace korvex::server;

namespace {

QString writeIni(QTemporaryDir& dir, const QByteArray& text) {
    const QString path = dir.filePath("server.ini");
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    return path;
}

TEST(ServerConfig, ReadsEverySectionAndKeepsTheRequiredCodecsFirst) {
    QTemporaryDir dir;
    const QString path = writeIni(dir, "[client]\nVersion=3.26\nDownloadAddress=http://example.org/get,now\n"
                                       "[codecs]\nMP3_56_24000S=3000\nGSM1=1500\n"
                                       "[server]\nPort=7100\nSoundPort=7101\nVideoPort=7102\nMailDomain=example.org\n"
                                       "[smtp]\nUrl=smtp://relay:25\n[limits]\nMaxSearchResults=10\n");
    ServerConfig c;
    QString error;
    ASSERT_TRUE(LoadConfig(path, c, &error)) << error.toStdString();
    EXPECT_EQ(c.downloadAddress, "http://example.org/get,now");
    EXPECT_EQ(c.codecListText(), "GSM1,1500\r\nGSM2,2500\r\nMP3_56_24000S,3000");
    EXPECT_EQ(c.port, 7100);
    EXPECT_EQ(c.videoPort, 7102);
    EXPECT_EQ(c.mailDomain, "example.org");
    EXPECT_EQ(c.smtpUrl, "smtp://relay:25");
    EXPECT_EQ(c.maxSearchResults, 10);
}

TEST(ServerConfig, RefusesValuesOutOfRange) {
    const QByteArray bad[] = {"[server]\nPort=70000\n", "[server]\nIdleTimeoutSeconds=10\n", "[codecs]\nGSM-1=100\n",
                              "[limits]\nMaxFrameBytes=lots\n", "[security]\nPasswordHashCost=none\n"};
    for (const auto& text : bad) {
        QTemporaryDir dir;
        ServerConfig c;
        QString error;
        EXPECT_FALSE(LoadConfig(writeIni(dir, text), c, &error)) << text.constData();
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(ServerValues, NicknamesAndEmailAddresses) {
    EXPECT_TRUE(IsValidNickname("abcd"));
    EXPECT_TRUE(IsValidNickname("A.b-c_9"));
    for (const char* bad : {"abc", "abcdefghijklmnopqrstuvwxyz1", "ab cd", "ab/cd", "\xE9tude", ""})
        EXPECT_FALSE(IsValidNickname(bad)) << bad;
    EXPECT_TRUE(IsPlausibleEmail("a@b.org"));
    for (const char* bad : {"a@b@c", "@b.org", "a@", "a b@c.org", "a@b.org\r\nBcc: x@y", "<a@b.org>", "a@b.org,c@d.org"})
        EXPECT_FALSE(IsPlausibleEmail(bad)) << bad;
    EXPECT_EQ(ToDdmmyyyy(ParseYyyymmdd("20260131")), "31012026");
    EXPECT_FALSE(ParseYyyymmdd("20261399").isValid());
}

} // namespace
