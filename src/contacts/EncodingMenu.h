#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QMenu;
class QWidget;

namespace korvex::contacts {

struct CharsetEntry {
    const char* caption;
    int number;
};

// The character sets offered by the "Encoding" menus of the message and room windows, in menu order.
const CharsetEntry* CharsetEntries(int* count);

// Whether the entry of a character set is ticked while that set is chosen; "ANSI" and "OEM" never are.
bool IsTickedCharset(const CharsetEntry& entry, int current);

// The "Encoding" submenu: one checkable entry per character set, the current one ticked; choose gets the
// number.
QMenu* EncodingMenu(QWidget* parent, int current, std::function<void(int)> choose);

// Typed text as bytes in the code page of a character set (the send box's), so that text typed in, say,
// Cyrillic goes out in windows-1251 when that set is chosen. Characters the code page cannot hold become "?".
QByteArray EncodeWithCharset(const QString& text, int charset);

} // namespace korvex::contacts
