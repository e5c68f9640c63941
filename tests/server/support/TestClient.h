#pragma once

#include "net/Command.h"
#include "net/TBBClient.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace korvex::testing {

// A protocol-level client for server tests: connects with the real TBBClient, sends commands through the
// real envelope code and keeps every command it receives until a test takes it.
class TestClient {
public:
    using Match = std::function<bool(const net::ParsedCommand&)>;

    explicit TestClient(quint16 port, QString host = QStringLiteral("127.0.0.1"));
    ~TestClient();

    bool Connect(int timeoutMs = 5000);
    void Disconnect();
    bool Connected() const;
    // Waits until the server closes the connection.
    bool WaitDisconnected(int timeoutMs = 5000);

    // Enveloped like the client does it (compressed).
    void Send(const QByteArray& commandText);
    void Send(const QByteArray& name, std::initializer_list<QByteArray> fields);
    // Enciphered without compression ("Find").
    void SendUncompressed(const QByteArray& commandText);
    // Bytes as they are, no framing.
    void SendRaw(const QByteArray& bytes);

    // Takes the first received command with that name (and matching match) out of the inbox, waiting for it.
    std::optional<net::ParsedCommand> WaitFor(const QByteArray& name, const Match& match = {}, int timeoutMs = 5000);
    // Lets the event loop run for a while and reports whether such a command arrived (and takes it).
    bool Receives(const QByteArray& name, const Match& match = {}, int waitMs = 300);
    // Every command of that name received so far, removed from the inbox.
    QList<net::ParsedCommand> TakeAll(const QByteArray& name);
    void ClearInbox() { m_inbox.clear(); }
    const QList<net::ParsedCommand>& Inbox() const { return m_inbox; }
    int DecodeErrors() const { return m_decodeErrors; }

    // "Login" and its answer; true on "RLogin" "OK" (the answer is taken out of the inbox).
    bool Login(const QByteArray& nick, const QByteArray& password = "secret1");

    net::TBBClient& Connection() { return m_client; }

private:
    net::TBBClient m_client;
    QList<net::ParsedCommand> m_inbox;
    int m_decodeErrors = 0;
};

// Field-equality matcher: WaitFor("CLOnLine", Field(1, "bob")).
TestClient::Match Field(int number, const QByteArray& value);

} // namespace korvex::testing
