#include "net/TBBClient.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using korvex::net::TBBClient;
using korvex::net::TBBClientError;

namespace {

// A loopback server that accepts one peer; the test drives the peer socket directly.
struct LoopbackPeer {
    QTcpServer server;
    QTcpSocket* peer = nullptr;

    LoopbackPeer() { EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0)); }
    bool accept() {
        if (!server.hasPendingConnections() && !server.waitForNewConnection(5000)) return false;
        peer = server.nextPendingConnection();
        return peer != nullptr;
    }
    QByteArray readExactly(qsizetype n) {
        // Spin the event loop: the client flushes its queue from there.
        QByteArray data;
        (void)QTest::qWaitFor(
            [&] {
                data += peer->read(n - data.size());
                return data.size() == n;
            },
            5000);
        return data;
    }
};

// Records the order of events as short names.
struct EventLog {
    QStringList events;
    QList<QByteArray> frames;
    void attach(TBBClient& c) {
        QObject::connect(&c, &TBBClient::OnLookup, [this] { events << "lookup"; });
        QObject::connect(&c, &TBBClient::OnConnecting, [this] { events << "connecting"; });
        QObject::connect(&c, &TBBClient::OnConnect, [this] { events << "connect"; });
        QObject::connect(&c, &TBBClient::OnDisconnect, [this] { events << "disconnect"; });
        QObject::connect(&c, &TBBClient::OnError, [this] { events << "error"; });
        QObject::connect(&c, &TBBClient::OnRead, [this](TBBClient*, const QByteArray& f) { frames << f; });
    }
};

void connectClient(TBBClient& client, LoopbackPeer& peer) {
    client.SetAddress("127.0.0.1");
    client.SetPort(peer.server.serverPort());
    QSignalSpy connected(&client, &TBBClient::OnConnect);
    client.SetActive(true);
    ASSERT_TRUE(connected.wait(5000));
    ASSERT_TRUE(peer.accept());
}

} // namespace

TEST(TBBClient, ConnectEventsInOrderAndFramesBothWays) {
    LoopbackPeer peer;
    TBBClient client;
    EventLog log;
    log.attach(client);
    connectClient(client, peer);
    EXPECT_EQ(log.events, (QStringList{"lookup", "connecting", "connect"}));
    EXPECT_TRUE(client.Active());

    EXPECT_EQ(client.SendStream(QByteArray(42, 'x')), 49);
    EXPECT_EQ(client.SendStream(QByteArray()), 0);
    EXPECT_EQ(peer.readExactly(49), "0000042" + QByteArray(42, 'x'));

    peer.peer->write("0000005hello0000003abc");
    peer.peer->flush();
    EXPECT_TRUE(QTest::qWaitFor([&] { return log.frames.size() == 2; }, 5000));
    EXPECT_EQ(log.frames, (QList<QByteArray>{"hello", "abc"}));
}

TEST(TBBClient, HostNameIsLookedUp) {
    LoopbackPeer peer;
    TBBClient client;
    EventLog log;
    log.attach(client);
    client.SetHost("localhost");
    client.SetPort(peer.server.serverPort());
    QSignalSpy connected(&client, &TBBClient::OnConnect);
    client.SetActive(true);
    ASSERT_TRUE(connected.wait(5000));
    EXPECT_EQ(log.events, (QStringList{"lookup", "connecting", "connect"}));
}

TEST(TBBClient, LargeWriteArrivesWhole) {
    LoopbackPeer peer;
    TBBClient client;
    connectClient(client, peer);
    // Far larger than a socket send buffer: the rest is queued and flushed in order.
    QByteArray body(8 * 1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < body.size(); ++i) body[i] = char(i * 7);
    EXPECT_EQ(client.SendStream(body), body.size() + 7);
    EXPECT_EQ(client.SendStream("tail"), 11);
    QByteArray got;
    const qsizetype want = body.size() + 7 + 11;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            got += peer.peer->readAll();
            return got.size() >= want;
        },
        20000));
    EXPECT_EQ(got.left(7), "8388608");
    EXPECT_TRUE(got.mid(7, body.size()) == body);
    EXPECT_EQ(got.mid(7 + body.size()), "0000004tail");
}

