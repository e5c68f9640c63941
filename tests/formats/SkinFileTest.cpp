#include "formats/SkinFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace korvex::formats;

namespace {
QByteArray tinyBmp() {
    return QByteArray("BM") + QByteArray(60, '\x01');
}
} // namespace

TEST(SkinFile, DefaultSkinFileLayout) {
    QTemporaryDir dir;
    const QString path = dir.filePath("def.skn");
    ASSERT_TRUE(WriteSkin(path, SkinSettings{}));
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray b = f.readAll();
    ASSERT_EQ(b.size(), 260);
    EXPECT_EQ(b.left(4), QByteArray("\xA5\xE3\xE7\x00", 4));    // FormColor 165, 227, 231, red first
    EXPECT_EQ(b.mid(12, 4), QByteArray("\x00\x00\x80\x00", 4)); // ButtonFontColor navy
    EXPECT_EQ(b[56], 2);
    for (int i = 57; i <= 60; ++i)
        EXPECT_EQ(b[i], 1) << i;
    EXPECT_EQ(b.mid(61), QByteArray(199, '\0')); // reserved bytes and n = 0
}

TEST(SkinFile, ImageReadWhenPresentAndKeptWhenAbsentOrBroken) {
    SkinSettings source;
    source.ListImage = tinyBmp();
    source.EditColor = Rgb(1, 2, 3);
    source.MainStyle = 4;
    const QByteArray withImage = SerializeSkin(source);
    EXPECT_EQ(withImage.size(), 260 + tinyBmp().size());

    SkinSettings skin;
    ParseSkin(withImage, skin);
    EXPECT_EQ(skin.ListImage, tinyBmp());
    EXPECT_EQ(skin.EditColor, Rgb(1, 2, 3));
    EXPECT_EQ(skin.MainStyle, 4);

    SkinSettings noImage;
    ParseSkin(SerializeSkin(noImage), skin); // n = 0: the image loaded before stays
    EXPECT_EQ(skin.ListImage, tinyBmp());
    EXPECT_EQ(skin.MainStyle, 1);

    QByteArray lying = SerializeSkin(noImage);
    lying[256] = char(0xFF); // announces 255 bytes that are not there
    ParseSkin(lying, skin);
    EXPECT_EQ(skin.ListImage, tinyBmp());
}

TEST(SkinFile, ShortFileChangesOnlyTheFieldsItHolds) {
    SkinSettings skin;
    skin.FormBorderWidth = 7;
    QByteArray bytes = SerializeSkin(SkinSettings{}).left(10);
    bytes[0] = 9;
    ParseSkin(bytes, skin);
    EXPECT_EQ(skin.FormColor & 0xFF, 9u);
    EXPECT_EQ(skin.LabelColor, Rgb(0, 0, 0));
    EXPECT_EQ(skin.ButtonColor, Rgb(165, 227, 231)); // bytes 8..11 incomplete: unchanged
    EXPECT_EQ(skin.FormBorderWidth, 7);
}

TEST(SkinFile, StyleNumbersAndColourText) {
    const std::pair<int, SkinStyle> cases[] = {{1, SkinStyle::WinXP},    {2, SkinStyle::MacOS},
                                               {3, SkinStyle::DeepBlue}, {4, SkinStyle::BlueGlass},
                                               {5, SkinStyle::Protein},  {0, SkinStyle::DeepBlue},
                                               {6, SkinStyle::DeepBlue}, {255, SkinStyle::DeepBlue}};
    for (const auto& [n, style] : cases)
        EXPECT_EQ(StyleOf(n), style) << n;
    EXPECT_EQ(ColorHtml(Rgb(255, 255, 240)), "#FFFFF0");
    EXPECT_EQ(ColorHtml(Rgb(0, 10, 171)), "#000AAB");
}
