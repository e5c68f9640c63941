#pragma once

#include <QByteArray>
#include <QList>

namespace korvex::session {
class TDM;
}

namespace korvex::contacts {

// The block list lives twice in the data module: the table BlockedUsers for display and BlockListText (names
// each followed by CR LF) for quick tests and for the wire.

// The only way the client changes the list: adds or removes the name (ignoring case), rebuilds the text from
// the table and sends "SetBList" while connected. Adding a listed name or removing an unlisted one still
// sends.
void SetBlocked(session::TDM& dm, const QByteArray& name, bool add);

// True when name is one of the CR LF separated names of the text, ignoring case.
bool IsBlocked(const QByteArray& blockListText, const QByteArray& name);
bool IsBlocked(const session::TDM& dm, const QByteArray& name);

// A received list: replaces table and text. An empty line is skipped (the names after it are kept), so the
// next change, which rebuilds the text from the table, loses nothing.
void LoadBlockList(session::TDM& dm, const QByteArray& text);

// The CR LF separated names of a list text, without empty ones.
QList<QByteArray> BlockListNames(const QByteArray& text);

} // namespace korvex::contacts
