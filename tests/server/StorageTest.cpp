#include "server/Storage.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace korvex::server;

namespace {

Account user(const char* nick) {
    Account a;
    a.nick = nick;
    a.passwordHash = "hash";
    return a;
}

TEST(ServerStorage, SchemaIsVersionedAndANewerFileIsRefused) {
    QTemporaryDir dir;
    const QString path = dir.filePath("db.sqlite");
    {
        Storage s;
        s.Open(path);
        EXPECT_EQ(s.SchemaVersion(), Storage::LatestSchemaVersion());
        EXPECT_GT(s.CreateAccount(user("alice")), 0);
    }
    {
        Storage s; // reopening applies nothing and keeps the data
        s.Open(path);
        EXPECT_TRUE(s.FindAccount("ALICE").has_value());
    }
    {
        auto db = QSqlDatabase::addDatabase("QSQLITE", "bump");
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = %1").arg(Storage::LatestSchemaVersion() + 1));
        db.close();
    }
    QSqlDatabase::removeDatabase("bump");
    Storage s;
    EXPECT_THROW(s.Open(path), StorageError);
}

TEST(ServerStorage, AccountsAreUniqueIgnoringCaseAndKeepTheirSpelling) {
    Storage s;
    s.Open(":memory:");
    EXPECT_GT(s.CreateAccount(user("Alice")), 0);
    EXPECT_EQ(s.CreateAccount(user("aLiCe")), 0);
    auto a = s.FindAccount("ALICE");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->nick, "Alice");
    EXPECT_EQ(a->flags, "0000");
}

TEST(ServerStorage, BlackListEntriesMatchOnlyTheirFilledColumns) {
    Storage s;
    s.Open(":memory:");
    const QDate today(2026, 6, 1);
    s.AddBlackEntry({"evil", "", "", "", QDate()});
    s.AddBlackEntry({"", "10.0.0.9", "", "", QDate(2026, 6, 1)});
    s.AddBlackEntry({"", "", "", "PC1", QDate(2026, 5, 31)});
    struct Case {
        const char *name, *ip, *mac, *pc;
        bool banned;
    } cases[] = {
        {"EVIL", "", "", "", true},          // name, any case
        {"good", "", "", "", false},         // empty MAC/PC id must not match the name-only entry
        {"good", "10.0.0.9", "", "", true},  // expires today: still in force
        {"good", "", "", "PC1", false},      // expired yesterday
    };
    for (const auto& tc : cases)
        EXPECT_EQ(s.IsBlacklisted(tc.name, tc.ip, tc.mac, tc.pc, today), tc.banned) << tc.name << tc.ip << tc.pc;
}

TEST(ServerStorage, SearchTreatsWildcardsAsText) {
    Storage s;
    s.Open(":memory:");
    for (const char* n : {"under_score", "undergo", "percent%x"}) s.CreateAccount(user(n));
    auto names = [&](const QByteArray& part) {
        QByteArrayList out;
        SearchQuery q;
        q.nickPart = part;
        for (const auto& a : s.Search(q)) out << a.nick;
        return out;
    };
    EXPECT_EQ(names("r_s"), QByteArrayList({"under_score"}));
    EXPECT_EQ(names("%"), QByteArrayList({"percent%x"}));
    EXPECT_EQ(names("UNDER"), QByteArrayList({"under_score", "undergo"}));
}

} // namespace
