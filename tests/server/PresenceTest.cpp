#include "support/ServerFixture.h"

#include <QTest>

#include <algorithm>

#include <gtest/gtest.h>

using korvex::net::MakeCommand;
using korvex::testing::Field;
using korvex::testing::ServerFixture;
using korvex::testing::TestClient;

namespace {

QByteArrayList names(const QList<korvex::net::ParsedCommand>& cmds) {
    QByteArrayList out;
    for (const auto& c : cmds) out << c.field(1);
    std::sort(out.begin(), out.end());
    return out;
}

// alice lists bob and carol; bob lists alice; mod (type 2) lists admin.
struct Community : ServerFixture {
    Community() {
        AddUser("alice");
        AddUser("bob");
        AddUser("carol");
        AddUser("mod", 2);
        AddUser("admin", 3);
        AddContact("alice", "bob");
        AddContact("alice", "carol");
        AddContact("bob", "alice");
        AddContact("mod", "admin");
    }
};

TEST(ServerPresence, ContactListAndLogonAlerts) {
    Community f;
    auto bob = f.LoggedOn("bob");
    auto alice = f.LoggedOn("alice");
    auto alert = bob->WaitFor("CLOnLine", Field(1, "alice"));
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->field(10), "1");

    alice->Send("GetCList", {"alice"});
    auto online = alice->WaitFor("CLOnLine", Field(1, "bob"));
    ASSERT_TRUE(online);
    EXPECT_EQ(online->field(10), "0"); // no alert in the initial list
    EXPECT_TRUE(alice->WaitFor("CLOffLine", Field(1, "carol")));

    auto carol = f.LoggedOn("carol");
    EXPECT_TRUE(alice->WaitFor("CLOnLine", [](const auto& c) { return c.field(1) == "carol" && c.field(10) == "1"; }));
    EXPECT_FALSE(bob->Receives("CLOnLine")); // carol is not bob's contact, bob is a normal user
    EXPECT_FALSE(bob->Receives("OnLine"));

    carol->Disconnect();
    EXPECT_TRUE(alice->WaitFor("CLOffLine", Field(1, "carol")));
}

TEST(ServerPresence, StaffSeeEveryoneButContactsOnlyAsContacts) {
    Community f;
    auto alice = f.LoggedOn("alice");
    auto admin = f.LoggedOn("admin");
    auto mod = f.LoggedOn("mod");
    mod->Send("GetAllOnLine", {"mod"});
    mod->Send("GetCList", {"mod"});
    QTest::qWait(300);
    EXPECT_EQ(names(mod->TakeAll("OnLine")), QByteArrayList({"alice"}));
    EXPECT_EQ(names(mod->TakeAll("CLOnLine")), QByteArrayList({"admin"}));

    auto bob = f.LoggedOn("bob");
    EXPECT_TRUE(mod->WaitFor("OnLine", Field(1, "bob")));
    EXPECT_TRUE(admin->WaitFor("OnLine", Field(1, "bob")));
    admin->Disconnect();
    EXPECT_TRUE(mod->WaitFor("CLOffLine", Field(1, "admin")));
    EXPECT_FALSE(mod->Receives("OffLine", Field(1, "admin"), 100));
    bob->Disconnect();
    EXPECT_TRUE(mod->WaitFor("OffLine", Field(1, "bob")));

    // Normal users do not get the whole list.
    alice->Send("GetAllOnLine", {"alice"});
    EXPECT_FALSE(alice->Receives("OnLine"));
}

TEST(ServerPresence, AddAndDeleteContacts) {
    Community f;
    auto carol = f.LoggedOn("carol");
    auto bob = f.LoggedOn("bob");
    bob->Send("AddCList", {"bob", "CAROL"});
    auto added = bob->WaitFor("CLOnLine");
    ASSERT_TRUE(added);
    EXPECT_EQ(added->field(1), "carol");
    EXPECT_EQ(added->field(10), "0");
    bob->Send("AddCList", {"bob", "admin"});
    EXPECT_TRUE(bob->WaitFor("CLOffLine", Field(1, "admin")));
    // Self, duplicates and unknown names.
    bob->Send("AddCList", {"bob", "bob"});
    bob->Send("AddCList", {"bob", "carol"});
    EXPECT_FALSE(bob->Receives("CLOnLine"));
    bob->Send("AddCList", {"bob", "ghost"});
    EXPECT_TRUE(bob->WaitFor("TechMsg"));
    // Someone else's list cannot be changed.
    bob->Send("AddCList", {"alice", "carol"});
    EXPECT_FALSE(bob->Receives("CLOnLine"));

    carol->Disconnect();
    EXPECT_TRUE(bob->WaitFor("CLOffLine", Field(1, "carol")));

    bob->Send("DelCList", {"bob", "Carol"});
    EXPECT_TRUE(bob->WaitFor("RDelCList", Field(1, "carol")));
    bob->Send("GetCList", {"bob"});
    QTest::qWait(300);
    EXPECT_EQ(names(bob->TakeAll("CLOffLine")), QByteArrayList({"admin", "alice"}));
    EXPECT_EQ(names(bob->TakeAll("CLOnLine")), QByteArrayList());
}

