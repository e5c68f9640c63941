#pragma once

#include "Config.h"
#include "Passwords.h"
#include "Rooms.h"
#include "Session.h"
#include "Storage.h"

#include "net/Command.h"

#include <QHash>
#include <QObject>
#include <QTimer>

#include <map>
#include <memory>

class QTcpServer;

namespace korvex::server {

class Mailer;

// The command server: accepts connections, runs the per-connection input path (frames -> envelopes ->
// commands), keeps who is online and answers the commands. Everything runs on the thread that owns it.
class Server : public QObject {
    Q_OBJECT
public:
    explicit Server(ServerConfig config, QObject* parent = nullptr);
    ~Server() override;

    // databasePath ":memory:" keeps everything in memory (fuzzing, some tests).
    void OpenStorage(const QString& databasePath);
    Storage& Store() { return m_storage; }
    RoomService& Rooms() { return *m_rooms; }
    const ServerConfig& Config() const { return m_config; }

    // Creates the demo accounts, contacts and bulletin when the database has no account yet.
    void SeedDemo();

    bool Listen(QString* error);
    quint16 CommandPort() const;

    // The input path without sockets: attach a peer, feed it bytes, tell when it is gone.
    quint64 AttachPeer(std::unique_ptr<Peer> peer);
    void Input(quint64 sessionId, const QByteArray& bytes);
    void PeerGone(quint64 sessionId);

    // Idle probing and timeouts; a timer calls it, tests call it after moving the clock.
    void CheckIdle();
    // Destroys sessions whose connection has ended.
    void ReapClosed();

    int OnlineCount() const { return int(m_online.size()); }
    int SessionCount() const { return int(m_sessions.size()); }

    // Server-side tools: an information box for one user, or a message that ends his program.
    bool SendTechMsg(const QByteArray& nick, const QByteArray& text);
    bool CloseUser(const QByteArray& nick, const QByteArray& text);

    // How long the idle check waits between rounds (the decisions themselves read the injectable clock).
    static constexpr int IdleCheckIntervalMs = 5000;

private:
    friend class RoomService;
    using Handler = void (Server::*)(Session&, const net::ParsedCommand&);
    struct Route {
        Handler handler;
        bool needsLogon;
    };

    void registerRoutes();
    void onNewConnection();
    void handleFrame(Session& s, const QByteArray& body);
    void dispatch(Session& s, const net::ParsedCommand& cmd);
    void closeSession(Session& s, const QString& reason, bool abort = false, bool announce = true);
    void scheduleReap();
    Session* findSession(quint64 id);
    Session* onlineSession(const QByteArray& nick);

    // Output. send: one command; sendBatch: several commands in one envelope; fanOut: one command to many,
    // enciphered once and the same frame written to every recipient.
    void send(Session& s, const QByteArray& text);
    void sendBatch(Session& s, const QList<QByteArray>& texts);
    void fanOut(const QList<Session*>& recipients, const QByteArray& text);
    void writeFrame(Session& s, const QByteArray& frame);
    void refuse(Session& s, const net::ParsedCommand& cmd, const QString& why, const QByteArray& techMsg = {});
    bool isSelf(const Session& s, const QByteArray& claimedNick) const;

    // Presence.
    QList<QByteArray> presenceFields(const Account& a) const;
    QByteArray onLineText(const Account& a) const;
    QByteArray clOnLineText(const Account& a, bool alert) const;
    // Online users told of s's presence: those who list him as a contact, and staff who do not.
    void presenceWatchers(const Session& s, QList<Session*>& contacts, QList<Session*>& staff) const;
    void announceLogon(Session& s);
    void announceLogoff(Session& s);

    // Handlers, one per command name, grouped by area in the Handlers*.cpp files.
    void onGetVersion(Session& s, const net::ParsedCommand& cmd);
    void onPing(Session& s, const net::ParsedCommand& cmd);
    void onNewUser(Session& s, const net::ParsedCommand& cmd);
    void onLogin(Session& s, const net::ParsedCommand& cmd);
    void onGetInfo(Session& s, const net::ParsedCommand& cmd);
    void onSetInfo(Session& s, const net::ParsedCommand& cmd);
    void onInviteAFriend(Session& s, const net::ParsedCommand& cmd);
    void onGetAllOnLine(Session& s, const net::ParsedCommand& cmd);
    void onGetCList(Session& s, const net::ParsedCommand& cmd);
    void onAddCList(Session& s, const net::ParsedCommand& cmd);
    void onDelCList(Session& s, const net::ParsedCommand& cmd);
    void onGetBInfo(Session& s, const net::ParsedCommand& cmd);
    void onGetBList(Session& s, const net::ParsedCommand& cmd);
    void onSetBList(Session& s, const net::ParsedCommand& cmd);
    void onPrivMsg(Session& s, const net::ParsedCommand& cmd);
    void onRRPrivMsg(Session& s, const net::ParsedCommand& cmd);
    void onTyping(Session& s, const net::ParsedCommand& cmd);
    void onFind(Session& s, const net::ParsedCommand& cmd);
    void onCloseUser(Session& s, const net::ParsedCommand& cmd);
    // Every room command goes to the room service (HandlersRooms.cpp).
    void onRoomCommand(Session& s, const net::ParsedCommand& cmd);

    // Whether sender may reach recipient privately (block list and "only contacts may write").
    QString privateRefusal(const Session& sender, const Session& recipient) const;

    ServerConfig m_config;
    Storage m_storage;
    Passwords m_passwords;
    std::unique_ptr<Mailer> m_mailer;
    std::unique_ptr<RoomService> m_rooms;
    QTcpServer* m_listener = nullptr;
    QTimer m_idleTimer;
    QHash<QByteArray, Route> m_routes;
    std::map<quint64, std::unique_ptr<Session>> m_sessions;
    QHash<QByteArray, Session*> m_online; // by lower-case nickname
    struct FailedLogons {
        int count = 0;
        qint64 windowStartMs = 0;
    };
    QHash<QByteArray, FailedLogons> m_failedLogons; // by remote address
    quint64 m_nextSessionId = 1;
    bool m_reapScheduled = false;
};

} // namespace korvex::server
