#include "ServerFixture.h"

#include "server/Log.h"

#include <QDir>

#include <gtest/gtest.h>

namespace korvex::testing {

ServerFixture::ServerFixture(server::ServerConfig config) : m_config(std::move(config)) {
    server::SetLoggingEnabled(qEnvironmentVariableIsSet("KORVEX_TEST_SERVER_LOG"));
    Start();
}

ServerFixture::~ServerFixture() { Stop(); }

server::ServerConfig ServerFixture::DefaultConfig() {
    server::ServerConfig c;
    c.port = 0;
    c.minimalPasswordHashing = true;
    return c;
}

void ServerFixture::Start() {
    m_server = std::make_unique<server::Server>(m_config);
    m_server->OpenStorage(QDir(m_dir.path()).filePath("korvex.sqlite"));
    QString error;
    if (!m_server->Listen(&error)) ADD_FAILURE() << error.toStdString();
}

void ServerFixture::Stop() { m_server.reset(); }

qint64 ServerFixture::AddUser(const QByteArray& nick, int type, const QByteArray& password) {
    server::Account a;
    a.nick = nick;
    a.type = type;
    a.passwordHash = server::Passwords(true).Hash(password);
    a.email = nick + "@korvex.local";
    return m_server->Store().CreateAccount(a);
}

void ServerFixture::AddContact(const QByteArray& owner, const QByteArray& contact) {
    auto& store = m_server->Store();
    store.AddContact(store.FindAccount(owner)->id, store.FindAccount(contact)->id);
}

std::unique_ptr<TestClient> ServerFixture::Connect() {
    auto c = std::make_unique<TestClient>(Port());
    EXPECT_TRUE(c->Connect());
    return c;
}

std::unique_ptr<TestClient> ServerFixture::LoggedOn(const QByteArray& nick, const QByteArray& password) {
    auto c = Connect();
    EXPECT_TRUE(c->Login(nick, password)) << nick.constData();
    return c;
}

} // namespace korvex::testing
