#include "Peer.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace korvex::server {

TcpPeer::TcpPeer(QTcpSocket* socket, std::function<void(const QByteArray&)> onInput, std::function<void()> onGone)
    : m_socket(socket) {
    QHostAddress address = socket->peerAddress();
    bool v4 = false;
    const quint32 ip4 = address.toIPv4Address(&v4);
    m_address = (v4 ? QHostAddress(ip4) : address).toString().toLatin1();
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, onInput] {
        // The handler may close the connection; read only while it is open.
        while (socket->bytesAvailable() > 0 && socket->state() == QAbstractSocket::ConnectedState)
            onInput(socket->read(64 * 1024));
    });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, onGone] {
        m_gone = true;
        onGone();
    });
}

TcpPeer::~TcpPeer() {
    m_socket->disconnect();
    m_socket->abort();
    // The destructor may run inside one of the socket's own signals.
    m_socket->deleteLater();
}

void TcpPeer::Write(const QByteArray& frame) {
    if (m_gone || m_socket->state() != QAbstractSocket::ConnectedState) return;
    m_socket->write(frame);
}

qint64 TcpPeer::PendingBytes() const { return m_socket->bytesToWrite(); }

void TcpPeer::Close() {
    if (m_gone) return;
    m_socket->disconnectFromHost();
    if (m_socket->state() == QAbstractSocket::UnconnectedState) m_gone = true;
}

void TcpPeer::Abort() {
    if (m_gone) return;
    m_socket->abort();
    m_gone = true;
}

bool TcpPeer::Finished() const { return m_gone || m_socket->state() == QAbstractSocket::UnconnectedState; }

} // namespace korvex::server
