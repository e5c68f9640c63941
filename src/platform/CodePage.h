#pragma once

#include <QByteArray>
#include <QString>

namespace korvex::platform {

// Text in a Windows code page (e.g. "windows-1252", "windows-1251", "Big5"). Characters the code page cannot
// hold become "?", as Windows writes them; the converter's own substitution byte (SUB 0x1A for most
// single-byte pages) would otherwise travel as a control character. An unknown code page falls back to
// Latin-1.
QByteArray EncodeCodePage(const QString& text, const char* codePage);

} // namespace korvex::platform
