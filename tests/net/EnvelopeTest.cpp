#include "net/Blowfish.h"
#include "net/Command.h"
#include "net/Compression.h"
#include "net/Envelope.h"
#include "net/Frame.h"

#include <gtest/gtest.h>

#include <QList>
#include <QRandomGenerator>

using namespace korvex::net;

namespace {

QByteArray hex(const char* digits) {
    return QByteArray::fromHex(digits);
}

// Frame body without its seven-digit header.
QByteArray bodyOf(const QByteArray& frame) {
    EXPECT_EQ(frame.left(7).toInt(), frame.size() - 7);
    return frame.mid(7);
}

// Offset K and the 24 header digits of the envelope starting at pos.
struct OpenedHeader {
    int offset;
    QByteArray digits;
};
OpenedHeader openHeader(const QByteArray& envelope, qsizetype pos = 0) {
    const int offset = (envelope[pos] - 32 - '0') * 10 + (envelope[pos + 1] - 32 - '0');
    QByteArray digits;
    for (int i = 0; i < 24; ++i) digits.append(char(quint8(envelope[pos + 2 + i]) - offset - (i + 1)));
    return {offset, digits};
}

QByteArray decryptBody(const QByteArray& envelope) {
    const auto header = openHeader(envelope);
    QByteArray cipher = envelope.mid(26);
    BlowfishCipher(MessageKeyBytes(header.digits.left(16).toULongLong())).DecryptBlocks(cipher.data(), cipher.size());
    return cipher;
}

} // namespace

// The standard vectors, seen through the protocol's little-endian halves.
TEST(Blowfish, StandardVectors) {
    struct Case {
        QByteArray key, plain, standardCipher;
    };
    for (const auto& c : {Case{hex("0000000000000000"), hex("0000000000000000"), hex("4EF997456198DD78")},
                          Case{hex("FFFFFFFFFFFFFFFF"), hex("FFFFFFFFFFFFFFFF"), hex("51866FD5B85ECB8A")}}) {
        QByteArray block = c.plain;
        BlowfishCipher cipher(c.key);
        cipher.EncryptBlocks(block.data(), block.size());
        QByteArray expected = c.standardCipher;
        std::reverse(expected.begin(), expected.begin() + 4);
        std::reverse(expected.begin() + 4, expected.end());
        EXPECT_EQ(block.toHex(), expected.toHex());
        cipher.DecryptBlocks(block.data(), block.size());
        EXPECT_EQ(block, c.plain);
    }
}

TEST(Envelope, KnownEnvelopeBytes) {
    // Computed independently with the openssl command line (legacy Blowfish, halves byte-swapped).
    const QByteArray plain = QByteArray("\x9Ap\x9C" "bob\x9C");
    const QByteArray envelope = BuildEnvelope(plain, 37, "1234567890123456");
    EXPECT_EQ(envelope.toHex(), "535757595b5d5f616365675f61636567696b666768696a6b6c75fbb64d6ebf594f92");
    EXPECT_EQ(DecodePayload(envelope), plain);
}

TEST(Envelope, VersionRequestUncompressedEverythingElseCompressed) {
    const QByteArray version = MakeCommand("GetVersion");
    EXPECT_FALSE(decryptBody(bodyOf(EncodeCommand(version))).startsWith(CompressMarker));
    for (const QByteArray& text : {MakeCommand("GetVersion", {""}), MakeCommand("GetVersion", {"x"}),
                                   MakeCommand("p", {"alice"}), MakeCommand("Login", {"a", "b", "c", "d"})}) {
        const QByteArray plain = decryptBody(bodyOf(EncodeCommand(text)));
        EXPECT_TRUE(plain.startsWith(CompressMarker)) << text.toHex().constData();
    }
}

TEST(Envelope, StructureOfRandomEnvelopes) {
    for (int round = 0; round < 500; ++round) {
        const QByteArray text = MakeCommand("ChatMsg", {"room", "nick", QByteArray(round, 'x')});
        const QByteArray raw = EncodeCommandRaw(text);
        ASSERT_GE(quint8(raw[0]), 'P');
        ASSERT_LE(quint8(raw[0]), 'W');
        ASSERT_GE(quint8(raw[1]), 'P');
        ASSERT_LE(quint8(raw[1]), 'Y');
        const auto header = openHeader(raw);
        ASSERT_GE(header.offset, 4);
        ASSERT_LE(header.offset, 75);
        for (char c : header.digits) ASSERT_TRUE(c >= '0' && c <= '9');
        ASSERT_NE(header.digits.left(16), QByteArray(16, '0'));
        const int length = header.digits.mid(16).toInt();
        ASSERT_EQ(length, raw.size() - 26);
        // Padding: 1 to 8 bytes of their own count.
        ASSERT_EQ(length, (text.size() / 8 + 1) * 8);
        const QByteArray plain = decryptBody(raw);
        const int pad = plain.back();
        ASSERT_EQ(pad, length - text.size());
        ASSERT_EQ(plain.right(pad), QByteArray(pad, char(pad)));
        ASSERT_EQ(DecodePayload(raw), text);
    }
}

TEST(Envelope, PaddingSizes) {
    EXPECT_EQ(BuildEnvelope(QByteArray(7, 'a'), 10, "1111111111111111").size(), 26 + 8);
    EXPECT_EQ(BuildEnvelope(QByteArray(8, 'a'), 10, "1111111111111111").size(), 26 + 16);
    EXPECT_EQ(BuildEnvelope(QByteArray(16, 'a'), 10, "1111111111111111").size(), 26 + 24);
}

