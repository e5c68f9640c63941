#include "voice/Packetiser.h"

#include "voice/ReceiveBuffer.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <thread>

using namespace korvex::voice;

namespace {

TEST(Packetiser, SendsEverythingCollectedOnceTheThresholdIsReached) {
    struct Case {
        Packetiser::Kind kind;
        int threshold;
        QByteArray header;
    };
    const Case cases[] = {
        {Packetiser::Kind::HighQuality, 1250,
         "\x9A"
         "MP3_20_12000S   "
         "\x9C"},
        {Packetiser::Kind::LowQuality, 625,
         "\x9A"
         "GSM1           ~"
         "\x9C"},
    };
    for (const Case& c : cases) {
        Packetiser p(c.kind);
        if (c.kind == Packetiser::Kind::HighQuality) p.SetCodec("MP3_20_12000S");
        EXPECT_FALSE(p.BufferReady(QByteArray(c.threshold - 1, 'a'), true)) << c.threshold;
        EXPECT_EQ(p.Pending(), c.threshold - 1);
        const auto packet = p.BufferReady(QByteArray(65, 'b'), true);
        ASSERT_TRUE(packet) << c.threshold;
        EXPECT_EQ(packet->left(18), c.header);
        EXPECT_EQ(packet->mid(18), QByteArray(c.threshold - 1, 'a') + QByteArray(65, 'b'));
        EXPECT_EQ(p.Pending(), 0);
    }
}

TEST(Packetiser, CaptureSizedBuffersAreIgnored) {
    for (const auto kind : {Packetiser::Kind::HighQuality, Packetiser::Kind::LowQuality}) {
        Packetiser p(kind);
        EXPECT_FALSE(p.BufferReady(QByteArray(1024, 'x'), true));
        EXPECT_EQ(p.Pending(), 0);
    }
    // One byte less or more is encoder output and counts.
    Packetiser p(Packetiser::Kind::HighQuality);
    EXPECT_FALSE(p.BufferReady(QByteArray(1023, 'x'), true));
    EXPECT_FALSE(p.BufferReady(QByteArray(1024, 'y'), true));
    const auto packet = p.BufferReady(QByteArray(1025, 'z'), true);
    ASSERT_TRUE(packet);
    EXPECT_EQ(packet->size(), 18 + 1023 + 1025);
}

TEST(Packetiser, WithoutTheConnectionTheBytesAreDropped) {
    Packetiser p(Packetiser::Kind::LowQuality);
    EXPECT_FALSE(p.BufferReady(QByteArray(700, 'x'), false));
    EXPECT_EQ(p.Pending(), 0);
    p.BufferReady(QByteArray(100, 'x'), false);
    EXPECT_FALSE(p.Flush(false));
    EXPECT_EQ(p.Pending(), 0);
}

TEST(Packetiser, FlushSendsTheRestAsAShorterPacket) {
    Packetiser p(Packetiser::Kind::HighQuality);
    p.SetCodec("A_CODEC_NAME_LONGER_THAN_16");
    EXPECT_FALSE(p.Flush(true)) << "nothing collected, nothing sent";
    p.BufferReady(QByteArray(130, 'z'), true);
    const auto packet = p.Flush(true);
    ASSERT_TRUE(packet);
    EXPECT_EQ(packet->size(), 18 + 130);
    EXPECT_EQ(packet->mid(1, 16), "A_CODEC_NAME_LON"); // cut to 16
    EXPECT_EQ(p.Pending(), 0);
}

TEST(ReceiveBuffer, DrainsInOrderAndCapsByDroppingTheOldestWholeBlocks) {
    ReceiveBuffer b;
    b.Append("0123456789");
    EXPECT_EQ(b.Drain(4), "0123");
    EXPECT_EQ(b.Drain(100), "456789");
    EXPECT_EQ(b.Drain(100), "");
    b.SetCap(10, 4);
    EXPECT_EQ(b.Append("abcdefgh"), 0);
    EXPECT_EQ(b.Append("ijklm"), 4); // 13 bytes: drop one 4-byte block
    EXPECT_EQ(b.Size(), 9);
    EXPECT_EQ(b.Drain(100), "efghijklm");
    b.Append("xyz");
    b.Clear();
    EXPECT_EQ(b.Size(), 0);
}

TEST(ReceiveBuffer, ConcurrentAppendAndDrainLoseNothing) {
    ReceiveBuffer b;
    constexpr int Packets = 20000;
    std::thread writer([&] {
        for (int i = 0; i < Packets; ++i) {
            QByteArray p(1 + i % 97, '\0');
            for (qsizetype k = 0; k < p.size(); ++k)
                p[k] = char((i + k) & 0xFF);
            b.Append(p);
        }
    });
    QByteArray expected;
    for (int i = 0; i < Packets; ++i)
        for (int k = 0; k < 1 + i % 97; ++k)
            expected.append(char((i + k) & 0xFF));
    QByteArray got;
    while (got.size() < expected.size())
        got += b.Drain(1625);
    writer.join();
    EXPECT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected);
    EXPECT_EQ(b.Size(), 0);
}

} // namespace
