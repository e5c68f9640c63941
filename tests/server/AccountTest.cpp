#include "support/ServerFixture.h"

#include "net/Clock.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

using korvex::net::MakeCommand;
using korvex::testing::Field;
using korvex::testing::ServerFixture;

namespace {

TEST(ServerAccounts, VersionIsAnsweredBeforeLogonWithTheCodecList) {
    ServerFixture f;
    auto c = f.Connect();
    c->Send(MakeCommand("GetVersion"));
    auto v = c->WaitFor("RGetVersion");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->field(1), "OK");
    EXPECT_EQ(v->field(2), "3.26");
    EXPECT_EQ(v->field(4), "GSM1,2500\r\nGSM2,2500");
}

TEST(ServerAccounts, RegistrationChecksEveryRule) {
    ServerFixture f;
    f.AddUser("Taken");
    struct Case {
        QByteArray nick, password;
        bool ok;
    } cases[] = {
        {"abc", "secret1", false},                        // too short
        {"abcdefghijklmnopqrstuvwxyz1", "secret1", false}, // 27 characters
        {"with space", "secret1", false},
        {"semi;colon", "secret1", false},
        {"TAKEN", "secret1", false},                      // taken, ignoring case
        {"newbie", "1234", false},                        // password too short
        {"abcdefghijklmnopqrstuvwxyz", "secret1", true},  // 26 characters
        {"New_user-1.x", "secret1", true},
    };
    auto c = f.Connect();
    for (const auto& tc : cases) {
        c->Send("NewUser", {tc.nick, tc.password, "49", "Female", "30", "AA-BB", "x@example.org", "0123456789ABCDEF"});
        auto r = c->WaitFor("RNewUser");
        ASSERT_TRUE(r) << tc.nick.constData();
        EXPECT_EQ(r->field(1) == "OK", tc.ok) << tc.nick.constData();
        if (tc.ok) {
            EXPECT_EQ(r->field(2), tc.nick);
            EXPECT_EQ(r->field(3), tc.password);
        }
    }
    // The new account works and keeps what was registered.
    auto u = f.Connect();
    u->Send("Login", {"new_USER-1.x", "secret1", "", ""});
    auto r = u->WaitFor("RLogin");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->field(1), "OK");
    EXPECT_EQ(r->field(2), "New_user-1.x"); // canonical spelling
    EXPECT_EQ(r->field(4), "49");
    EXPECT_EQ(r->field(11), "x@example.org");
}

TEST(ServerAccounts, LogonAnswerAndRefusals) {
    ServerFixture f;
    const qint64 id = f.AddUser("alice", 2);
    auto& store = f.Server().Store();
    auto a = *store.AccountById(id);
    a.country = "44";
    a.colour = 255;
    a.fullName = "Alice Archer";
    store.UpdateProfile(a);
    store.SetUserType(id, 2, QDate(2099, 3, 1));

    auto c = f.Connect();
    c->Send("Login", {"alice", "wrong", "", ""});
    auto refused = c->WaitFor("RLogin");
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->field(1), "OK");
    c->Send("Login", {"nobody", "secret1", "", ""});
    ASSERT_TRUE(c->WaitFor("RLogin", Field(1, "NO")));
    // Commands that need a logon are refused before it.
    c->Send("GetCList", {"alice"});
    EXPECT_FALSE(c->Receives("CLOffLine"));

    c->Send("Login", {"ALICE", "secret1", "AA", "0123456789ABCDEF"});
    auto ok = c->WaitFor("RLogin");
    ASSERT_TRUE(ok);
    const QList<QByteArray> expected = {"OK", "alice", "secret1", "44", "2", "01032099", "0000", "255", "7001", "7002",
                                        "alice@korvex.local", "Alice Archer"};
    for (int i = 0; i < expected.size(); ++i) EXPECT_EQ(ok->field(i + 1), expected[i]) << "field " << i + 1;
    EXPECT_TRUE(ok->field(13).isEmpty());
    EXPECT_FALSE(c->Receives("RGetInfo")); // no forced password change
}

TEST(ServerAccounts, ExpiredTypeFallsBackToNormal) {
    ServerFixture f;
    const qint64 id = f.AddUser("paid", 1);
    f.Server().Store().SetUserType(id, 1, QDate(2000, 1, 1));
    auto c = f.LoggedOn("paid");
    c->Send("Login", {"paid", "secret1", "", ""});
    auto r = c->WaitFor("RLogin");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->field(5), "0");
    EXPECT_EQ(r->field(6), "");
}

