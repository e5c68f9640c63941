#include "platform/CodePage.h"
#include "platform/WindowPlacement.h"

#include <gtest/gtest.h>

using namespace korvex::platform;

TEST(CodePage, CharactersThePageLacksBecomeQuestionMarks) {
    struct Case {
        const char* codePage;
        const char* utf8;
        QByteArray expected;
    };
    const Case cases[] = {
        {"windows-1252",
         "a\xE2\x82\xAC"
         "b",
         QByteArray("a\x80"
                    "b")}, // the euro sign is in the page
        {"windows-1252",
         "a\xD0\x96"
         "b",
         QByteArray("a?b")},                                           // Cyrillic Zhe is not
        {"windows-1252", "x\x1Ay", QByteArray("x\x1Ay")},              // SUB itself stays SUB
        {"windows-1251", "\xD0\x96\xE4\xB8\xAD", QByteArray("\xC6?")}, // Zhe maps, a CJK sign does not
        {"Big5", "\xE4\xB8\xAD\xD0\x96", QByteArray("\xA4\xA4?")},     // double-byte page
        {"IBM437", "a\xE2\x82\xAC", QByteArray("a?")},                 // its converter substitutes 0x7F
        {"no-such-page", "abc", QByteArray("abc")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EncodeCodePage(QString::fromUtf8(c.utf8), c.codePage).toHex(' '), c.expected.toHex(' '))
            << c.codePage << " " << c.utf8;
}

TEST(WindowPlacement, KeepsWindowsOnTheScreen) {
    const QRect work(0, 0, 1280, 984); // a panel takes the bottom 40 pixels of 1280 x 1024
    struct Case {
        QRect window;
        QRect expected;
    };
    const Case cases[] = {
        {{100, 100, 700, 500}, {100, 100, 700, 500}},
        {{100, 700, 700, 500}, {100, 484, 700, 500}}, // below the work area: moved up
        {{900, 100, 700, 500}, {580, 100, 700, 500}}, // beyond the right edge: moved left
        {{-50, -20, 700, 500}, {0, 0, 700, 500}},
        {{0, 0, 1400, 1100}, {0, 0, 1400, 1100}}, // larger than the area: its corner stays at 0, 0
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeepInsideWorkArea(c.window, work), c.expected) << c.window.x();

    EXPECT_EQ(FitToScreen({300, 200, 1400, 1100}, {1280, 1024}, work), QRect(0, 0, 1280, 1024));
    EXPECT_EQ(FitToScreen({50, 40, 700, 400}, {800, 600}, {0, 0, 800, 570}), QRect(0, 0, 700, 400));
}

TEST(WindowPlacement, RestoresTheFourLinesOfAWindowFile) {
    const QRect current(10, 20, 700, 400);
    const QSize screen(1280, 1024);
    struct Case {
        QList<QByteArray> lines;
        QRect expected;
    };
    const Case cases[] = {
        {{"120", "80", "800", "500"}, {80, 120, 800, 500}},
        {{"x", "y", "800", "500"}, {10, 20, 800, 500}}, // not numbers: the current place
        {{"-5", "-9", "800", "500"}, {0, 0, 800, 500}},
        {{"5000", "9000", "800", "500"},
         {1180, 924, 800, 500}},                       // beyond the screen: 100 pixels before its edge
        {{"120", "80", "", "0"}, {80, 120, 700, 400}}, // no usable size: the current size
        {{"120", "80", "800"}, current},               // fewer than four lines: nothing changes
    };
    for (const Case& c : cases)
        EXPECT_EQ(RestoreGeometryLines(current, c.lines, screen), c.expected)
            << c.lines.join(',').constData();
    EXPECT_EQ(GeometryLines({80, 120, 800, 500}), "120\r\n80\r\n800\r\n500\r\n");
}
