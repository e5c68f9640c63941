#include "formats/SkinFile.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

namespace korvex::formats {

namespace {
constexpr int ColorCount = 14;

uint32_t* colorAt(SkinSettings& s, int i) {
    uint32_t* colors[ColorCount] = {&s.FormColor,       &s.LabelColor,     &s.ButtonColor, &s.ButtonFontColor,
                                    &s.TitleColor,      &s.EditColor,      &s.ListColor,   &s.OnlineColor,
                                    &s.OfflineColor,    &s.ModeratorColor, &s.LinesColor,  &s.ListTitleColor,
                                    &s.FormBorderColor, &s.EditBorderColor};
    return colors[i];
}

uint8_t* byteAt(SkinSettings& s, int i) {
    uint8_t* bytes[5] = {&s.FormBorderWidth, &s.MainStyle, &s.MainMenuStyle, &s.PopupMenuStyle,
                         &s.ButtonStyle};
    return bytes[i];
}
} // namespace

SkinStyle StyleOf(int number) {
    return number >= 1 && number <= 5 ? SkinStyle(number) : SkinStyle::DeepBlue;
}

void ParseSkin(const QByteArray& bytes, SkinSettings& skin) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (int i = 0; i < ColorCount && 4 * i + 4 <= n; ++i)
        *colorAt(skin, i) = qFromLittleEndian<quint32>(p + 4 * i);
    for (int i = 0; i < 5 && 56 + i < n; ++i)
        *byteAt(skin, i) = p[56 + i];
    if (n < SkinHeaderSize) return;
    const quint32 imageSize = qFromLittleEndian<quint32>(p + 256);
    if (imageSize == 0 || imageSize > quint64(n - SkinHeaderSize)) return;
    const QByteArray image = bytes.mid(SkinHeaderSize, imageSize);
    if (image.startsWith("BM")) skin.ListImage = image;
}

bool ReadSkin(const QString& path, SkinSettings& skin) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    ParseSkin(f.readAll(), skin);
    return true;
}

QByteArray SerializeSkin(const SkinSettings& skin) {
    QByteArray out(SkinHeaderSize, '\0');
    auto* p = reinterpret_cast<uchar*>(out.data());
    SkinSettings copy = skin;
    for (int i = 0; i < ColorCount; ++i)
        qToLittleEndian<quint32>(*colorAt(copy, i), p + 4 * i);
    for (int i = 0; i < 5; ++i)
        p[56 + i] = *byteAt(copy, i);
    qToLittleEndian<quint32>(quint32(skin.ListImage.size()), p + 256);
    out += skin.ListImage;
    return out;
}

bool WriteSkin(const QString& path, const SkinSettings& skin) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(SerializeSkin(skin));
    return f.commit();
}

QByteArray ColorHtml(uint32_t color) {
    return "#" + QByteArray::number(color & 0xFF, 16).rightJustified(2, '0').toUpper() +
           QByteArray::number((color >> 8) & 0xFF, 16).rightJustified(2, '0').toUpper() +
           QByteArray::number((color >> 16) & 0xFF, 16).rightJustified(2, '0').toUpper();
}

} // namespace korvex::formats
