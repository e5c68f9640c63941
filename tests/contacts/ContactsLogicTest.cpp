#include "contacts/BlockList.h"
#include "contacts/ContactTreeModel.h"
#include "contacts/TInviteFriendForm.h"
#include "contacts/TMainForm.h"
#include "contacts/TypingNotices.h"
#include "session/MemoryTable.h"
#include "session/TDM.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::contacts;

namespace {

QByteArray position(quint16 w, quint16 h, quint16 left, quint16 top) {
    QByteArray b(8, '\0');
    auto* p = reinterpret_cast<uchar*>(b.data());
    qToLittleEndian(w, p);
    qToLittleEndian(h, p + 2);
    qToLittleEndian(left, p + 4);
    qToLittleEndian(top, p + 6);
    return b;
}

} // namespace

TEST(BlockList, ChangesFollowCaseRulesAndAlwaysRebuildTheText) {
    session::TDM dm;
    SetBlocked(dm, "Bob", true);
    SetBlocked(dm, "carol", true);
    SetBlocked(dm, "BOB", true); // same name in other letters: nothing added, listed letters kept
    EXPECT_EQ(dm.BlockListText, "Bob\r\ncarol\r\n");
    EXPECT_TRUE(IsBlocked(dm, "bob"));
    EXPECT_TRUE(IsBlocked(dm, "CAROL"));
    EXPECT_FALSE(IsBlocked(dm, "bo"));
    EXPECT_FALSE(IsBlocked(dm, ""));
    SetBlocked(dm, "nobody", false);
    EXPECT_EQ(dm.BlockListText, "Bob\r\ncarol\r\n");
    SetBlocked(dm, "CAROL", false);
    SetBlocked(dm, "bob", false);
    EXPECT_EQ(dm.BlockListText, "");
    EXPECT_EQ(dm.BlockedUsers.RecordCount(), 0);
}

TEST(BlockList, ReceivedListSkipsEmptyLinesWithoutLosingNames) {
    struct Case {
        QByteArray text;
        QList<QByteArray> table;
    };
    const QList<Case> cases = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\n\r\nb\r\n", {"a", "b"}}, // the empty line is skipped, not the end of the list
        {"a\r\nA\r\nb", {"a", "b"}},    // duplicates ignoring case once; last name without CR LF counts
        {"\r\n\r\nz\r\n", {"z"}},
    };
    for (const Case& c : cases) {
        session::TDM dm;
        SetBlocked(dm, "old", true);
        LoadBlockList(dm, c.text);
        EXPECT_EQ(dm.BlockedUsers.Column("Name"), c.table) << c.text.constData();
        EXPECT_EQ(dm.BlockListText, c.text);
        EXPECT_FALSE(IsBlocked(dm, "old"));
        // The next change rebuilds the text from the table: every received name survives it.
        SetBlocked(dm, "new", true);
        for (const QByteArray& n : c.table)
            EXPECT_TRUE(IsBlocked(dm, n)) << n.constData();
    }
}

TEST(TypingNotices, StatusTextForOneToFourTypists) {
    const QList<std::pair<QList<QByteArray>, QByteArray>> cases = {
        {{}, ""},
        {{"ann"}, "ann is busy typing..."},
        {{"ann", "bob"}, "ann and bob are busy typing..."},
        {{"ann", "bob", "cy"}, "ann, bob and cy are busy typing..."},
        {{"ann", "bob", "cy", "di"}, "4 folks are busy typing..."},
    };
    for (const auto& [nicks, text] : cases)
        EXPECT_EQ(TypingNotices::StatusText(nicks), text);
}

TEST(TypingNotices, EntriesLapseAfterFourSecondsAndStoppedAtOnce) {
    const QDateTime t0 = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000);
    TypingNotices n;
    n.SetTyping("ann", false, t0);
    n.SetTyping("bob", false, t0.addMSecs(1000));
    EXPECT_EQ(n.Refresh(t0.addMSecs(3999)), "ann and bob are busy typing...");
    EXPECT_EQ(n.Refresh(t0.addMSecs(4000)), "bob is busy typing...");
    n.SetTyping("bob", true, t0.addMSecs(4100));
    EXPECT_EQ(n.Refresh(t0.addMSecs(4100)), "");
    EXPECT_TRUE(n.IsEmpty());
}

TEST(TypingNotices, SenderNotifiesAtTheStartOfABurstAndAfterAPause) {
    const QDateTime t0 = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000);
    TypingSender s;
    EXPECT_TRUE(s.KeyPressed(t0));
    EXPECT_FALSE(s.KeyPressed(t0.addMSecs(3000)));
    EXPECT_FALSE(s.KeyPressed(t0.addMSecs(7000))); // continuous typing: each key re-dates the last one
    EXPECT_TRUE(s.KeyPressed(t0.addMSecs(11001)));
    s.Rearm(t0.addMSecs(11002));
    EXPECT_TRUE(s.KeyPressed(t0.addMSecs(11003)));
}

