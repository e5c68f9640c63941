#include "contacts/ChatStyleFile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace korvex::contacts;

TEST(ChatStyleFile, LayoutOfTheDocumentedExample) {
    ChatStyleFile s;
    s.bold = true;
    s.sizeIndex = 2; // size "3"
    s.nameColor = "#336699";
    s.colour = 0x0000FF; // pure red
    s.face = "Arial";
    const QByteArray bytes = s.Encode();
    ASSERT_EQ(bytes.size(), 47);
    EXPECT_EQ(bytes[2], 1);
    EXPECT_EQ(bytes[4], 2);
    EXPECT_EQ(bytes.mid(5, 7), "#336699");
    EXPECT_EQ(bytes.mid(12, 4), QByteArray("\xFF\0\0\0", 4));
    EXPECT_EQ(bytes.mid(16, 30), "Arial" + QByteArray(25, ' '));

    QTemporaryDir dir;
    ASSERT_TRUE(s.Save(dir.filePath("chatcolor.dat")));
    const ChatStyleFile back = ChatStyleFile::Load(dir.filePath("chatcolor.dat"));
    EXPECT_EQ(back.Encode(), bytes);
}

TEST(ChatStyleFile, DamagedFilesFallBackToDefaults) {
    const ChatStyleFile defaults;
    const ChatStyleFile empty = ChatStyleFile::Decode({});
    EXPECT_EQ(empty.Encode(), defaults.Encode());

    QByteArray badSize = defaults.Encode();
    badSize[4] = 9;
    badSize.replace(16, 30, QByteArray(30, ' ')); // blank face
    const ChatStyleFile decoded = ChatStyleFile::Decode(badSize);
    EXPECT_EQ(decoded.sizeIndex, 1);
    EXPECT_EQ(decoded.face, "Tahoma");

    ChatStyleFile partial = ChatStyleFile::Decode(QByteArray("\0\0\1\1", 4));
    EXPECT_TRUE(partial.bold);
    EXPECT_TRUE(partial.italic);
    EXPECT_EQ(partial.face, "Tahoma");
}

TEST(CharsetFile, ReadWrite) {
    QTemporaryDir dir;
    EXPECT_EQ(ReadCharsetFile(dir.filePath("missing.dat")), 1);
    ASSERT_TRUE(WriteCharsetFile(dir.filePath("c.dat"), 204));
    EXPECT_EQ(ReadCharsetFile(dir.filePath("c.dat")), 204);
    ASSERT_TRUE(WriteCharsetFile(dir.filePath("c.dat"), 0));
    EXPECT_EQ(ReadCharsetFile(dir.filePath("c.dat")), 0);
}
