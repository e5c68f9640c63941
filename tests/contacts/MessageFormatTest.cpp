#include "contacts/MessageFormat.h"

#include <gtest/gtest.h>

using namespace korvex::contacts;

TEST(MessageFormat, ColorText) {
    EXPECT_EQ(ColorText(0x800000), "#000080"); // navy: blue 128 in the third byte
    EXPECT_EQ(ColorText(0x0000FF), "#FF0000");
    EXPECT_EQ(ColorText(0xABCDEF), "#EFCDAB");
}

TEST(MessageFormat, TrimMessage) {
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"", ""},
        {"a<b>c", "abc"},
        {"hi\r\n ", "hi"},
        {"hi\r\n", "hi"},
        {"hi\r\n\r\n", "hi\r\n"},
        {QByteArray(150, '<') + "x", QByteArray(50, '<') + "x"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(TrimMessage(in), out) << in.constData();
}

TEST(MessageFormat, MakeLinks) {
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"no links here", "no links here"},
        {"see http://a.com and http://b.org/x now",
         "see <a href=\"http://a.com\">http://a.com</a> and <a href=\"http://b.org/x\">http://b.org/x</a> now"},
        {"HTTP://CAPS.COM", "<a href=\"HTTP://CAPS.COM\">HTTP://CAPS.COM</a>"},
        {"x http://a.com\r\nnext", "x <a href=\"http://a.com\r\nnext\">http://a.com\r\nnext</a>"}, // only a blank ends it
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(MakeLinks(in, "http://"), out) << in.constData();
    EXPECT_EQ(MakeLinks("mail MAILTO:x@y.z", "mailto:"), "mail <a href=\"MAILTO:x@y.z\">MAILTO:x@y.z</a>");
}

TEST(MessageFormat, FormatMessageHtml) {
    TextStyle style;
    style.bold = true;
    style.size = "3";
    style.face = "Tahoma";
    style.colour = 0x800000;
    EXPECT_EQ(FormatMessageHtml("a\r\nb", style), "<b><font size=\"3\" face=\"Tahoma\" color=\"#000080\">a<br>b</font></b>");
    style.italic = style.underline = true;
    EXPECT_EQ(FormatMessageHtml("x", style),
              "<b><i><u><font size=\"3\" face=\"Tahoma\" color=\"#000080\">x</font></u></i></b>");
    EXPECT_TRUE(FormatMessageHtml("", style).isEmpty());
}

TEST(MessageFormat, ComposeMessage) {
    TextStyle plain;
    const QByteArray open = "<font size=\"2\" face=\"Tahoma\" color=\"#000000\">";
    for (const QByteArray& nothing : {QByteArray(), QByteArray("\r\n"), QByteArray("\r\n\r\n"),
                                      QByteArray("\r\n\r\n\r\n")})
        EXPECT_TRUE(ComposeMessage(nothing, plain, true).isEmpty());
    EXPECT_TRUE(ComposeMessage("hello", plain, false).isEmpty()) << "nothing goes out while disconnected";

    QByteArray shown;
    EXPECT_EQ(ComposeMessage("<b>hi</b>", plain, true, &shown), open + "&lt;b&gt;hi&lt;/b&gt;</font>");
    EXPECT_EQ(shown, "&lt;b&gt;hi&lt;/b&gt;");
    EXPECT_EQ(ComposeMessage("a\x9A" "b\x9C" "c\x1A", plain, true), open + "a b c </font>");

    // The cut to 255 happens before links and tags, which may make the fragment longer.
    const QByteArray longText = "http://x.com " + QByteArray(300, 'y');
    const QByteArray html = ComposeMessage(longText, plain, true);
    const QByteArray cut = longText.left(255);
    EXPECT_EQ(html, open + "<a href=\"http://x.com\">http://x.com</a>" + cut.mid(12) + "</font>");
}