TEST(ServerPresence, BulletinAndBlockList) {
    Community f;
    f.Server().Store().AddBulletin("first line");
    f.Server().Store().AddBulletin("second line");
    auto alice = f.LoggedOn("alice");
    alice->Send("GetBInfo", {"alice"});
    QTest::qWait(300);
    auto lines = alice->TakeAll("RGetBInfo");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].field(1), "first line");
    EXPECT_EQ(lines[1].field(1), "second line");

    alice->Send("GetBList", {"alice"});
    auto empty = alice->WaitFor("RGetBList");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->field(1), "");

    // Empty lines do not end the list; known names come back in their canonical spelling.
    alice->Send("SetBList", {"BOB\r\n\r\nstranger\r\nbob\r\n"});
    alice->Send("GetBList", {"alice"});
    auto list = alice->WaitFor("RGetBList");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->field(1), "bob\r\nstranger\r\n");
}

TEST(ServerMessages, PrivateMessageExchangeAndReceipt) {
    Community f;
    auto alice = f.LoggedOn("alice");
    auto bob = f.LoggedOn("bob");
    alice->Send("PrivMsg", {"BOB", "alice", "<b>hi</b>", "msg1234"});
    auto accepted = alice->WaitFor("RPrivMsg");
    ASSERT_TRUE(accepted);
    EXPECT_EQ(accepted->field(1), "bob");
    EXPECT_EQ(accepted->field(2), "alice");
    EXPECT_EQ(accepted->field(3), "msg1234");
    auto msg = bob->WaitFor("PrivMsg");
    ASSERT_TRUE(msg);
    EXPECT_EQ(msg->field(1), "alice");
    EXPECT_EQ(msg->field(2), "<b>hi</b>");
    EXPECT_EQ(msg->field(3), "msg1234");

    bob->Send("RRPrivMsg", {"alice", "msg1234"});
    auto receipt = alice->WaitFor("RRPrivMsg");
    ASSERT_TRUE(receipt);
    EXPECT_EQ(receipt->field(1), "bob");
    EXPECT_EQ(receipt->field(2), "msg1234");
    // A receipt is relayed once, and only for a message that was delivered.
    bob->Send("RRPrivMsg", {"alice", "msg1234"});
    bob->Send("RRPrivMsg", {"alice", "msg9999"});
    EXPECT_FALSE(alice->Receives("RRPrivMsg"));

    // The sender field cannot name somebody else.
    auto carol = f.LoggedOn("carol");
    carol->Send("PrivMsg", {"bob", "alice", "forged", "msg1"});
    EXPECT_FALSE(bob->Receives("PrivMsg"));
    EXPECT_FALSE(carol->Receives("RPrivMsg", {}, 50));
}

