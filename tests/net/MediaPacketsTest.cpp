#include "net/MediaPackets.h"

#include <gtest/gtest.h>

using namespace korvex::net;

TEST(SoundHandshake, BytesAndParse) {
    EXPECT_EQ(BuildSoundHandshake({"Lobby", true, "GSM2"}), "\x9ALobby\x9C" "1\x9CGSM2\x9C");
    EXPECT_EQ(BuildSoundHandshake({"Lobby", false, ""}), "\x9ALobby\x9C" "0\x9C\x9C");
    const auto parsed = ParseSoundHandshake("\x9ALobby\x9C" "0\x9CGSM1\x9C");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->room, "Lobby");
    EXPECT_FALSE(parsed->highSpeed);
    EXPECT_EQ(parsed->codec, "GSM1");
    EXPECT_FALSE(ParseSoundHandshake("Lobby\x9C" "1\x9C"));
    EXPECT_FALSE(ParseSoundHandshake(""));
}

TEST(VoicePacket, HeaderBytes) {
    EXPECT_EQ(BuildVoicePacket("GSM2", "AB"), "\x9AGSM2            \x9C" "AB");
    EXPECT_EQ(BuildVoicePacket("ABCDEFGHIJKLMNOPQR", ""), "\x9A" "ABCDEFGHIJKLMNOP\x9C"); // cut to 16
    EXPECT_EQ(BuildLowQualityVoicePacket("z"), "\x9AGSM1           ~\x9Cz");
}

TEST(VoicePacket, ParseTable) {
    struct Case {
        const char* what;
        QByteArray frame;
        bool valid;
        QByteArray codec;
        bool low;
        QByteArray audio;
    };
    const Case cases[] = {
        {"low quality mark", "\x9AGSM1           ~\x9C" "data", true, "GSM1", true, "data"},
        {"padded name", "\x9AGSM2            \x9C" "x", true, "GSM2", false, "x"},
        {"exactly 18 bytes", "\x9AGSM2            \x9C", true, "GSM2", false, ""},
        {"NUL ends name", QByteArray("\x9ASPX\0garbage12345\x9C" "y", 19), true, "SPX", false, "y"},
        {"leading blanks", "\x9A  MP3_20        \x9C", true, "MP3_20", false, ""},
        {"17 bytes", "\x9AGSM2            ", false, "", false, ""},
        {"byte 17 not 9C", "\x9AGSM2            Xdata", false, "", false, ""},
        {"byte 0 not 9A", "XGSM2            \x9C" "data", false, "", false, ""},
    };
    for (const auto& c : cases) {
        const auto p = ParseVoicePacket(c.frame);
        ASSERT_EQ(p.has_value(), c.valid) << c.what;
        if (!p) continue;
        EXPECT_EQ(p->codec, c.codec) << c.what;
        EXPECT_EQ(p->lowQuality, c.low) << c.what;
        EXPECT_EQ(p->audio, c.audio) << c.what;
    }
}

TEST(VideoPackets, HandshakeAndFrames) {
    EXPECT_EQ(BuildVideoHandshake({"Lobby", "alice"}), "\x9ALobby\x9C" "alice\x9C");
    const auto hs = ParseVideoHandshake("\x9ALobby\x9C" "alice\x9C");
    ASSERT_TRUE(hs);
    EXPECT_EQ(hs->user, "alice");

    const QByteArray frame = BuildVideoFrame("JPEGDATA", "alice");
    EXPECT_EQ(frame, "JPEGDATA" "alice" + QByteArray(27, ' '));
    const auto parsed = ParseVideoFrame(frame);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->jpeg, "JPEGDATA");
    EXPECT_EQ(parsed->user, "alice");
    EXPECT_EQ(BuildVideoFrame("", QByteArray(40, 'n')).size(), 32);
    EXPECT_FALSE(ParseVideoFrame(QByteArray(31, ' ')));
    const auto empty = ParseVideoFrame(QByteArray(32, ' '));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->jpeg.isEmpty());
    EXPECT_TRUE(empty->user.isEmpty());
}
