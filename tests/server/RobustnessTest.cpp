#include "support/ServerFixture.h"

#include "net/Compression.h"
#include "net/Envelope.h"

#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

using korvex::net::MakeCommand;
using korvex::testing::Field;
using korvex::testing::ServerFixture;

namespace {

QByteArray frame(const QByteArray& body) { return korvex::net::PrefixLength(body); }

QByteArray randomBytes(qsizetype n) {
    QByteArray b(n, Qt::Uninitialized);
    for (auto& c : b) c = char(QRandomGenerator::global()->bounded(256));
    return b;
}

// Two well-behaved users must keep talking whatever the others send.
void expectStillServed(korvex::testing::TestClient& alice, korvex::testing::TestClient& bob, const char* after) {
    alice.Send("PrivMsg", {"bob", "alice", after, "msg1"});
    EXPECT_TRUE(bob.WaitFor("PrivMsg", Field(2, after))) << "after " << after;
    EXPECT_TRUE(alice.WaitFor("RPrivMsg")) << "after " << after;
}

TEST(ServerRobustness, BadInputIsDroppedAndOthersKeepBeingServed) {
    ServerFixture f;
    f.AddUser("alice");
    f.AddUser("bob");
    auto alice = f.LoggedOn("alice");
    auto bob = f.LoggedOn("bob");

    const QByteArray version = korvex::net::EncodeCommand(MakeCommand("GetVersion"));
    const QByteArray goodBody = version.mid(7);
    const QByteArray bomb = korvex::net::EncodeCommandRaw(korvex::net::CompressMarker +
                                                          korvex::net::ZlibCompress(QByteArray(17 << 20, 'a')));
    QByteArray flood;
    for (int i = 0; i < 5000; ++i) flood += MakeCommand("GetVersion");
    QByteArray manyFields = "\x9A" "GetVersion";
    for (int i = 0; i < 80; ++i) manyFields += "\x9C" "x";

    struct Case {
        const char* name;
        QByteArray bytes;
        bool connectionSurvives; // and keeps answering
    } cases[] = {
        {"garbage", "hello world, this is not a frame", false},
        {"zero length", "0000000", false},
        {"huge length header", "9999999" + randomBytes(4096), false},
        {"truncated envelope", frame(goodBody.left(goodBody.size() / 2)), true},
        {"non-digit key", frame("PP" + QByteArray(24, 'x') + QByteArray(8, 'y')), true},
        {"cipher length not a multiple of 8", frame(goodBody.left(goodBody.size() - 3)), true},
        {"random body", frame(randomBytes(300)), true},
        {"inflates past the limit", frame(bomb), true},
        {"five thousand commands in one frame", korvex::net::EncodeCommand(flood), true},
        {"more than 51 fields", korvex::net::EncodeCommand(manyFields), true},
        {"unknown command", korvex::net::EncodeCommand(MakeCommand("NoSuchThing", {"1"})), true},
        {"commands before logon", korvex::net::EncodeCommand(MakeCommand("PrivMsg", {"bob", "x", "hi", "m"})), true},
        {"missing fields", korvex::net::EncodeCommand(MakeCommand("Login")), true},
        {"plain three bytes", frame("\x9A" "p" "\x9C"), true},
    };
    for (const auto& tc : cases) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, f.Port());
        ASSERT_TRUE(s.waitForConnected(5000)) << tc.name;
        s.write(tc.bytes);
        if (tc.connectionSurvives) {
            s.write(version);
            // The answer to the version request shows the connection still works.
            korvex::net::FrameAssembler frames;
            bool answered = false;
            EXPECT_TRUE(QTest::qWaitFor([&] {
                frames.Feed(s.readAll(), [&](const QByteArray& body) {
                    answered = answered || korvex::net::DecodeFrameBody(body).contains("RGetVersion");
                });
                return answered;
            }, 10000)) << tc.name;
        } else {
            EXPECT_TRUE(QTest::qWaitFor([&] { return s.state() == QAbstractSocket::UnconnectedState; }, 5000))
                << tc.name;
        }
        expectStillServed(*alice, *bob, tc.name);
    }
    EXPECT_EQ(bob->TakeAll("PrivMsg").size(), 0);
    // Every bad connection is gone and forgotten.
    EXPECT_TRUE(QTest::qWaitFor([&] {
        f.Server().ReapClosed();
        return f.Server().SessionCount() == 2;
    }, 5000)) << f.Server().SessionCount();
}

TEST(ServerRobustness, AbruptDisconnectsAnywhere) {
    ServerFixture f;
    f.AddUser("alice");
    f.AddUser("bob");
    f.AddUser("carol");
    f.AddContact("alice", "carol");
    auto alice = f.LoggedOn("alice");
    auto bob = f.LoggedOn("bob");
    const QByteArray login = korvex::net::EncodeCommand(MakeCommand("Login", {"carol", "secret1", "", ""}));
    for (qsizetype cut : {qsizetype(3), qsizetype(7), qsizetype(20), login.size() - 1, login.size()}) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, f.Port());
        ASSERT_TRUE(s.waitForConnected(5000));
        s.write(login.left(cut));
        s.flush();
        QTest::qWait(50);
        s.abort();
        expectStillServed(*alice, *bob, "after a cut");
    }
    // carol's complete logon was followed by a drop: her contacts saw her come and go.
    EXPECT_TRUE(alice->WaitFor("CLOnLine", Field(1, "carol")));
    EXPECT_TRUE(alice->WaitFor("CLOffLine", Field(1, "carol")));
    EXPECT_EQ(f.Server().OnlineCount(), 2);
}

TEST(ServerRobustness, AClientThatDoesNotReadIsDisconnected) {
    auto config = ServerFixture::DefaultConfig();
    config.maxOutputQueueBytes = 256 * 1024;
    ServerFixture f(config);
    f.AddUser("alice");
    f.AddUser("sleeper");
    auto alice = f.LoggedOn("alice");

    QTcpSocket sleeper;
    sleeper.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    sleeper.setReadBufferSize(4096); // Qt stops reading from the kernel once this holds 4 KiB
    sleeper.connectToHost(QHostAddress::LocalHost, f.Port());
    ASSERT_TRUE(sleeper.waitForConnected(5000));
    sleeper.write(korvex::net::EncodeCommand(MakeCommand("Login", {"sleeper", "secret1", "", ""})));
    sleeper.flush();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.Server().OnlineCount() == 2; }, 5000));

    // Incompressible messages until the server gives up on the sleeper; it never reads them.
    const QByteArray text = randomBytes(30000).toBase64().left(30000);
    bool dropped = false;
    for (int i = 0; i < 2000 && !dropped; ++i) {
        alice->Send("PrivMsg", {"sleeper", "alice", text, "msg1"});
        QTest::qWait(2);
        dropped = f.Server().OnlineCount() == 1;
    }
    EXPECT_TRUE(dropped);
    alice->ClearInbox();
    alice->Send("PrivMsg", {"sleeper", "alice", "still there?", "msg2"});
    EXPECT_TRUE(alice->WaitFor("TechMsg")); // the sleeper is no longer online
    EXPECT_TRUE(alice->Connected());
}

} // namespace