TEST(ServerMessages, UndeliverableMessagesAreRefusedWithAReason) {
    Community f;
    auto alice = f.LoggedOn("alice");
    auto bob = f.LoggedOn("bob");
    auto carol = f.LoggedOn("carol");
    // bob blocks carol; alice accepts only contacts (carol is one, mod is not).
    bob->Send("SetBList", {"carol\r\n"});
    auto a = *f.Server().Store().FindAccount("alice");
    alice->Send("SetInfo", {"alice", "alice", "", "", "0", "secret1", "1", "N"});
    ASSERT_TRUE(alice->WaitFor("RSetInfo"));
    auto mod = f.LoggedOn("mod");
    QTest::qWait(100);

    struct Case {
        TestClient* from;
        QByteArray fromNick, to;
        TestClient* recipient;
        bool delivered;
    } cases[] = {
        {carol.get(), "carol", "bob", bob.get(), false},    // blocked
        {mod.get(), "mod", "alice", alice.get(), false},    // not a contact of alice
        {bob.get(), "bob", "alice", alice.get(), true},     // contact of alice
        {carol.get(), "carol", "admin", nullptr, false},    // offline
        {carol.get(), "carol", "nobody", nullptr, false},   // unknown
        {bob.get(), "bob", "carol", carol.get(), true},     // blocking is one-way
    };
    for (const auto& tc : cases) {
        tc.from->Send("PrivMsg", {tc.to, tc.fromNick, "text", "msg1"});
        if (tc.delivered) {
            EXPECT_TRUE(tc.from->WaitFor("RPrivMsg")) << tc.fromNick.constData() << "->" << tc.to.constData();
            EXPECT_TRUE(tc.recipient->WaitFor("PrivMsg", Field(1, tc.fromNick)));
        } else {
            EXPECT_TRUE(tc.from->WaitFor("TechMsg")) << tc.fromNick.constData() << "->" << tc.to.constData();
            EXPECT_FALSE(tc.from->Receives("RPrivMsg", {}, 50));
            if (tc.recipient) {
                EXPECT_FALSE(tc.recipient->Receives("PrivMsg", {}, 50));
            }
        }
    }
    (void)a;
}

TEST(ServerMessages, TypingNoticesFollowTheSameRules) {
    Community f;
    auto alice = f.LoggedOn("alice");
    auto bob = f.LoggedOn("bob");
    auto carol = f.LoggedOn("carol");
    bob->Send("SetBList", {"carol\r\n"});
    alice->Send("Typing", {"alice", "", "Bob"});
    auto t = bob->WaitFor("Typing");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->field(1), "alice");
    EXPECT_EQ(t->field(2), "");
    EXPECT_EQ(t->field(3), "bob");
    EXPECT_EQ(t->field(4), "1");
    carol->Send("Typing", {"carol", "", "bob"});
    alice->Send("Typing", {"carol", "", "bob"}); // forged sender
    EXPECT_FALSE(bob->Receives("Typing"));
}

TEST(ServerSearch, FindMatchesAndAnswersNo) {
    Community f;
    auto& store = f.Server().Store();
    auto setProfile = [&](const char* nick, const char* sex, int age, const char* country) {
        auto a = *store.FindAccount(nick);
        a.sex = sex;
        a.age = age;
        a.country = country;
        store.UpdateProfile(a);
    };
    setProfile("alice", "F", 29, "44");
    setProfile("bob", "M", 34, "44");
    setProfile("carol", "F", 41, "1");
    auto alice = f.LoggedOn("alice");

    struct Case {
        QList<QByteArray> query; // nickname, sex, age from, age to, country
        QByteArrayList expected;
    } cases[] = {
        {{"", "", "", "", ""}, {"admin", "alice", "bob", "carol", "mod"}},
        {{"O", " ", "", "", ""}, {"bob", "carol", "mod"}},
        {{"", "F", "", "", ""}, {"alice", "carol"}},
        {{"", "", "30", "41", ""}, {"bob", "carol"}},
        {{"", "", "", "", "44"}, {"alice", "bob"}},
        {{"%", "", "", "", ""}, {}},
        {{"zzz", "", "", "", ""}, {}},
    };
    for (const auto& tc : cases) {
        // The client sends this one command enciphered but not compressed.
        alice->SendUncompressed(
            MakeCommand("Find", {"", "", "", tc.query[0], tc.query[1], tc.query[2], tc.query[3], tc.query[4]}));
        auto first = alice->WaitFor("RFind");
        ASSERT_TRUE(first) << tc.query[0].constData();
        QTest::qWait(100);
        auto rows = alice->TakeAll("RFind");
        rows.prepend(*first);
        if (tc.expected.isEmpty()) {
            ASSERT_EQ(rows.size(), 1);
            EXPECT_EQ(rows[0].field(1), "NO");
            continue;
        }
        QByteArrayList got;
        for (const auto& r : rows) {
            EXPECT_EQ(r.field(1), "OK");
            got << r.field(2);
        }
        EXPECT_EQ(got, tc.expected) << tc.query.join('|').constData();
        if (tc.query[4] == "44") {
            EXPECT_EQ(rows[0].field(4), "F");
            EXPECT_EQ(rows[0].field(5), "29");
            EXPECT_EQ(rows[0].field(6), "OnLine");
            EXPECT_EQ(rows[1].field(6), "OffLine");
        }
    }
}

} // namespace
