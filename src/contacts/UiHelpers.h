#pragma once

#include <QByteArray>
#include <QColor>
#include <QIcon>
#include <cstdint>

namespace korvex::session {
class TDM;
}

namespace korvex::contacts {

// A skin colour (red in the low byte) as a QColor.
inline QColor SkinColor(std::uint32_t c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// A small round status picture drawn in the colour, used for the window icons.
QIcon DotIcon(const QColor& colour);

// Nickname text safe inside HTML.
QByteArray HtmlEscapeBytes(const QByteArray& text);

// The block and unblock questions shared by the contact list, the message window and the search window.
void AskBlock(session::TDM& dm, const QByteArray& nick);
void AskUnblock(session::TDM& dm, const QByteArray& nick);

} // namespace korvex::contacts
