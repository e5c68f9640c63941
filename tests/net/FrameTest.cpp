#include "net/Frame.h"

#include <gtest/gtest.h>

#include <QList>

using korvex::net::FrameAssembler;
using korvex::net::PrefixLength;

namespace {

// Feeds the chunks in order and records every delivered body.
QList<QByteArray> feed(const QList<QByteArray>& chunks, FrameAssembler& assembler) {
    QList<QByteArray> out;
    for (const auto& chunk : chunks) assembler.Feed(chunk, [&](const QByteArray& body) { out << body; });
    return out;
}

QList<QByteArray> feed(const QList<QByteArray>& chunks) {
    FrameAssembler assembler;
    return feed(chunks, assembler);
}

} // namespace

TEST(PrefixLength, PadsToSevenDigits) {
    EXPECT_EQ(PrefixLength(QByteArray(42, 'x')), "0000042" + QByteArray(42, 'x'));
    EXPECT_EQ(PrefixLength("a"), "0000001a");
    EXPECT_EQ(PrefixLength(QByteArray(1234567, 'z')).left(7), "1234567");
}

struct ReassemblyCase {
    const char* name;
    QList<QByteArray> chunks;
    QList<QByteArray> expected;
};

void PrintTo(const ReassemblyCase& c, std::ostream* os) {
    *os << c.name;
}

class Reassembly : public ::testing::TestWithParam<ReassemblyCase> {};

TEST_P(Reassembly, DeliversExpectedFrames) {
    EXPECT_EQ(feed(GetParam().chunks), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Reassembly,
    ::testing::Values(
        ReassemblyCase{"TwoFramesInOneRead", {"0000005hello0000003abc"}, {"hello", "abc"}},
        ReassemblyCase{"HeaderSplitAfter3", {"000", "0005hello"}, {"hello"}},
        ReassemblyCase{"HeaderSplitAfter1", {"0", "000005hello"}, {"hello"}},
        ReassemblyCase{"HeaderSplitAfter6", {"000000", "5hello"}, {"hello"}},
        ReassemblyCase{"HeaderInThreeReads", {"00", "000", "05hello"}, {"hello"}},
        // A header that ends a read keeps its length; the body of the next read is not taken as a header.
        ReassemblyCase{"HeaderExactlyEndsRead", {"0000005", "hello"}, {"hello"}},
        ReassemblyCase{"HeaderEndsReadAfterFrame", {"0000001a0000005", "hello"}, {"a", "hello"}},
        ReassemblyCase{"BodyInThreeReads", {"0000010abc", "defg", "hij"}, {"abcdefghij"}},
        ReassemblyCase{"BodyAndNextHeaderSplit", {"0000003ab", "c00", "00002xy"}, {"abc", "xy"}},
        ReassemblyCase{"LetterInHeaderDiscardsChunk", {"00A0005hello", "0000002ok"}, {"ok"}},
        ReassemblyCase{"BadHeaderAfterFrameDiscardsRest", {"0000001aXXXXXXXhello0000002ok", "0000001b"},
                       {"a", "b"}},
        ReassemblyCase{"ZeroHeaderDiscardsRest", {"0000000abc0000002ok", "0000002ok"}, {"ok"}},
        ReassemblyCase{"BinaryBody", {QByteArray("0000003\0\x9A\xFF", 10)}, {QByteArray("\0\x9A\xFF", 3)}},
        ReassemblyCase{"EmptyReadDoesNothing", {"", "0000001z", ""}, {"z"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Reassembly, EverySplitPositionOfTwoFrames) {
    const QByteArray stream = "0000005hello0000011hello world";
    for (qsizetype a = 0; a <= stream.size(); ++a)
        for (qsizetype b = a; b <= stream.size(); ++b) {
            const auto got = feed({stream.left(a), stream.mid(a, b - a), stream.mid(b)});
            ASSERT_EQ(got, (QList<QByteArray>{"hello", "hello world"})) << "split at " << a << "," << b;
        }
}

TEST(Reassembly, BadHeaderIsReported) {
    FrameAssembler assembler;
    EXPECT_EQ(assembler.Feed("0000001a", [](const QByteArray&) {}), FrameAssembler::Status::Ok);
    EXPECT_EQ(assembler.Feed("garbage", [](const QByteArray&) {}), FrameAssembler::Status::BadHeader);
    EXPECT_EQ(assembler.FrameLen(), 0);
    EXPECT_TRUE(assembler.FrameBuf().isEmpty());
}

TEST(Reassembly, HandlerErrorEndsOnlyItsFrame) {
    FrameAssembler assembler;
    QList<QByteArray> got;
    assembler.Feed("0000003bad0000002ok", [&](const QByteArray& body) {
        if (body == "bad") throw std::runtime_error("handler failed");
        got << body;
    });
    EXPECT_EQ(got, QList<QByteArray>{"ok"});
    EXPECT_EQ(assembler.FrameLen(), 0);
}

TEST(Reassembly, StopsWhenOwnerSaysSo) {
    FrameAssembler assembler;
    QList<QByteArray> got;
    assembler.Feed(
        "0000001a0000001b", [&](const QByteArray& body) { got << body; }, [] { return false; });
    EXPECT_EQ(got, QList<QByteArray>{"a"});
    EXPECT_EQ(assembler.FrameLen(), 0);
}

TEST(Reassembly, ResetDropsPartialFrame) {
    FrameAssembler assembler;
    EXPECT_TRUE(feed({"0000010abc"}, assembler).isEmpty());
    assembler.Reset();
    EXPECT_EQ(feed({"0000002ok"}, assembler), QList<QByteArray>{"ok"});
}
