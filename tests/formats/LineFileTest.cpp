#include "formats/LineFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace korvex::formats;

TEST(LineFile, SplitsOnEveryLineEndWithoutATrailingEmptyLine) {
    struct Case {
        QByteArray text;
        QList<QByteArray> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"a\nb\rc", {"a", "b", "c"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitLines(c.text), c.lines) << c.text.toStdString();
}

TEST(LineFile, WritesCrLfAndReadsBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath("opt.dat");
    EXPECT_FALSE(ReadLines(path).has_value());
    ASSERT_TRUE(WriteLines(path, {"", "1"}));
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    EXPECT_EQ(f.readAll(), "\r\n1\r\n");
    EXPECT_EQ(*ReadLines(path), (QList<QByteArray>{"", "1"}));
}

TEST(LineFile, SafeNumberTakesOneToNineDigitsOnly) {
    const std::pair<QByteArray, int> cases[] = {{"0", 0},          {"5000", 5000}, {"123456789", 123456789},
                                                {"1234567890", 0}, {"", 0},        {"-1", 0},
                                                {" 8", 0},         {"8a", 0}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(SafeNumber(text), value) << text.toStdString();
}
