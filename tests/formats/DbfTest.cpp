#include "formats/Dbf.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace korvex::formats;

namespace {
const QList<DbfField> userFields = {{"Name", 'C', 30, 0}, {"Pass", 'C', 30, 0}, {"Country", 'C', 10, 0},
                                    {"Sex", 'C', 10, 0},  {"Age", 'C', 10, 0},  {"email", 'C', 40, 0}};

void add(DbfTable& t, const QByteArray& name, const QByteArray& pass, const QByteArray& email) {
    t.Append();
    t.SetFieldValue("Name", name);
    t.SetFieldValue("Pass", pass);
    t.SetFieldValue("email", email);
    t.Post();
}
} // namespace

TEST(Dbf, CreateAppendLocateReplaceAndReopen) {
    QTemporaryDir dir;
    const QString path = dir.filePath("user.dbf");
    DbfTable::Create(path, userFields);
    DbfTable t;
    t.Open(path);
    EXPECT_EQ(t.RecordCount(), 0);
    EXPECT_TRUE(t.Eof());
    add(t, "Alice", "secret1", "alice@korvex.chat");
    add(t, "bob", "", "bob@korvex.chat");

    EXPECT_FALSE(t.Locate("Name", "alice", Qt::CaseSensitive));
    ASSERT_TRUE(t.Locate("NAME", " alice ", Qt::CaseInsensitive));
    EXPECT_EQ(t.FieldValue("Name"), "Alice");
    t.SetFieldValue("Pass", "newpass1");
    t.Post();
    t.Close();

    DbfTable again;
    again.Open(path);
    ASSERT_EQ(again.RecordCount(), 2);
    EXPECT_EQ(again.FieldValue("Pass"), "newpass1");
    again.Next();
    EXPECT_EQ(again.FieldValue("Name"), "bob");
    EXPECT_EQ(again.FieldValue("Pass"), "");
    EXPECT_EQ(again.FieldValue("email"), "bob@korvex.chat");
    // 32-byte header, six descriptors, terminator, two 131-byte records, end mark.
    EXPECT_EQ(QFile(path).size(), 32 + 6 * 32 + 1 + 2 * 131 + 1);
}

TEST(Dbf, ValuesAreCutToTheFieldLength) {
    QTemporaryDir dir;
    const QString path = dir.filePath("t.dbf");
    DbfTable::Create(path, {{"Name", 'C', 5, 0}});
    DbfTable t;
    t.Open(path);
    t.Append();
    t.SetFieldValue("Name", "abcdefgh");
    t.Post();
    EXPECT_EQ(t.FieldValue("Name"), "abcde");
    EXPECT_THROW(t.SetFieldValue("Nope", "x"), DbfError);
}

TEST(Dbf, RejectsFilesThatAreNotTables) {
    DbfTable t;
    const QByteArray cases[] = {"", QByteArray(40, 'x'), QByteArray(1, '\x03') + QByteArray(40, '\0')};
    for (const QByteArray& bytes : cases)
        EXPECT_THROW(t.OpenBytes(bytes), DbfError);
    QTemporaryDir dir;
    EXPECT_THROW(t.Open(dir.filePath("missing.dbf")), DbfError);
}

TEST(Dbf, RecordCountBeyondTheDataKeepsTheWholeRecords) {
    QTemporaryDir dir;
    const QString path = dir.filePath("t.dbf");
    DbfTable::Create(path, {{"Name", 'C', 4, 0}});
    DbfTable t;
    t.Open(path);
    t.Append();
    t.SetFieldValue("Name", "ab");
    t.Post();
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    QByteArray bytes = f.readAll();
    bytes[4] = 9; // claims nine records
    t.OpenBytes(bytes);
    EXPECT_EQ(t.RecordCount(), 1);
}

TEST(Dbf, IndependentReaderSeesTheSameTable) {
    QTemporaryDir dir;
    const QString path = dir.filePath("user.dbf");
    DbfTable::Create(path, userFields);
    DbfTable t;
    t.Open(path);
    add(t, "Alice", "secret1", "alice@korvex.chat");
    add(t, "bob", "", "bob@korvex.chat");
    t.Close();

    QProcess py;
    py.start(KORVEX_PYTHON3, {"-c", R"(
import sys, dbfread
t = dbfread.DBF(sys.argv[1], encoding='cp1252')
print('|'.join(f.name + ':' + f.type + str(f.length) for f in t.fields))
for r in t:
    print('%s,%s,%s' % (r['NAME'], r['PASS'], r['EMAIL']))
)",
                              path});
    ASSERT_TRUE(py.waitForFinished(20000));
    if (py.exitCode() != 0 && py.readAllStandardError().contains("No module named"))
        GTEST_SKIP() << "python3-dbfread is not installed";
    ASSERT_EQ(py.exitCode(), 0) << py.readAllStandardError().toStdString();
    EXPECT_EQ(py.readAllStandardOutput(), "NAME:C30|PASS:C30|COUNTRY:C10|SEX:C10|AGE:C10|EMAIL:C40\n"
                                          "Alice,secret1,alice@korvex.chat\n"
                                          "bob,,bob@korvex.chat\n");
}
