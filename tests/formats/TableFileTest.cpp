#include "formats/TableFile.h"

#include <QtEndian>
#include <gtest/gtest.h>

using namespace korvex::formats;

namespace {
QByteArray header(qint32 count, const QList<std::pair<QByteArray, int>>& fields) {
    QByteArray b(5, '\0');
    qToLittleEndian<qint32>(count, b.data());
    b[4] = char(fields.size());
    for (const auto& [name, size] : fields) {
        QByteArray d(10, '\0');
        qToLittleEndian<quint16>(quint16(size), d.data());
        d.replace(2, name.size(), name);
        b += d;
    }
    return b;
}
} // namespace

TEST(TableFile, ReadsFieldsAndRecordsCutAtZero) {
    QByteArray bytes = header(2, {{"N", 4}, {"Name", 24}});
    bytes += QByteArray("276\0", 4) + QByteArray("Germany").leftJustified(24, '\0');
    bytes += QByteArray("840\0", 4) + QByteArray("United States of America", 24);
    const auto data = ParseTableFile(bytes);
    ASSERT_TRUE(data);
    ASSERT_EQ(data->fields.size(), 2);
    EXPECT_EQ(data->fields[1].name, "Name");
    EXPECT_EQ(data->fields[1].size, 24);
    ASSERT_EQ(data->records.size(), 2);
    EXPECT_EQ(data->records[0], (QList<QByteArray>{"276", "Germany"}));
    EXPECT_EQ(data->records[1][1], "United States of America"); // a full-width text has no 0 byte
    EXPECT_EQ(SerializeTableFile(*data), bytes);
}

TEST(TableFile, EmptyNegativeAndTruncatedTables) {
    const auto empty = ParseTableFile(header(0, {{"N", 4}, {"Name", 24}}));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->fields.size(), 2);
    EXPECT_TRUE(empty->records.isEmpty());

    const auto negative = ParseTableFile(header(-5, {{"N", 4}}) + "1234");
    ASSERT_TRUE(negative);
    EXPECT_TRUE(negative->records.isEmpty());

    // Three records announced, one and a half present: the whole one is kept.
    const auto cut = ParseTableFile(header(3, {{"N", 4}}) + "0001" + "00");
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->records.size(), 1);

    EXPECT_FALSE(ParseTableFile("\1\0\0"));
    EXPECT_FALSE(ParseTableFile(header(1, {{"N", 4}}).left(10))); // descriptors cut short
}
