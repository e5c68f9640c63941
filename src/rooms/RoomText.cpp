#include "rooms/RoomText.h"

#include "contacts/Smileys.h"
#include "contacts/UiHelpers.h"
#include "net/Command.h"

namespace korvex::rooms {

namespace {

bool isTrimmable(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

QByteArray trimBlanksAndControls(const QByteArray& text) {
    int b = 0, e = text.size();
    while (b < e && isTrimmable(text[b]))
        ++b;
    while (e > b && isTrimmable(text[e - 1]))
        --e;
    return text.mid(b, e - b);
}

} // namespace

RoomLine ComposeRoomLine(const QByteArray& typed, const contacts::TextStyle& style,
                         const QByteArray& nameColor, const QByteArray& ownNick, bool restrictNoText,
                         bool connected) {
    RoomLine out;
    QByteArray text = trimBlanksAndControls(typed).left(255);
    out.sendBox = text;
    if (text.isEmpty()) return out;
    text = contacts::EscapeTypedText(text);
    out.sendBox = text;
    if (restrictNoText || !connected) return out;

    // The send box's lines, each followed by CR LF.
    QByteArray lines;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        lines += line + "\r\n";
    }
    QByteArray body = contacts::TrimMessage(lines);
    if (body.isEmpty()) return out;
    body = body.left(51200);
    body = contacts::MakeLinks(body, "http://");
    body = contacts::MakeLinks(body, "ftp://");
    body = contacts::MakeLinks(body, "mailto:");
    while (body.endsWith("\r\n"))
        body.chop(2);

    QByteArray html = "<font size=\"3\" color=\"" + nameColor + "\"><b>" + ownNick + ": </b></font>" +
                      contacts::FormatMessageHtml(body, style);
    out.html = net::StripMarks(html);
    out.sendBox.clear();
    out.sent = true;
    return out;
}

QByteArray RoomSystemLine(const QByteArray& userName, const QByteArray& event) {
    return "<font size=\"2\" face=\"Tahoma\" color=\"#FF0000\"><b>Korvex System: </b>" + userName + event +
           "</b></font>";
}

QByteArray ExpandLineSmileys(const QByteArray& html, const contacts::SmileyTable& smileys) {
    const int colon = html.indexOf(':');
    if (colon < 0) return smileys.ExpandSmileys(html);
    return html.left(colon + 1) + smileys.ExpandSmileys(html.mid(colon + 1));
}

int Luminance240(const QColor& c) {
    // Windows ColorRGBToHLS: L = ((max + min) * 240 + 255) / (2 * 255).
    const int mx = std::max({c.red(), c.green(), c.blue()});
    const int mn = std::min({c.red(), c.green(), c.blue()});
    return ((mx + mn) * 240 + 255) / 510;
}

QColor LegibleNameColour(const QColor& chosen, const QColor& background) {
    const int C = Luminance240(chosen);
    const int B = Luminance240(background);
    QColor result = chosen;
    if (B >= C && B - C <= 50) result = B > 50 ? QColor(Qt::black) : QColor(Qt::white);
    if (C >= B && C - B <= 50) result = B < 200 ? QColor(Qt::white) : QColor(Qt::black);
    return result;
}

QColor FromWinColour(quint32 colour) {
    return contacts::SkinColor(colour);
}

quint32 WinColourOf(const QColor& colour) {
    return quint32(colour.red()) | quint32(colour.green()) << 8 | quint32(colour.blue()) << 16;
}

QColor ContrastTextColour(quint32 colour) {
    const QColor c = FromWinColour(colour);
    return c.red() + c.green() + c.blue() < 288 ? QColor(Qt::white) : QColor(Qt::black);
}

} // namespace korvex::rooms
