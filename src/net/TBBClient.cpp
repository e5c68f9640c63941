#include "TBBClient.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QPointer>
#include <QTcpSocket>

namespace korvex::net {

TBBClient::TBBClient(QObject* parent) : QObject(parent) {}

TBBClient::~TBBClient() {
    if (m_lookupId >= 0) QHostInfo::abortHostLookup(m_lookupId);
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

bool TBBClient::socketOpen() const {
    return m_active || m_opening;
}

void TBBClient::checkChangeable() const {
    if (socketOpen()) throw TBBClientError("Can't change value while socket is active");
}

void TBBClient::SetHost(const QString& host) {
    if (host == m_host) return;
    checkChangeable();
    m_host = host;
}

void TBBClient::SetAddress(const QString& address) {
    if (address == m_address) return;
    checkChangeable();
    m_address = address;
}

void TBBClient::SetPort(quint16 port) {
    if (port == m_port) return;
    checkChangeable();
    m_port = port;
}

void TBBClient::SetActive(bool active) {
    if (active == socketOpen()) return;
    active ? open() : close();
}

void TBBClient::open() {
    m_opening = true;
    QPointer<TBBClient> self(this);
    emit OnLookup(this);
    if (!self || !m_opening) return;
    if (m_host.isEmpty()) {
        connectTo(m_address);
        return;
    }
    m_lookupId = QHostInfo::lookupHost(m_host, this, [this](const QHostInfo& info) {
        m_lookupId = -1;
        if (!m_opening) return;
        QString address;
        // IPv4 first: the service publishes dotted addresses.
        for (const QHostAddress& a : info.addresses())
            if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                address = a.toString();
                break;
            }
        if (address.isEmpty() && !info.addresses().isEmpty()) address = info.addresses().first().toString();
        if (info.error() != QHostInfo::NoError || address.isEmpty()) {
            // A failed lookup ends like a closed socket: the owner hears the error, then the disconnect.
            m_opening = false;
            QPointer<TBBClient> self(this);
            fail(QAbstractSocket::HostNotFoundError, info.errorString());
            if (self) emit OnDisconnect(this);
            return;
        }
        connectTo(address);
    });
}

void TBBClient::connectTo(const QString& address) {
    const QHostAddress host(address);
    if (host.isNull()) {
        m_opening = false;
        fail(QAbstractSocket::HostNotFoundError, QStringLiteral("Invalid address: %1").arg(address));
        return;
    }
    QPointer<TBBClient> self(this);
    emit OnConnecting(this);
    if (!self || !m_opening) return;

    // A fresh socket per attempt, as a reconnection after an error must not inherit the old socket's state.
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->deleteLater();
    }
    m_socket = new QTcpSocket(this);
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(m_socket, &QTcpSocket::connected, this, &TBBClient::onConnected);
    connect(m_socket, &QTcpSocket::disconnected, this, &TBBClient::onDisconnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &TBBClient::onReadyRead);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &TBBClient::onSocketError);
    m_socket->connectToHost(host, m_port);
}

void TBBClient::close() {
    if (m_lookupId >= 0) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
    const bool wasActive = m_active;
    m_opening = false;
    m_active = false;
    m_assembler.Reset();
    if (m_socket) {
        m_socket->disconnect(this);
        // Queued bytes still go out before the FIN when the peer is reachable.
        m_socket->disconnectFromHost();
        m_socket->deleteLater();
        m_socket = nullptr;
    }
    if (wasActive) emit OnDisconnect(this);
}

void TBBClient::onConnected() {
    m_opening = false;
    m_active = true;
    m_assembler.Reset(); // bytes of a frame cut off by the last connection must not prefix the new stream
    emit OnConnect(this);
}

void TBBClient::onDisconnected() {
    if (!m_active) return;
    m_active = false;
    m_assembler.Reset();
    emit OnDisconnect(this);
}

void TBBClient::onReadyRead() {
    if (!m_socket) return;
    const QByteArray chunk = m_socket->readAll();
    QPointer<TBBClient> self(this);
    QTcpSocket* socket = m_socket;
    m_assembler.Feed(
        chunk, [&](const QByteArray& body) { emit OnRead(this, body); },
        // Stop when a handler closed or destroyed the connection: the rest of the chunk belongs to it.
        [&] { return self && m_socket == socket && m_active; });
}

void TBBClient::onSocketError(QAbstractSocket::SocketError error) {
    if (!m_socket) return;
    // The peer closing the connection is an ordinary end, reported by disconnected() alone.
    if (error == QAbstractSocket::RemoteHostClosedError) return;
    const QString text = m_socket->errorString();
    QPointer<TBBClient> self(this);
    if (m_active) {
        m_active = false;
        m_assembler.Reset();
        m_socket->disconnect(this);
        m_socket->abort();
        m_socket->deleteLater();
        m_socket = nullptr;
        emit OnDisconnect(this);
        if (!self) return;
    } else if (m_opening) {
        // A failed connect raises only OnError; the component stays closed.
        m_opening = false;
        m_socket->disconnect(this);
        m_socket->abort();
        m_socket->deleteLater();
        m_socket = nullptr;
    }
    fail(error, text);
}

void TBBClient::fail(QAbstractSocket::SocketError error, const QString& text) {
    m_lastError = error;
    m_lastErrorString = text;
    emit OnError(this);
}

qint64 TBBClient::WriteText(const QByteArray& bytes) {
    if (!m_active || !m_socket || bytes.isEmpty()) return 0;
    const qint64 written = m_socket->write(bytes);
    return written < 0 ? 0 : written;
}

qint64 TBBClient::SendStream(const QByteArray& body) {
    if (!m_active || body.isEmpty() || body.size() > MaxFrameBody) return 0;
    return WriteText(PrefixLength(body));
}

qint64 TBBClient::PendingBytes() const {
    return m_socket ? m_socket->bytesToWrite() : 0;
}

} // namespace korvex::net