TEST(ServerAccounts, BlackListRefusesNameMacAndPcId) {
    ServerFixture f;
    for (const char* n : {"banned", "byMac", "byPcId", "expired"}) f.AddUser(n);
    auto& store = f.Server().Store();
    store.AddBlackEntry({"banned", "", "", "", QDate()});
    store.AddBlackEntry({"", "", "66-66", "", QDate()});
    store.AddBlackEntry({"", "", "", "FFFF000011112222", QDate(2099, 1, 1)});
    store.AddBlackEntry({"expired", "", "", "", QDate(2001, 1, 1)});
    struct Case {
        QByteArray nick, mac, pcId;
        bool ok;
    } cases[] = {{"banned", "", "", false},
                 {"byMac", "66-66", "", false},
                 {"byPcId", "", "FFFF000011112222", false},
                 {"expired", "", "", true},
                 {"byMac", "77-77", "", true}};
    for (const auto& tc : cases) {
        auto c = f.Connect();
        c->Send("Login", {tc.nick, "secret1", tc.mac, tc.pcId});
        auto r = c->WaitFor("RLogin");
        ASSERT_TRUE(r);
        EXPECT_EQ(r->field(1) == "OK", tc.ok) << tc.nick.constData() << " " << tc.mac.constData();
    }
    auto c = f.Connect();
    c->Send("NewUser", {"newname", "secret1", "", "", "", "66-66", "", ""});
    EXPECT_TRUE(c->WaitFor("RNewUser", Field(1, "NO")));
}

TEST(ServerAccounts, SecondLogonClosesTheFirstWithoutPresenceNoise) {
    ServerFixture f;
    f.AddUser("alice");
    f.AddUser("bob");
    f.AddContact("bob", "alice");
    auto bob = f.LoggedOn("bob");
    auto first = f.LoggedOn("alice");
    ASSERT_TRUE(bob->WaitFor("CLOnLine", Field(1, "alice")));

    auto second = f.LoggedOn("alice");
    EXPECT_TRUE(first->WaitFor("AlreadyLogin"));
    EXPECT_TRUE(first->WaitDisconnected());
    EXPECT_TRUE(second->Connected());
    EXPECT_FALSE(bob->Receives("CLOffLine"));
    EXPECT_FALSE(bob->Receives("CLOnLine"));
    EXPECT_EQ(f.Server().OnlineCount(), 2);

    // The new session is the one that is served.
    second->Send("GetInfo", {"bob"});
    EXPECT_TRUE(second->WaitFor("RGetInfo", Field(1, "bob")));
}

TEST(ServerAccounts, ReconnectionAfterADroppedConnection) {
    ServerFixture f;
    f.AddUser("alice");
    f.AddUser("bob");
    f.AddContact("bob", "alice");
    auto bob = f.LoggedOn("bob");
    {
        auto alice = f.LoggedOn("alice");
        ASSERT_TRUE(bob->WaitFor("CLOnLine", Field(1, "alice")));
        alice->Connection().SetActive(false); // the line drops
    }
    EXPECT_TRUE(bob->WaitFor("CLOffLine", Field(1, "alice")));
    auto again = f.LoggedOn("alice");
    auto back = bob->WaitFor("CLOnLine", Field(1, "alice"));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->field(10), "1");
}

TEST(ServerAccounts, ProfileReadAndOwnChange) {
    ServerFixture f;
    f.AddUser("alice");
    f.AddUser("bob");
    auto alice = f.LoggedOn("alice");
    alice->Send("SetInfo", {"alice", "alice", "33", "Female", "28", "newpass1", "1", "N"});
    auto set = alice->WaitFor("RSetInfo");
    ASSERT_TRUE(set);
    EXPECT_EQ(set->field(1), "alice");
    EXPECT_EQ(set->field(5), "newpass1");

    auto bob = f.LoggedOn("bob");
    bob->Send("GetInfo", {"ALICE"});
    auto info = bob->WaitFor("RGetInfo");
    ASSERT_TRUE(info);
    const QList<QByteArray> expected = {"alice", "33", "F", "28", "1", "N"};
    for (int i = 0; i < expected.size(); ++i) EXPECT_EQ(info->field(i + 1), expected[i]) << "field " << i + 1;

    bob->Send("GetInfo", {"ghost"});
    EXPECT_TRUE(bob->WaitFor("TechMsg"));
    // Someone else's profile, a rename, and a too short password are refused.
    bob->Send("SetInfo", {"alice", "alice", "1", "Male", "99", "hacked", "0"});
    EXPECT_TRUE(bob->WaitFor("TechMsg"));
    alice->Send("SetInfo", {"alice", "alicia", "33", "Female", "28", "newpass1", "1", "N"});
    EXPECT_TRUE(alice->WaitFor("TechMsg"));
    alice->Send("SetInfo", {"alice", "alice", "33", "Female", "28", "abc", "1", "N"});
    EXPECT_TRUE(alice->WaitFor("TechMsg"));
    EXPECT_FALSE(alice->Receives("RSetInfo"));

    auto relog = f.Connect();
    EXPECT_TRUE(relog->Login("alice", "newpass1"));
}

