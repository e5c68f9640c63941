#pragma once

#include <QByteArray>

#include <cstdint>

namespace korvex::contacts {

// How a window writes its outgoing text: the style of the typing box.
struct TextStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QByteArray size = "2";     // HTML font size "1".."4"
    QByteArray face = "Tahoma";
    std::uint32_t colour = 0;  // 0x00BBGGRR, red in the low byte
};

// "#RRGGBB" with upper-case digits.
QByteArray ColorText(std::uint32_t colour);

// Removes up to 100 "<" and then up to 100 ">", then a trailing CR LF + blank, then a trailing CR LF.
QByteArray TrimMessage(const QByteArray& text);

// Turns every address starting with scheme (found ignoring case, up to 100 of them) into an anchor whose address
// and visible text are the address. The address ends at the next blank.
QByteArray MakeLinks(const QByteArray& text, const QByteArray& scheme);

// Wraps text in the style's tags and font; CR LF become "<br>". Empty text gives nothing.
QByteArray FormatMessageHtml(const QByteArray& text, const TextStyle& style);

// Typed text as a private message goes out: escapes markup, replaces bytes the command syntax reserves, trims, cuts
// to 255 characters, adds links and style. Empty when there is nothing to send or the connection is down.
// typedShown receives the text as the typing box shows it after the escaping.
QByteArray ComposeMessage(const QByteArray& typed, const TextStyle& style, bool connected,
                          QByteArray* typedShown = nullptr);

// Escapes "<" and ">" and blanks out 0x1A and the two reserved command bytes: the common start of every
// outgoing message pipeline.
QByteArray EscapeTypedText(const QByteArray& typed);

} // namespace korvex::contacts
