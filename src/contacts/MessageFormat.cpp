#include "MessageFormat.h"

#include "net/Command.h"

namespace korvex::contacts {

namespace {

// Deletes the first occurrence of c, at most limit times.
void removeChar(QByteArray& text, char c, int limit) {
    for (int i = 0; i < limit; ++i) {
        const qsizetype at = text.indexOf(c);
        if (at < 0) return;
        text.remove(at, 1);
    }
}

qsizetype indexOfIgnoringCase(const QByteArray& text, const QByteArray& pattern, qsizetype from) {
    const qsizetype last = text.size() - pattern.size();
    for (qsizetype i = from; i <= last; ++i)
        if (qstrnicmp(text.constData() + i, pattern.constData(), size_t(pattern.size())) == 0) return i;
    return -1;
}

} // namespace

QByteArray ColorText(std::uint32_t colour) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%.2X%.2X%.2X", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return QByteArray(buf, 7);
}

QByteArray TrimMessage(const QByteArray& text) {
    QByteArray out = text;
    removeChar(out, '<', 100);
    removeChar(out, '>', 100);
    if (out.endsWith("\r\n ")) out.chop(3);
    if (out.endsWith("\r\n")) out.chop(2);
    return out;
}

QByteArray MakeLinks(const QByteArray& text, const QByteArray& scheme) {
    QByteArray result, rest = text;
    for (int i = 0; i < 100; ++i) {
        const qsizetype at = indexOfIgnoringCase(rest, scheme, 0);
        if (at < 0) break;
        result += rest.left(at);
        qsizetype end = rest.indexOf(' ', at);
        if (end < 0) end = rest.size();
        const QByteArray link = rest.mid(at, end - at);
        result += "<a href=\"" + link + "\">" + link + "</a>";
        rest = rest.mid(end);
    }
    return result + rest;
}

QByteArray FormatMessageHtml(const QByteArray& text, const TextStyle& style) {
    if (text.isEmpty()) return {};
    QByteArray html;
    if (style.bold) html += "<b>";
    if (style.italic) html += "<i>";
    if (style.underline) html += "<u>";
    html += "<font size=\"" + style.size + "\" face=\"" + style.face + "\" color=\"" + ColorText(style.colour) +
            "\">";
    html += text;
    html.replace("\r\n", "<br>");
    html += "</font>";
    if (style.underline) html += "</u>";
    if (style.italic) html += "</i>";
    if (style.bold) html += "</b>";
    return html;
}

QByteArray EscapeTypedText(const QByteArray& typed) {
    QByteArray out;
    out.reserve(typed.size() + 16);
    for (const char c : typed) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case char(0x1A):
        case net::CmdStart:
        case net::FieldSep: out += ' '; break;
        default: out += c;
        }
    }
    return out;
}

QByteArray ComposeMessage(const QByteArray& typed, const TextStyle& style, bool connected, QByteArray* typedShown) {
    if (typed.isEmpty() || typed == "\r\n" || typed == "\r\n\r\n" || typed == "\r\n\r\n\r\n" || !connected)
        return {};
    const QByteArray escaped = EscapeTypedText(typed);
    if (typedShown) *typedShown = escaped;
    QByteArray text = TrimMessage(escaped).left(255);
    if (text.isEmpty()) return {};
    for (const char* scheme : {"http://", "ftp://", "mailto:"}) text = MakeLinks(text, scheme);
    return FormatMessageHtml(text, style);
}

} // namespace korvex::contacts
