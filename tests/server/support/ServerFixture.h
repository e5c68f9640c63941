#pragma once

#include "server/Server.h"
#include "TestClient.h"

#include <QTemporaryDir>

#include <memory>

namespace korvex::testing {

// The real server running in the test's own event loop, on a free port, with its database in a temporary
// folder that survives Restart(). Password hashing runs at the library's minimum cost to keep tests fast.
class ServerFixture {
public:
    explicit ServerFixture(server::ServerConfig config = DefaultConfig());
    ~ServerFixture();

    static server::ServerConfig DefaultConfig();

    void Start();
    void Stop();
    void Restart() { Stop(); Start(); }

    server::Server& Server() { return *m_server; }
    quint16 Port() const { return m_server->CommandPort(); }
    QString DataDir() const { return m_dir.path(); }

    // Registers an account directly in the database; returns its id.
    qint64 AddUser(const QByteArray& nick, int type = 0, const QByteArray& password = "secret1");
    void AddContact(const QByteArray& owner, const QByteArray& contact);

    // A connected client, not logged on.
    std::unique_ptr<TestClient> Connect();
    // A connected client logged on as nick; the RLogin answer has been taken from its inbox.
    std::unique_ptr<TestClient> LoggedOn(const QByteArray& nick, const QByteArray& password = "secret1");

private:
    server::ServerConfig m_config;
    QTemporaryDir m_dir;
    std::unique_ptr<server::Server> m_server;
};

} // namespace korvex::testing
