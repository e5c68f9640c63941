#pragma once

// A command server for the fuzz targets: in-memory storage, accounts alice, bob and admin (type 3) with password
// "secret1", connections that go nowhere.
#include "server/Log.h"
#include "server/Passwords.h"
#include "server/Server.h"

#include <QCoreApplication>

#include <functional>
#include <memory>

namespace korvex::fuzz {

class NullPeer : public server::Peer {
public:
    void Write(const QByteArray&) override {}
    qint64 PendingBytes() const override { return 0; }
    void Close() override { m_closed = true; }
    void Abort() override { m_closed = true; }
    bool Finished() const override { return m_closed; }
    QByteArray RemoteAddress() const override { return "192.0.2.1"; }

private:
    bool m_closed = false;
};

// Created once per process; seed runs before the accounts are added.
inline server::Server* MakeServer(const char* programName, const std::function<void(server::Server&)>& seed = {}) {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>(programName), nullptr};
    static QCoreApplication app(argc, argv);
    server::SetLoggingEnabled(false);
    server::ServerConfig config;
    config.minimalPasswordHashing = true;
    auto* srv = new server::Server(config);
    srv->OpenStorage(":memory:");
    if (seed) seed(*srv);
    server::Passwords passwords(true);
    for (const char* nick : {"alice", "bob", "admin"}) {
        server::Account a;
        a.nick = nick;
        a.type = QByteArray(nick) == "admin" ? 3 : 0;
        a.passwordHash = passwords.Hash("secret1");
        srv->Store().CreateAccount(a);
    }
    return srv;
}

} // namespace korvex::fuzz
