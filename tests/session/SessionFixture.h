#pragma once

#include "net/Command.h"
#include "net/Frame.h"
#include "platform/Timer.h"
#include "session/Dialogs.h"
#include "session/TDM.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// A protocol-level peer on loopback that answers "GetVersion", "Login" and "NewUser" as the service does, and
// records every command it receives. Replies are enveloped without touching the client's last-send time.
class FakeServer : public QObject {
    Q_OBJECT
public:
    FakeServer();
    bool Listen(quint16 port = 0);
    void StopListening();
    // Closes every connection from the server side.
    void DropClients();
    quint16 Port() const { return m_port; }
    void Send(const QByteArray& name, std::initializer_list<QByteArray> fields = {});
    QList<korvex::net::ParsedCommand> received;
    QList<QByteArray> ReceivedNames() const;
    int Count(const QByteArray& name) const;
    QByteArray version = "3.26";
    QByteArray password = "secret1";
    bool answerNewUser = true;

private:
    void onCommand(QTcpSocket* s, const korvex::net::ParsedCommand& cmd);
    QTcpServer m_server;
    QList<QPointer<QTcpSocket>> m_clients;
    quint16 m_port = 0;
};

// A fresh program folder, the manual clock, a scripted dialog responder and a data module pointed at a peer.
class SessionTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Writes Data/addr.dat and runs the data module's start-up.
    void StartDataModule(const QByteArray& addr);
    void StartDataModuleForServer();
    bool WaitFor(const std::function<bool()>& done, int ms = 5000);
    void Advance(qint64 ms);
    void WriteAppFile(const QString& relative, const QByteArray& bytes);
    QByteArray ReadAppFile(const QString& relative) const;

    QTemporaryDir home;
    korvex::session::ScriptedDialogs dialogs;
    FakeServer server;
    std::unique_ptr<korvex::session::TDM> dm;
    int closed = 0;
};