TEST(Envelope, LastSendTimeMovesOnlyWithEncodeCommand) {
    SetLastSendTime(QDateTime::fromMSecsSinceEpoch(0));
    EncodeCommandRaw(MakeCommand("Find", {"x"}));
    EXPECT_EQ(LastSendTime().toMSecsSinceEpoch(), 0);
    EncodeCommand(MakeCommand("p", {"x"}));
    EXPECT_GT(LastSendTime().toMSecsSinceEpoch(), 0);
}

TEST(DecodePayload, SeveralEnvelopesInOneFrame) {
    const QByteArray a = MakeCommand("RLogin", {"OK"}), b = MakeCommand("p");
    EXPECT_EQ(DecodePayload(EncodeCommandRaw(a) + EncodeCommandRaw(b)), a + b);
    // Each compressed envelope is inflated on its own, so none of their commands is lost.
    EXPECT_EQ(DecodePayload(bodyOf(EncodeCommand(a)) + bodyOf(EncodeCommand(b))), a + b);
    // The Find request arrives enciphered but not compressed.
    EXPECT_EQ(DecodeFrameBody(EncodeCommandRaw(a)), a);
}

TEST(DecodePayload, ShortMarkedPacketYieldsNoCommand) {
    const QByteArray body = QByteArray("\xAA\xB4\xBE" "1234567", 10);
    const QByteArray text = DecodePayload(body);
    EXPECT_EQ(text, QByteArray("\xAEp\xA9" "1234567\xA9"));
    ParsedCommand cmd;
    QByteArray copy = text;
    EXPECT_FALSE(NextCommand(copy, cmd));
}

TEST(DecodePayload, ShortBodiesArePlainText) {
    EXPECT_EQ(DecodeFrameBody("\x9Ap\x9C"), "\x9Ap\x9C");
    EXPECT_EQ(DecodeFrameBody("ab"), "ab");
}

TEST(DecodePayload, SilentStops) {
    const QByteArray good = EncodeCommandRaw(MakeCommand("p"));
    QByteArray badOffset = good;
    badOffset[0] = 'A';
    QByteArray zeroOffset = good;
    zeroOffset[0] = zeroOffset[1] = char('0' + 32);
    // A length field of zeros: rewrite the 8 length digits of a K=4 envelope.
    QByteArray zeroLength = BuildEnvelope(MakeCommand("p"), 4, "1234567890123456");
    for (int i = 16; i < 24; ++i) zeroLength[2 + i] = char('0' + 4 + i + 1);
    QByteArray zeroKey = BuildEnvelope(MakeCommand("p"), 4, "1234567890123456");
    for (int i = 0; i < 16; ++i) zeroKey[2 + i] = char('0' + 4 + i + 1);

    for (const QByteArray& tail : {badOffset, zeroOffset, zeroLength, zeroKey, QByteArray(20, 'x')})
        EXPECT_EQ(DecodePayload(good + tail), MakeCommand("p")); // what came before is kept
}

TEST(DecodePayload, Errors) {
    // Length field 16 with only 12 cipher bytes present.
    QByteArray truncated = BuildEnvelope(QByteArray(10, 'a'), 20, "9999999999999999");
    truncated.chop(4);
    try {
        DecodePayload(truncated);
        FAIL() << "expected an error";
    } catch (const EnvelopeError& e) {
        EXPECT_STREQ(e.what(), "Ciphertext is not a multiple of 8 bytes.");
    }
    QByteArray badKey = BuildEnvelope("abc", 20, "12345678901234x6");
    try {
        DecodePayload(badKey);
        FAIL() << "expected an error";
    } catch (const EnvelopeError& e) {
        EXPECT_STREQ(e.what(), "'12345678901234x6' is not a valid integer value");
    }
    QString error;
    EXPECT_TRUE(DecodeFrameBody(truncated, &error).isEmpty());
    EXPECT_EQ(error, "Ciphertext is not a multiple of 8 bytes.");
}

TEST(DecodePayload, BrokenOrOversizedZlibYieldsNothing) {
    EXPECT_TRUE(DecodePayload(BuildEnvelope(CompressMarker + "not zlib at all", 30, "5555555555555555")).isEmpty());
    // 20 MiB of zeros compresses to about 20 KiB; inflating it must stop at the bound.
    const QByteArray bomb = ZlibCompress(QByteArray(20 * 1024 * 1024, '\0'));
    EXPECT_TRUE(DecodePayload(BuildEnvelope(CompressMarker + bomb, 30, "5555555555555555")).isEmpty());
    EXPECT_FALSE(ZlibDecompress(bomb.constData(), bomb.size()).has_value());
}

// Random commands survive encode -> random split -> reassembly -> decode -> parse.
TEST(EnvelopeProperty, RoundTripThroughRandomSplits) {
    QRandomGenerator rng(20261211);
    for (int round = 0; round < 200; ++round) {
        QList<QByteArray> texts;
        QByteArray stream;
        const int count = 1 + int(rng.bounded(5));
        for (int c = 0; c < count; ++c) {
            QByteArray field(qsizetype(rng.bounded(3000)), Qt::Uninitialized);
            for (char& ch : field) ch = char(rng.bounded(256));
            const QByteArray text = MakeCommand("Cmd" + QByteArray::number(c), {EscapeChunk(field), "x"});
            texts << text;
            stream += EncodeCommand(text);
        }
        FrameAssembler assembler;
        QList<QByteArray> decoded;
        for (qsizetype pos = 0; pos < stream.size();) {
            const qsizetype n = 1 + qsizetype(rng.bounded(700));
            assembler.Feed(stream.mid(pos, n), [&](const QByteArray& body) { decoded << DecodePayload(body); });
            pos += n;
        }
        ASSERT_EQ(decoded, texts);
        ParsedCommand cmd;
        QByteArray first = decoded.front();
        ASSERT_TRUE(NextCommand(first, cmd));
        ASSERT_EQ(cmd.name, "Cmd0");
    }
}