TEST(ServerAccounts, ForcedPasswordChange) {
    ServerFixture f;
    const qint64 id = f.AddUser("alice");
    auto a = *f.Server().Store().AccountById(id);
    a.mustChangePassword = true;
    f.Server().Store().UpdateProfile(a);

    auto c = f.LoggedOn("alice");
    auto pushed = c->WaitFor("RGetInfo");
    ASSERT_TRUE(pushed);
    EXPECT_EQ(pushed->field(6), "Y");
    // The same password again does not count as a change.
    c->Send("SetInfo", {"alice", "alice", "", "", "0", "secret1", "0", "Y"});
    EXPECT_TRUE(c->WaitFor("RGetInfo", Field(6, "Y")));
    EXPECT_FALSE(c->Receives("RSetInfo"));
    c->Send("SetInfo", {"alice", "alice", "", "", "0", "fresh123", "0", "Y"});
    EXPECT_TRUE(c->WaitFor("RSetInfo"));
    c->Send("GetInfo", {"alice"});
    EXPECT_TRUE(c->WaitFor("RGetInfo", Field(6, "N")));
}

TEST(ServerAccounts, AdministratorEditKeepsThePasswordAndIsConfirmedByTechMsg) {
    ServerFixture f;
    f.AddUser("admin", 3, "adminpw");
    f.AddUser("bob");
    auto admin = f.LoggedOn("admin", "adminpw");
    // The admin's client pre-fills the password box with the admin's own password.
    admin->Send("SetInfo", {"bob", "bob", "7", "Male", "40", "adminpw", "0"});
    EXPECT_TRUE(admin->WaitFor("TechMsg"));
    EXPECT_FALSE(admin->Receives("RSetInfo"));
    auto bob = f.Connect();
    EXPECT_TRUE(bob->Login("bob", "secret1"));
    bob->Send("GetInfo", {"bob"});
    EXPECT_TRUE(bob->WaitFor("RGetInfo", Field(4, "40")));
    // An explicit new password is applied.
    admin->Send("SetInfo", {"bob", "bob", "7", "Male", "40", "reset99", "0"});
    EXPECT_TRUE(admin->WaitFor("TechMsg"));
    auto again = f.Connect();
    EXPECT_TRUE(again->Login("bob", "reset99"));
}

TEST(ServerAccounts, IdleConnectionsAreProbedThenClosed) {
    korvex::net::ManualClock clock;
    korvex::net::Clock::Install(&clock);
    {
        ServerFixture f;
        f.AddUser("alice");
        auto quiet = f.LoggedOn("alice");
        auto chatty = f.Connect();
        chatty->Send("p", {""});
        EXPECT_FALSE(chatty->Receives("p")); // a "p" is never answered with "p"

        clock.advance(50'000);
        chatty->Send("p", {""});
        QTest::qWait(100);
        f.Server().CheckIdle();
        EXPECT_TRUE(quiet->WaitFor("p")); // half the timeout: probed
        EXPECT_FALSE(chatty->Receives("p", {}, 50));

        clock.advance(45'000);
        f.Server().CheckIdle();
        EXPECT_TRUE(quiet->WaitDisconnected());
        EXPECT_TRUE(chatty->Connected());
        EXPECT_EQ(f.Server().OnlineCount(), 0);
    }
    korvex::net::Clock::Install(nullptr);
}

// A minimal SMTP receiver: enough of RFC 5321 for libcurl to hand over one message.
class SmtpSink : public QObject {
public:
    SmtpSink() {
        server.listen(QHostAddress::LocalHost, 0);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* s = server.nextPendingConnection();
            s->write("220 sink ESMTP\r\n");
            connect(s, &QTcpSocket::readyRead, s, [this, s] {
                buffer += s->readAll();
                while (true) {
                    if (inData) {
                        const qsizetype end = buffer.indexOf("\r\n.\r\n");
                        if (end < 0) return;
                        messages << buffer.left(end + 2);
                        buffer.remove(0, end + 5);
                        inData = false;
                        s->write("250 OK\r\n");
                        continue;
                    }
                    const qsizetype eol = buffer.indexOf("\r\n");
                    if (eol < 0) return;
                    const QByteArray line = buffer.left(eol);
                    buffer.remove(0, eol + 2);
                    commands << line;
                    if (line.startsWith("DATA")) {
                        inData = true;
                        s->write("354 go ahead\r\n");
                    } else if (line.startsWith("QUIT")) {
                        s->write("221 bye\r\n");
                        s->disconnectFromHost();
                        return;
                    } else {
                        s->write("250 OK\r\n");
                    }
                }
            });
        });
    }
    QTcpServer server;
    QByteArray buffer;
    bool inData = false;
    QList<QByteArray> commands, messages;
};

