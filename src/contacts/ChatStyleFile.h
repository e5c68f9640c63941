#pragma once

#include "MessageFormat.h"

#include <QByteArray>
#include <QString>

namespace korvex::contacts {

// The 47-byte text style file "Data/chatcolor.dat" shared by the private and room windows.
struct ChatStyleFile {
    static constexpr int Size = 47;

    bool bold = false;
    bool italic = false;
    int sizeIndex = 1;                // 0..3 for sizes "1".."4"
    QByteArray nameColor = "#000000"; // the room window's own-name colour
    std::uint32_t colour = 0;
    QByteArray face = "Tahoma";
    bool optionFlag = false;          // the room window's cam-windows-on-top flag

    QByteArray Encode() const;
    // Reads what is there; a short file keeps the defaults for the missing bytes. A size index outside 0..3
    // selects the default size.
    static ChatStyleFile Decode(const QByteArray& bytes);

    // Applies bold, italic, size, colour and face to a text style (underline untouched).
    void ApplyTo(TextStyle& style) const;

    static ChatStyleFile Load(const QString& path);
    bool Save(const QString& path) const;
};

// "Data/ChatCharset.dat" and "Data/SendCharset.dat": one decimal number on the first line. Missing, empty or not a
// number means 1 (the default character set).
int ReadCharsetFile(const QString& path);
bool WriteCharsetFile(const QString& path, int charset);

} // namespace korvex::contacts