TEST(MainWindowPlacement, StoredPositionIsClampedToTheWorkArea) {
    const QRect work(0, 0, 1280, 1000);
    const QSize size(243, 450);
    struct Case {
        std::optional<QByteArray> file;
        QRect expected;
    };
    const QList<Case> cases = {
        {std::nullopt, QRect(1280 - 243, 1000 - 450, 243, 450)},     // default bottom right
        {position(300, 500, 100, 50), QRect(100, 50, 300, 500)},     // fits
        {position(10, 20, 100, 50), QRect(100, 50, 243, 450)},       // tiny sizes ignored
        {position(300, 500, 5000, 5000), QRect(980, 500, 300, 500)}, // beyond: flush right/bottom
        {position(300, 500, 1200, 900), QRect(980, 500, 300, 500)},  // overlapping the edges
        {position(300, 500, quint16(-20), quint16(-5)),
         QRect(980, 500, 300, 500)},                                  // negative counts as large
        {QByteArray("abc"), QRect(1280 - 243, 1000 - 450, 243, 450)}, // short file: default
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceMainWindow(c.file, work, size), c.expected);
    EXPECT_EQ(EncodePosition(QRect(100, 50, 300, 500)), position(300, 500, 100, 50));
}

TEST(InviteFriend, AddressTest) {
    const QList<std::pair<QByteArray, bool>> cases = {
        {"a@b.c", false},   // 5 characters
        {"ab@cd.e", true},  // 7 characters
        {"a.b@cde", false}, // the only dot before the at sign
        {"ab@c d.ef", false}, {"abcdefg", false}, {"ab@cd.e\x9C", false}, {"x@y.org", true},
    };
    for (const auto& [address, ok] : cases)
        EXPECT_EQ(IsValidEmailAddress(address), ok) << address.constData();
}

TEST(Countries, NamesAndCodes) {
    session::TDM dm;
    dm.CountryTable.Append({{"N", "276"}, {"Name", "Germany"}});
    dm.CountryTable.Append({{"N", "840"}, {"Name", "United States"}});
    dm.CountryTable.Append({{"N", "004"}, {"Name", "Afghanistan"}}); // as the shipped table stores codes
    dm.CountryTable.Append({{"N", "0012"}, {"Name", "Algeria"}});
    const QList<std::pair<QByteArray, QByteArray>> cases = {
        {"276", "Germany"},
        {"840", "United States"},
        {"4", "Afghanistan"},
        {"004", "Afghanistan"},
        {"12", "Algeria"},
        {"0", ""},
        {"-1", ""},
        {"27x", ""},
        {"", ""},
        {"1234567890", ""},
        {"999", ""},
    };
    for (const auto& [code, name] : cases)
        EXPECT_EQ(CountryName(dm, code), name) << code.constData();
    EXPECT_EQ(CountryCode(dm, "germany"), "276");
    EXPECT_EQ(CountryCode(dm, "Atlantis"), "");
}

TEST(SmileyPictures, ShippedSetDecodesWithCodesAndHints) {
    const QDir dir(KORVEX_SOURCE_DATA_DIR "/WebPages/Images");
    const QStringList gifs = dir.entryList({"Smile*.gif"}, QDir::Files);
    EXPECT_GE(gifs.size(), 20);
    for (int required : {3, 6, 31, 130})
        EXPECT_TRUE(dir.exists(QStringLiteral("Smile%1.gif").arg(required)));
    for (const QString& name : gifs) {
        const QImage image(dir.filePath(name));
        ASSERT_FALSE(image.isNull()) << name.toStdString();
        EXPECT_EQ(image.size(), QSize(19, 19)) << name.toStdString();
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << name.toStdString(); // transparent corner
        EXPECT_NE(qAlpha(image.pixel(9, 9)), 0) << name.toStdString();
        QFile dat(dir.filePath(QString(name).replace(".gif", ".dat")));
        ASSERT_TRUE(dat.open(QIODevice::ReadOnly)) << name.toStdString();
        const QList<QByteArray> lines = dat.readAll().split('\n');
        ASSERT_GE(lines.size(), 2);
        EXPECT_FALSE(lines[0].trimmed().isEmpty());
        EXPECT_FALSE(lines[1].trimmed().isEmpty());
    }
}

// Lookups ignoring case go through an index kept up to date by appends; every change must leave it answering
// as a plain scan would.
TEST(MemoryTableIndex, LookupsIgnoringCaseMatchAPlainScanThroughChanges) {
    session::MemoryTable t{{"Name", 32}, {"CL", 1}};
    auto scan = [&t](const QByteArray& v) {
        for (int r = 0; r < t.RecordCount(); ++r)
            if (t.ValueAt(r, "Name").compare(v, Qt::CaseInsensitive) == 0) return r;
        return -1;
    };
    const QList<QByteArray> probes = {"ann", "ANN", "bob", "Bob", "\xc9ve", "\xe9ve", "", "zed", "x"};
    auto check = [&](const char* step) {
        for (const QByteArray& p : probes)
            EXPECT_EQ(t.Find("Name", p, Qt::CaseInsensitive), scan(p)) << step << " " << p.constData();
    };
    check("empty");
    t.Append({{"Name", "Ann"}, {"CL", "1"}});
    t.Append({{"Name", "bob"}});
    check("appended");
    t.Append({{"Name", "ANN"}}); // a second spelling: the first row stays the answer
    t.Append({{"Name", "\xc9ve"}});
    check("second spelling");
    t.SetRecNo(0);
    t.SetValue("Name", "zed"); // not the last row
    check("renamed first");
    t.SetRecNo(t.RecordCount() - 1);
    t.SetValue("Name", "x"); // the last row
    check("renamed last");
    t.DeleteRow(0);
    check("deleted");
    t.AppendRow({"Bob", "0"});
    check("appended again");
    t.Clear();
    check("cleared");
}