TEST(ServerAccounts, InvitationIsMailedThroughTheRelay) {
    SmtpSink sink;
    auto config = ServerFixture::DefaultConfig();
    config.smtpUrl = "smtp://127.0.0.1:" + QByteArray::number(sink.server.serverPort());
    config.maxInvitesPerDay = 2;
    ServerFixture f(config);
    f.AddUser("alice");
    auto alice = f.LoggedOn("alice");
    alice->Send("InviteAFriend", {"alice", korvex::net::EscapeField("Fr\x9Cnk"), "frank@example.org",
                                  "Alice Archer", "alice@example.org"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sink.messages.isEmpty(); }, 10000));
    EXPECT_TRUE(sink.commands.contains("RCPT TO:<frank@example.org>"));
    const QByteArray& mail = sink.messages.first();
    EXPECT_TRUE(mail.contains("To: =?UTF-8?B?" + QString::fromUtf8("Fr\xC5\x93nk").toUtf8().toBase64() + "?= <frank@example.org>"))
        << mail.constData();
    EXPECT_TRUE(mail.contains("Reply-To: <alice@example.org>"));

    // A header injection attempt and the daily limit are refused with a message.
    alice->Send("InviteAFriend", {"alice", "x", "a@b.org\r\nBcc: all@example.org", "", ""});
    EXPECT_TRUE(alice->WaitFor("TechMsg"));
    alice->Send("InviteAFriend", {"alice", "x", "second@example.org", "", ""});
    alice->Send("InviteAFriend", {"alice", "x", "third@example.org", "", ""});
    EXPECT_TRUE(alice->WaitFor("TechMsg"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sink.messages.size() == 2; }, 10000));
    EXPECT_FALSE(sink.commands.contains("RCPT TO:<third@example.org>"));

    // The full name and address given in the form are kept for the next logon.
    auto relog = f.Connect();
    relog->Send("Login", {"alice", "secret1", "", ""});
    auto r = relog->WaitFor("RLogin");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->field(11), "alice@example.org");
    EXPECT_EQ(r->field(12), "Alice Archer");
}

} // namespace

namespace {

TEST(ServerAccounts, ServerToolsTechMsgAndCloseUser) {
    ServerFixture f;
    f.AddUser("admin", 3);
    f.AddUser("bob");
    f.AddUser("carol");
    f.AddContact("carol", "bob");
    auto admin = f.LoggedOn("admin");
    auto bob = f.LoggedOn("bob");
    auto carol = f.LoggedOn("carol");

    EXPECT_TRUE(f.Server().SendTechMsg("BOB", "maintenance at noon"));
    EXPECT_TRUE(bob->WaitFor("TechMsg", Field(1, "maintenance at noon")));
    EXPECT_FALSE(f.Server().SendTechMsg("ghost", "x"));

    // Only administrators may close other sessions.
    carol->Send("CloseUser", {"bob", "go away"});
    EXPECT_FALSE(bob->Receives("CloseUser"));
    admin->Send("CloseUser", {"bob", "closed for a reason"});
    EXPECT_TRUE(bob->WaitFor("CloseUser", Field(1, "closed for a reason")));
    EXPECT_TRUE(bob->WaitDisconnected());
    EXPECT_TRUE(carol->WaitFor("CLOffLine", Field(1, "bob")));
    admin->Send("CloseUser", {"bob", "again"});
    EXPECT_TRUE(admin->WaitFor("TechMsg"));
}

} // namespace

namespace {

TEST(ServerAccounts, RepeatedFailedLogonsFromOneAddressAreThrottled) {
    korvex::net::ManualClock clock;
    korvex::net::Clock::Install(&clock);
    {
        auto config = ServerFixture::DefaultConfig();
        config.maxFailedLogons = 3;
        config.failedLogonWindowSeconds = 600;
        ServerFixture f(config);
        f.AddUser("alice");
        auto c = f.Connect();
        for (int i = 0; i < 3; ++i) {
            c->Send("Login", {"alice", "guess" + QByteArray::number(i), "", ""});
            ASSERT_TRUE(c->WaitFor("RLogin", Field(1, "NO")));
        }
        // Even the right password is not checked now.
        EXPECT_FALSE(c->Login("alice", "secret1"));
        clock.advance(601'000);
        EXPECT_TRUE(c->Login("alice", "secret1"));
    }
    korvex::net::Clock::Install(nullptr);
}

} // namespace