TEST(TBBClient, TooLargeBodyIsRefused) {
    LoopbackPeer peer;
    TBBClient client;
    connectClient(client, peer);
    EXPECT_EQ(client.SendStream(QByteArray(10'000'000, 'x')), 0);
}

TEST(TBBClient, WritesWhileClosedSendNothing) {
    TBBClient client;
    EXPECT_EQ(client.WriteText("abc"), 0);
    EXPECT_EQ(client.SendStream("abc"), 0);
}

TEST(TBBClient, PeerClosesConnection) {
    LoopbackPeer peer;
    TBBClient client;
    EventLog log;
    log.attach(client);
    connectClient(client, peer);
    peer.peer->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !client.Active(); }, 5000));
    EXPECT_EQ(log.events.last(), "disconnect");
    EXPECT_FALSE(log.events.contains("error"));
}

TEST(TBBClient, LocalCloseRaisesDisconnectAndCanReopen) {
    LoopbackPeer peer;
    TBBClient client;
    EventLog log;
    log.attach(client);
    connectClient(client, peer);
    client.SetActive(false);
    EXPECT_FALSE(client.Active());
    EXPECT_EQ(log.events.last(), "disconnect");

    // A partial frame from the old connection must not leak into the new one.
    LoopbackPeer second;
    client.SetPort(second.server.serverPort());
    QSignalSpy connected(&client, &TBBClient::OnConnect);
    client.SetActive(true);
    ASSERT_TRUE(connected.wait(5000));
    ASSERT_TRUE(second.accept());
    second.peer->write("0000002ok");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !log.frames.isEmpty(); }, 5000));
    EXPECT_EQ(log.frames, QList<QByteArray>{"ok"});
}

TEST(TBBClient, FailedConnectRaisesOnlyError) {
    quint16 port;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort(); // closed again: nothing listens there now
    }
    TBBClient client;
    EventLog log;
    log.attach(client);
    client.SetAddress("127.0.0.1");
    client.SetPort(port);
    QSignalSpy error(&client, &TBBClient::OnError);
    client.SetActive(true);
    ASSERT_TRUE(error.wait(5000));
    QTest::qWait(50);
    EXPECT_EQ(log.events, (QStringList{"lookup", "connecting", "error"}));
    EXPECT_FALSE(client.Active());
    EXPECT_EQ(client.LastError(), QAbstractSocket::ConnectionRefusedError);
    client.SetPort(port + 1); // closed again, so the settings may change
}

TEST(TBBClient, SettingsLockedWhileOpen) {
    LoopbackPeer peer;
    TBBClient client;
    connectClient(client, peer);
    try {
        client.SetPort(1);
        FAIL() << "expected a refusal";
    } catch (const TBBClientError& e) {
        EXPECT_STREQ(e.what(), "Can't change value while socket is active");
    }
    EXPECT_THROW(client.SetHost("example"), TBBClientError);
    EXPECT_THROW(client.SetAddress("10.0.0.1"), TBBClientError);
    EXPECT_NO_THROW(client.SetPort(client.Port())); // the same value changes nothing
}

TEST(TBBClient, HandlerMayCloseDuringRead) {
    LoopbackPeer peer;
    TBBClient client;
    EventLog log;
    log.attach(client);
    connectClient(client, peer);
    QObject::connect(&client, &TBBClient::OnRead, [&](TBBClient* c, const QByteArray&) { c->SetActive(false); });
    peer.peer->write("0000001a0000001b");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !log.frames.isEmpty(); }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(log.frames, QList<QByteArray>{"a"});
    EXPECT_FALSE(client.Active());
}

TEST(TBBClient, FailedLookupRaisesErrorThenDisconnect) {
    TBBClient client;
    EventLog log;
    log.attach(client);
    client.SetHost("no-such-host.invalid");
    client.SetPort(7000);
    QSignalSpy disconnected(&client, &TBBClient::OnDisconnect);
    client.SetActive(true);
    ASSERT_TRUE(disconnected.wait(10000));
    EXPECT_EQ(log.events, (QStringList{"lookup", "error", "disconnect"}));
    EXPECT_FALSE(client.Active());
    EXPECT_EQ(client.LastError(), QAbstractSocket::HostNotFoundError);
}
