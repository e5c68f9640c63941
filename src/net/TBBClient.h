#pragma once

#include "Frame.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QString>

#include <stdexcept>

class QTcpSocket;

namespace korvex::net {

// Raised by the Host, Address and Port setters while a connection is open or being opened.
class TBBClientError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A framed TCP client connection. Events arrive as signals on the thread that owns the object, from its event
// loop; every received frame is delivered whole through OnRead.
class TBBClient : public QObject {
    Q_OBJECT
public:
    explicit TBBClient(QObject* parent = nullptr);
    ~TBBClient() override;

    // True between OnConnect and OnDisconnect. Setting true starts a connection attempt; false closes it.
    bool Active() const { return m_active; }
    void SetActive(bool active);

    QString Host() const { return m_host; }
    void SetHost(const QString& host);
    QString Address() const { return m_address; }
    void SetAddress(const QString& address);
    quint16 Port() const { return m_port; }
    void SetPort(quint16 port);

    // Writes the bytes in order; what the socket cannot take now is queued and flushed when it can write.
    // Returns the number of bytes accepted, 0 when the connection is not open.
    qint64 WriteText(const QByteArray& bytes);

    // Frames body with its seven-digit length and writes it. 0 when not connected, for an empty body, and for a
    // body too long for seven digits.
    qint64 SendStream(const QByteArray& body);

    // Bytes accepted but not yet handed to the network.
    qint64 PendingBytes() const;

    QAbstractSocket::SocketError LastError() const { return m_lastError; }
    QString LastErrorString() const { return m_lastErrorString; }

signals:
    void OnLookup(korvex::net::TBBClient* sender);
    void OnConnecting(korvex::net::TBBClient* sender);
    void OnConnect(korvex::net::TBBClient* sender);
    void OnDisconnect(korvex::net::TBBClient* sender);
    void OnRead(korvex::net::TBBClient* sender, const QByteArray& frame);
    void OnError(korvex::net::TBBClient* sender);

private:
    void open();
    void connectTo(const QString& address);
    void close();
    void onConnected();
    void onDisconnected();
    void onReadyRead();
    void onSocketError(QAbstractSocket::SocketError error);
    void fail(QAbstractSocket::SocketError error, const QString& text);
    void checkChangeable() const;
    bool socketOpen() const;

    QTcpSocket* m_socket = nullptr;
    FrameAssembler m_assembler;
    QString m_host;
    QString m_address;
    quint16 m_port = 0;
    bool m_active = false;
    bool m_opening = false; // lookup or connect in progress
    int m_lookupId = -1;
    QAbstractSocket::SocketError m_lastError = QAbstractSocket::UnknownSocketError;
    QString m_lastErrorString;
};

} // namespace korvex::net
