#include "net/Command.h"

#include <gtest/gtest.h>

#include <QList>
#include <QRandomGenerator>

using namespace korvex::net;

namespace {
const QByteArray S(1, CmdStart), F(1, FieldSep);
}

TEST(NextCommand, ListedExamples) {
    QByteArray text = S + "RLogin" + F + "1" + F + S + "p" + F;
    ParsedCommand cmd;
    ASSERT_TRUE(NextCommand(text, cmd));
    EXPECT_EQ(cmd.name, "RLogin");
    EXPECT_EQ(cmd.field(1), "1");
    EXPECT_EQ(cmd.field(2), "");
    EXPECT_EQ(text, S + "p" + F);
    ASSERT_TRUE(NextCommand(text, cmd));
    EXPECT_EQ(cmd.name, "p");
    EXPECT_EQ(cmd.field(1), "");
    EXPECT_TRUE(text.isEmpty());
    EXPECT_FALSE(NextCommand(text, cmd));
}

TEST(NextCommand, SyntaxCases) {
    struct Case {
        const char* what;
        QByteArray text;
        bool found;
        QByteArray name;
        QList<QByteArray> fields;
    };
    const Case cases[] = {
        {"no CmdStart", "hello" + F + "x", false, "", {}},
        {"junk before start ignored", "ab" + F + "cd" + S + "Name" + F + "v" + F, true, "Name", {"v"}},
        {"missing final FieldSep keeps last field", S + "N" + F + "a" + F + "b", true, "N", {"a", "b"}},
        {"name without FieldSep", S + "Nm", true, "Nm", {}},
        {"empty fields", S + "N" + F + F + F + "c" + F, true, "N", {"", "", "c"}},
        {"binary bytes in field", S + "N" + F + QByteArray("\0\xFF", 2) + F, true, "N", {QByteArray("\0\xFF", 2)}},
    };
    for (const auto& c : cases) {
        QByteArray text = c.text;
        ParsedCommand cmd;
        EXPECT_EQ(NextCommand(text, cmd), c.found) << c.what;
        EXPECT_EQ(cmd.name, c.name) << c.what;
        for (int i = 0; i < c.fields.size(); ++i) EXPECT_EQ(cmd.field(i + 1), c.fields[i]) << c.what;
        EXPECT_TRUE(cmd.field(int(c.fields.size()) + 1).isEmpty()) << c.what;
    }
}

TEST(NextCommand, FiftyOneFieldsAndMore) {
    QList<QByteArray> fields;
    for (int i = 1; i <= 60; ++i) fields << QByteArray::number(i);
    QByteArray text = S + "Big" + F;
    for (const auto& f : fields) text += f + F;
    text += S + "Next" + F;
    ParsedCommand cmd;
    ASSERT_TRUE(NextCommand(text, cmd));
    for (int i = 1; i <= 51; ++i) EXPECT_EQ(cmd.field(i), QByteArray::number(i));
    EXPECT_TRUE(cmd.field(52).isEmpty());
    ASSERT_TRUE(NextCommand(text, cmd)); // the extra fields were dropped, not taken as the next command
    EXPECT_EQ(cmd.name, "Next");
}

TEST(NextCommand, ReaderMatchesNextCommand) {
    QByteArray text;
    for (int i = 0; i < 100; ++i) text += MakeCommand("C" + QByteArray::number(i), {"a", QByteArray::number(i)});
    CommandReader reader(text);
    ParsedCommand a, b;
    QByteArray rest = text;
    while (NextCommand(rest, a)) {
        ASSERT_TRUE(reader.Next(b));
        ASSERT_EQ(a.name, b.name);
        ASSERT_EQ(a.fields, b.fields);
    }
    EXPECT_FALSE(reader.Next(b));
}

TEST(MakeCommand, Layout) {
    EXPECT_EQ(MakeCommand("GetVersion"), S + "GetVersion" + F);
    EXPECT_EQ(MakeCommand("X", {"a", "", "b"}), S + "X" + F + "a" + F + F + "b" + F);
}

TEST(FieldEscapes, Cases) {
    const QByteArray escS("\xA9\xAE\xB1\xB5"), escF("\xA7\xA4\xB0\xAC");
    EXPECT_EQ(EscapeField("a" + S + "b"), "a" + escS + "b");
    EXPECT_EQ(UnescapeField("a" + escS + "b"), "a" + S + "b");
    EXPECT_EQ(EscapeField(F + S), escF + escS);
    EXPECT_EQ(UnescapeField(escF + escS), F + S);
    // Already-escaped text passes unchanged; StripMarks first breaks the sequence.
    EXPECT_EQ(EscapeField("x" + escS), "x" + escS);
    EXPECT_EQ(StripMarks("x" + escS), "x\xB1\xB5");

    QRandomGenerator rng(7);
    for (int round = 0; round < 200; ++round) {
        QByteArray data(qsizetype(rng.bounded(64)), Qt::Uninitialized);
        for (char& c : data) c = char(rng.bounded(256));
        const QByteArray escaped = EscapeField(StripMarks(data));
        ASSERT_FALSE(escaped.contains(CmdStart));
        ASSERT_FALSE(escaped.contains(FieldSep));
        ASSERT_EQ(UnescapeField(escaped), StripMarks(data));
    }
}

TEST(StripMarks, RemovesAtMostAThousandOfEach) {
    EXPECT_EQ(StripMarks("a\xAE" "b\xA9" "c"), "abc");
    const QByteArray many = QByteArray(1005, char(0xAE)) + QByteArray(1002, char(0xA9)) + "z";
    EXPECT_EQ(StripMarks(many), QByteArray(5, char(0xAE)) + QByteArray(2, char(0xA9)) + "z");
}

TEST(ReplaceAll, NeverRescansReplacement) {
    EXPECT_EQ(ReplaceAll("a", "aa", "banana"), "baanaanaa");
    EXPECT_EQ(ReplaceAll("aa", "a", "aaaa"), "aa");
    EXPECT_EQ(ReplaceAll("xy", "", "xyxyz"), "z");
    EXPECT_EQ(ReplaceAll("q", "r", "abc"), "abc");
}

TEST(ChunkEscapes, CasesAndRoundTrip) {
    const char Esc = char(0xDA);
    EXPECT_EQ(EscapeChunk(QByteArray(1, Esc) + S + F + "x"),
              QByteArray(2, Esc) + Esc + "\xDB" + Esc + "\xDC" + "x");
    EXPECT_EQ(UnescapeChunk(QByteArray(1, Esc) + "A" + "b"), "?b"); // unknown pair
    EXPECT_EQ(UnescapeChunk("ab" + QByteArray(1, Esc)), "ab" + QByteArray(1, Esc)); // lone final byte kept

    QRandomGenerator rng(11);
    for (int round = 0; round < 300; ++round) {
        QByteArray data(qsizetype(rng.bounded(200)), Qt::Uninitialized);
        for (char& c : data) c = "\x9A\x9C\xDA\xDB\xDCx"[rng.bounded(6)];
        const QByteArray escaped = EscapeChunk(data);
        ASSERT_FALSE(escaped.contains(CmdStart));
        ASSERT_FALSE(escaped.contains(FieldSep));
        ASSERT_EQ(UnescapeChunk(escaped), data);
    }
}
