#include "contacts/Smileys.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

using namespace korvex::contacts;

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A smiley folder with pictures 3 and 130 present, picture 6 missing, and two codes from .dat files.
struct SmileyFolder {
    QTemporaryDir dir;
    SmileyFolder() {
        write(dir.filePath("Smile3.gif"), "GIF89a");
        write(dir.filePath("SMILE130.GIF"), "GIF89a"); // found whatever the case of its name
        write(dir.filePath("Smile40.dat"), ":/\r\nskeptical\r\n");
        write(dir.filePath("Smile41.dat"), "(beer)\r\nBeer\r\n");
    }
    QByteArray localTag(const QString& name) const {
        return "<img src=\"" + QUrl::fromLocalFile(dir.filePath(name)).toEncoded() + "\">";
    }
};

} // namespace

TEST(Smileys, CodeTableOrderAndHints) {
    SmileyFolder folder;
    SmileyTable table(folder.dir.path(), "web.example");
    const auto& codes = table.SmileyCodes();
    ASSERT_EQ(codes.size(), 7);
    EXPECT_EQ(codes.front().code, "(beer)");
    for (qsizetype i = 1; i < codes.size(); ++i) EXPECT_GE(codes[i - 1].code.size(), codes[i].code.size());
    EXPECT_EQ(table.Hint(41), "Beer");
}

TEST(Smileys, Expansion) {
    SmileyFolder folder;
    SmileyTable table(folder.dir.path(), "web.example");
    const QByteArray pic3 = folder.localTag("Smile3.gif"), pic130 = folder.localTag("SMILE130.GIF");
    const QByteArray pic6 = "<img src=\"http://web.example/smiles/Smile6.gif\">";
    const QByteArray pic12 = "<img src=\"http://web.example/smiles/Smile12.gif\">";
    const QByteArray pic40 = "<img src=\"http://web.example/smiles/Smile40.gif\">";

    const std::pair<QByteArray, QByteArray> cases[] = {
        {":-p", pic130},                  // the longer code wins
        {"a :-) b :-)", "a " + pic3 + " b " + pic3},
        {":D|12|", pic6 + pic12},
        {"no smileys", "no smileys"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(table.ExpandSmileys(in), out) << in.constData();

    // ":/" occurs inside every local picture's "file:///" and inside link addresses: only the typed one changes.
    EXPECT_EQ(table.ExpandSmileys("x :/ :-)"), "x " + pic40 + " " + pic3);
    EXPECT_EQ(table.ExpandSmileys("<a href=\"http://a.b\">http://a.b</a>"),
              "<a href=\"http://a.b\">http" + pic40 + "/a.b</a>");
    EXPECT_EQ(table.ExpandSmileys("|0| |134| |12"), "|0| |134| |12");
}
