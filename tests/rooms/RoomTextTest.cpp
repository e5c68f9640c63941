#include "rooms/RoomText.h"

#include <gtest/gtest.h>

using namespace korvex;
using rooms::ComposeRoomLine;

namespace {

contacts::TextStyle plainStyle() {
    contacts::TextStyle s;
    s.bold = false;
    s.size = "2";
    s.face = "Tahoma";
    return s;
}

QByteArray label(const QByteArray& nick) {
    return "<font size=\"3\" color=\"#336699\"><b>" + nick + ": </b></font>";
}

} // namespace

TEST(RoomLine, BuildsNameLabelAndStyledText) {
    const auto line = ComposeRoomLine("  hello  ", plainStyle(), "#336699", "alice", false, true);
    ASSERT_TRUE(line.sent);
    EXPECT_TRUE(line.html.startsWith(label("alice"))) << line.html.constData();
    EXPECT_TRUE(line.html.contains("hello"));
    EXPECT_FALSE(line.html.contains("\r\n"));
    EXPECT_TRUE(line.sendBox.isEmpty());
}

TEST(RoomLine, TypedTextCases) {
    struct Case {
        const char* what;
        QByteArray typed;
        bool restricted;
        bool sent;
        QByteArray mustContain;
        QByteArray mustNotContain;
        QByteArray sendBoxAfter;
    };
    const QByteArray longText = QByteArray(300, 'x');
    const Case cases[] = {
        {"markup is escaped", "<b>hi</b>", false, true, "&lt;b&gt;hi&lt;/b&gt;", "<b>hi", ""},
        {"marks removed", "a\xA9 b\xAE c", false, true, "a b c", "\xA9", ""},
        {"blank lines send nothing", " \r\n \r\n\t", false, false, "", "", ""},
        {"no text keeps the escaped text", "  <i>x  ", true, false, "", "", "&lt;i&gt;x"},
        {"reserved bytes become blanks",
         "a\x9A"
         "b\x9C"
         "c\x1A"
         "d",
         false, true, "a b c d", "\x9A", ""},
        {"links", "see http://korvex.example/x now", false, true, "<a href=\"http://korvex.example/x\"", "",
         ""},
    };
    for (const Case& c : cases) {
        const auto line = ComposeRoomLine(c.typed, plainStyle(), "#336699", "alice", c.restricted, true);
        EXPECT_EQ(line.sent, c.sent) << c.what;
        if (!c.mustContain.isEmpty()) {
            EXPECT_TRUE(line.html.contains(c.mustContain)) << c.what << ": " << line.html.constData();
        }
        if (!c.mustNotContain.isEmpty()) {
            EXPECT_FALSE(line.html.contains(c.mustNotContain)) << c.what;
        }
        EXPECT_EQ(line.sendBox, c.sendBoxAfter) << c.what;
    }
    const auto cut = ComposeRoomLine(longText, plainStyle(), "#000000", "alice", false, true);
    EXPECT_TRUE(cut.html.contains(QByteArray(255, 'x')));
    EXPECT_FALSE(cut.html.contains(QByteArray(256, 'x')));
    const auto offline = ComposeRoomLine("hi", plainStyle(), "#000000", "alice", false, false);
    EXPECT_FALSE(offline.sent);
    EXPECT_EQ(offline.sendBox, "hi");
}

TEST(RoomLine, SystemLineIsRedAndBold) {
    EXPECT_EQ(
        rooms::RoomSystemLine("bob", rooms::EnteredText),
        "<font size=\"2\" face=\"Tahoma\" color=\"#FF0000\"><b>Korvex System: </b>bob has just entered the "
        "room</b></font>");
}

TEST(RoomColours, NameColourLegibleOnBackground) {
    auto grey = [](int l240) {
        const int v = (l240 * 255 + 120) / 240;
        return QColor(v, v, v);
    };
    struct Case {
        int background, chosen;
        QColor expected;
    };
    const Case cases[] = {
        {220, 220, Qt::black}, {30, 30, Qt::white},
        {100, 100, Qt::white}, {240, 200, Qt::black}, // darker but close to white: black
        {20, 60, Qt::white},                          // lighter but close to a dark background: white
    };
    for (const Case& c : cases) {
        const QColor b = grey(c.background), ch = grey(c.chosen);
        ASSERT_EQ(rooms::Luminance240(b), c.background);
        ASSERT_EQ(rooms::Luminance240(ch), c.chosen);
        EXPECT_EQ(rooms::LegibleNameColour(ch, b), c.expected) << c.background << "/" << c.chosen;
    }
    // Far enough apart: the choice stays.
    EXPECT_EQ(rooms::LegibleNameColour(QColor(0x33, 0x66, 0x99), Qt::white), QColor(0x33, 0x66, 0x99));
}

TEST(RoomColours, ContrastAt287And288) {
    // red 255, green 32, blue 0 -> 287; red 255, green 33 -> 288.
    EXPECT_EQ(rooms::ContrastTextColour(0x000020FF), QColor(Qt::white));
    EXPECT_EQ(rooms::ContrastTextColour(0x000021FF), QColor(Qt::black));
}
