#pragma once

#include <QByteArray>

#include <functional>

class QTcpSocket;

namespace korvex::server {

// The byte pipe under one client session. The server talks to it only through this interface, so its whole
// input path can also be driven without sockets (fuzzing).
class Peer {
public:
    virtual ~Peer() = default;
    // Queues a whole frame; never writes part of one.
    virtual void Write(const QByteArray& frame) = 0;
    virtual qint64 PendingBytes() const = 0;
    // Sends what is queued, then closes.
    virtual void Close() = 0;
    // Drops what is queued and closes now.
    virtual void Abort() = 0;
    // True once the connection is closed for good; the session may then be destroyed.
    virtual bool Finished() const = 0;
    virtual QByteArray RemoteAddress() const = 0;
};

// A peer on an accepted TCP connection. Input and the end of the connection are reported through the two
// callbacks, from the socket's thread.
class TcpPeer : public Peer {
public:
    TcpPeer(QTcpSocket* socket, std::function<void(const QByteArray&)> onInput, std::function<void()> onGone);
    ~TcpPeer() override;

    void Write(const QByteArray& frame) override;
    qint64 PendingBytes() const override;
    void Close() override;
    void Abort() override;
    bool Finished() const override;
    QByteArray RemoteAddress() const override { return m_address; }

private:
    QTcpSocket* m_socket;
    QByteArray m_address;
    bool m_gone = false;
};

} // namespace korvex::server
