#pragma once

#include "contacts/MessageFormat.h"

#include <QByteArray>
#include <QColor>

namespace korvex::contacts {
class SmileyTable;
}

namespace korvex::rooms {

// What a room window sends for the typed text, and what its send box shows afterwards.
struct RoomLine {
    QByteArray html; // the "ChatMsg" HTML; empty when nothing is sent
    QByteArray
        sendBox; // the send box's text after sending is decided (trimmed, cut, escaped; empty when sent)
    bool sent = false;
};

// The outgoing pipeline of a room line: trim, cut to 255 characters, escape markup and reserved bytes, honour
// the own "no text" restriction, tidy and link the text, then the name label and the styled text; "©" and "®"
// are removed last so that no field escape can be forged.
RoomLine ComposeRoomLine(const QByteArray& typed, const contacts::TextStyle& style,
                         const QByteArray& nameColor, const QByteArray& ownNick, bool restrictNoText,
                         bool connected);

// The red "Korvex System: " line announcing an arrival or a departure.
QByteArray RoomSystemLine(const QByteArray& userName, const QByteArray& event);
inline constexpr char EnteredText[] = " has just entered the room";
inline constexpr char LeftText[] = " has just left the room";

// A received line as shown: smileys expanded after the sender's name label (up to and including the first
// ":"), or in the whole line when it has no ":".
QByteArray ExpandLineSmileys(const QByteArray& html, const contacts::SmileyTable& smileys);

// Windows-style luminance on the 0..240 scale.
int Luminance240(const QColor& c);
// A name colour legible on the chat background: too close in luminance (within 50) becomes black or white.
QColor LegibleNameColour(const QColor& chosen, const QColor& background);

// Text colour on a coloured selected row: white when red + green + blue is below 288, otherwise black.
QColor ContrastTextColour(quint32 colour);
// 0x00BBGGRR (red in the low byte) as a colour.
QColor FromWinColour(quint32 colour);
quint32 WinColourOf(const QColor& colour);

} // namespace korvex::rooms
