#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace korvex::formats {

// Colours are 32-bit values with red in the low byte, then green, then blue.
constexpr uint32_t Rgb(int r, int g, int b) {
    return uint32_t(r & 0xFF) | uint32_t(g & 0xFF) << 8 | uint32_t(b & 0xFF) << 16;
}

enum class SkinStyle { WinXP = 1, MacOS = 2, DeepBlue = 3, BlueGlass = 4, Protein = 5 };

// A stored style number; anything outside 1..5 is DeepBlue.
SkinStyle StyleOf(int number);

struct SkinSettings {
    uint32_t FormColor = Rgb(165, 227, 231);
    uint32_t LabelColor = Rgb(0, 0, 0);
    uint32_t ButtonColor = Rgb(165, 227, 231);
    uint32_t ButtonFontColor = Rgb(0, 0, 128);
    uint32_t TitleColor = Rgb(0, 0, 128);
    uint32_t EditColor = Rgb(255, 255, 240);
    uint32_t ListColor = Rgb(255, 255, 228);
    uint32_t OnlineColor = Rgb(0, 0, 128);
    uint32_t OfflineColor = Rgb(128, 0, 0);
    uint32_t ModeratorColor = Rgb(255, 0, 255);
    uint32_t LinesColor = Rgb(128, 128, 128);
    uint32_t ListTitleColor = Rgb(0, 0, 128);
    uint32_t FormBorderColor = Rgb(140, 203, 255);
    uint32_t EditBorderColor = Rgb(0, 0, 128);
    uint8_t FormBorderWidth = 2;
    uint8_t MainStyle = 1;
    uint8_t MainMenuStyle = 1;
    uint8_t PopupMenuStyle = 1;
    uint8_t ButtonStyle = 1;
    QByteArray ListImage; // a BMP file's bytes; empty when there is none
};

inline constexpr int SkinHeaderSize = 260;

// Reads the fields present in bytes into skin; fields past the end stay as they are. The image is taken only
// when n is not 0, all n bytes are there and they are a BMP file; otherwise the current image stays.
void ParseSkin(const QByteArray& bytes, SkinSettings& skin);
// False when the file does not exist (skin unchanged).
bool ReadSkin(const QString& path, SkinSettings& skin);
QByteArray SerializeSkin(const SkinSettings& skin);
bool WriteSkin(const QString& path, const SkinSettings& skin);

// "#RRGGBB" with upper-case digits, as the HTML views take it.
QByteArray ColorHtml(uint32_t color);

} // namespace korvex::formats
