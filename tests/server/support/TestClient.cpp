#include "TestClient.h"

#include "net/Envelope.h"
#include "net/SendCommand.h"

#include <QSignalSpy>
#include <QTest>

namespace korvex::testing {

TestClient::TestClient(quint16 port, QString host) {
    m_client.SetAddress(host);
    m_client.SetPort(port);
    QObject::connect(&m_client, &net::TBBClient::OnRead, [this](net::TBBClient*, const QByteArray& frame) {
        QString error;
        const QByteArray text = net::DecodeFrameBody(frame, &error);
        if (!error.isEmpty()) ++m_decodeErrors;
        net::CommandReader reader(text);
        net::ParsedCommand cmd;
        while (reader.Next(cmd)) m_inbox << cmd;
    });
}

TestClient::~TestClient() { m_client.SetActive(false); }

bool TestClient::Connect(int timeoutMs) {
    QSignalSpy connected(&m_client, &net::TBBClient::OnConnect);
    m_client.SetActive(true);
    return connected.count() > 0 || connected.wait(timeoutMs);
}

void TestClient::Disconnect() { m_client.SetActive(false); }

bool TestClient::Connected() const { return m_client.Active(); }

bool TestClient::WaitDisconnected(int timeoutMs) {
    return QTest::qWaitFor([&] { return !m_client.Active(); }, timeoutMs);
}

void TestClient::Send(const QByteArray& commandText) { net::SendCommand(m_client, commandText); }

void TestClient::Send(const QByteArray& name, std::initializer_list<QByteArray> fields) {
    Send(net::MakeCommand(name, fields));
}

void TestClient::SendUncompressed(const QByteArray& commandText) {
    m_client.WriteText(net::PrefixLength(net::EncodeCommandRaw(commandText)));
}

void TestClient::SendRaw(const QByteArray& bytes) { m_client.WriteText(bytes); }

std::optional<net::ParsedCommand> TestClient::WaitFor(const QByteArray& name, const Match& match, int timeoutMs) {
    std::optional<net::ParsedCommand> found;
    auto take = [&] {
        for (qsizetype i = 0; i < m_inbox.size(); ++i) {
            if (m_inbox[i].name == name && (!match || match(m_inbox[i]))) {
                found = m_inbox.takeAt(i);
                return true;
            }
        }
        return false;
    };
    if (take()) return found;
    (void)QTest::qWaitFor(take, timeoutMs);
    return found;
}

bool TestClient::Receives(const QByteArray& name, const Match& match, int waitMs) {
    QTest::qWait(waitMs);
    return WaitFor(name, match, 0).has_value();
}

QList<net::ParsedCommand> TestClient::TakeAll(const QByteArray& name) {
    QList<net::ParsedCommand> out;
    for (qsizetype i = 0; i < m_inbox.size();) {
        if (m_inbox[i].name == name)
            out << m_inbox.takeAt(i);
        else
            ++i;
    }
    return out;
}

bool TestClient::Login(const QByteArray& nick, const QByteArray& password) {
    Send("Login", {nick, password, "00-11-22-33-44-55", "0123456789ABCDEF"});
    auto reply = WaitFor("RLogin");
    return reply && reply->field(1) == "OK";
}

TestClient::Match Field(int number, const QByteArray& value) {
    return [number, value](const net::ParsedCommand& c) { return c.field(number) == value; };
}

} // namespace korvex::testing
