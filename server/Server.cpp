#include "Server.h"

#include "Log.h"
#include "Mailer.h"
#include "Values.h"

#include "net/Clock.h"
#include "net/Envelope.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace korvex::server {

using net::MakeCommand;
using net::ParsedCommand;

namespace {

// Clients batch a few commands per frame (a long list of voicemail deletions at most); far more is a flood.
constexpr int MaxCommandsPerFrame = 512;
// A connection asked to close that still has not drained its output after this long is cut.
constexpr qint64 CloseGraceMs = 10'000;
// Commands whose fields carry a password: their numbers, for the verbose log.
bool isPasswordField(const QByteArray& name, int field) {
    return (field == 2 && (name == "Login" || name == "NewUser")) || (field == 6 && name == "SetInfo");
}

QString describe(const ParsedCommand& cmd) {
    int last = 0;
    for (int i = 1; i <= net::CommandFieldCount; ++i)
        if (!cmd.field(i).isEmpty()) last = i;
    QStringList parts;
    for (int i = 1; i <= last; ++i) {
        QByteArray f = isPasswordField(cmd.name, i) ? QByteArray("***") : cmd.field(i).left(80);
        parts << QString::fromLatin1(f);
    }
    return QString::fromLatin1(cmd.name.left(40)) + '(' + parts.join(QStringLiteral(", ")) + ')';
}

} // namespace

Server::Server(ServerConfig config, QObject* parent)
    : QObject(parent), m_config(std::move(config)), m_passwords(m_config.minimalPasswordHashing),
      m_mailer(std::make_unique<Mailer>(m_config)), m_rooms(std::make_unique<RoomService>(*this, m_storage)) {
    registerRoutes();
    m_idleTimer.setInterval(IdleCheckIntervalMs);
    connect(&m_idleTimer, &QTimer::timeout, this, &Server::CheckIdle);
}

Server::~Server() {
    m_online.clear();
    m_sessions.clear();
}

void Server::registerRoutes() {
    m_routes = {
        {"GetVersion", {&Server::onGetVersion, false}},
        {"p", {&Server::onPing, false}},
        {"NewUser", {&Server::onNewUser, false}},
        {"Login", {&Server::onLogin, false}},
        {"GetInfo", {&Server::onGetInfo, true}},
        {"SetInfo", {&Server::onSetInfo, true}},
        {"InviteAFriend", {&Server::onInviteAFriend, true}},
        {"GetAllOnLine", {&Server::onGetAllOnLine, true}},
        {"GetCList", {&Server::onGetCList, true}},
        {"AddCList", {&Server::onAddCList, true}},
        {"DelCList", {&Server::onDelCList, true}},
        {"GetBInfo", {&Server::onGetBInfo, true}},
        {"GetBList", {&Server::onGetBList, true}},
        {"SetBList", {&Server::onSetBList, true}},
        {"PrivMsg", {&Server::onPrivMsg, true}},
        {"RRPrivMsg", {&Server::onRRPrivMsg, true}},
        {"Typing", {&Server::onTyping, true}},
        {"Find", {&Server::onFind, true}},
        {"CloseUser", {&Server::onCloseUser, true}},
    };
    for (const QByteArray& name : RoomService::CommandNames()) m_routes.insert(name, {&Server::onRoomCommand, true});
}

void Server::OpenStorage(const QString& databasePath) {
    m_storage.Open(databasePath);
    m_rooms->Load();
}

void Server::SeedDemo() {
    m_rooms->SeedDemo();
    if (m_storage.AccountCount() > 0) return;
    struct Demo {
        const char* nick;
        int type;
        const char* fullName;
        const char* sex;
        int age;
    };
    const Demo demo[] = {{"alice", 0, "Alice Archer", "F", 29}, {"bob", 0, "Bob Baker", "M", 34},
                         {"carol", 0, "Carol Cooper", "F", 41}, {"mod", 2, "Morgan Moderator", "", 0},
                         {"admin", 3, "Ada Administrator", "", 0}};
    QHash<QByteArray, qint64> ids;
    for (const Demo& d : demo) {
        Account a;
        a.nick = d.nick;
        a.passwordHash = m_passwords.Hash("secret1");
        a.type = d.type;
        a.sex = d.sex;
        a.age = d.age;
        a.fullName = d.fullName;
        a.email = a.nick + '@' + m_config.mailDomain;
        ids[a.nick] = m_storage.CreateAccount(a);
    }
    const std::pair<const char*, const char*> contacts[] = {
        {"alice", "bob"}, {"alice", "carol"}, {"bob", "alice"}, {"carol", "alice"}, {"mod", "admin"}, {"admin", "mod"}};
    for (const auto& [owner, contact] : contacts) m_storage.AddContact(ids[owner], ids[contact]);
    m_storage.AddBulletin("Welcome to the Korvex demo server.");
    m_storage.AddBulletin("Demo accounts: alice, bob, carol, mod, admin (password secret1).");
    m_storage.AddBulletin("Be kind to each other.");
    LogLine(QStringLiteral("demo data created"));
}

bool Server::Listen(QString* error) {
    m_listener = new QTcpServer(this);
    m_listener->setListenBacklogSize(1024); // a burst of reconnecting clients after a network hiccup
    QHostAddress address;
    if (!address.setAddress(m_config.listenAddress)) {
        if (error) *error = QStringLiteral("invalid listen address %1").arg(m_config.listenAddress);
        return false;
    }
    if (!m_listener->listen(address, quint16(m_config.port))) {
        if (error) *error = QStringLiteral("cannot listen on %1:%2: %3")
                                .arg(m_config.listenAddress)
                                .arg(m_config.port)
                                .arg(m_listener->errorString());
        return false;
    }
    connect(m_listener, &QTcpServer::newConnection, this, &Server::onNewConnection);
    m_idleTimer.start();
    return true;
}

quint16 Server::CommandPort() const { return m_listener ? m_listener->serverPort() : 0; }

void Server::onNewConnection() {
    while (QTcpSocket* socket = m_listener->nextPendingConnection()) {
        const quint64 id = m_nextSessionId; // AttachPeer hands out exactly this id
        auto peer = std::make_unique<TcpPeer>(
            socket, [this, id](const QByteArray& bytes) { Input(id, bytes); }, [this, id] { PeerGone(id); });
        AttachPeer(std::move(peer));
    }
}

quint64 Server::AttachPeer(std::unique_ptr<Peer> peer) {
    auto s = std::make_unique<Session>();
    s->id = m_nextSessionId++;
    s->address = peer->RemoteAddress();
    s->peer = std::move(peer);
    s->lastInputMs = net::Clock::NowMs();
    LogLine(QStringLiteral("#%1 connected from %2").arg(s->id).arg(QString::fromLatin1(s->address)));
    const quint64 id = s->id;
    m_sessions.emplace(id, std::move(s));
    return id;
}

Session* Server::findSession(quint64 id) {
    auto it = m_sessions.find(id);
    return it == m_sessions.end() ? nullptr : it->second.get();
}

Session* Server::onlineSession(const QByteArray& nick) { return m_online.value(NickKey(nick), nullptr); }

void Server::Input(quint64 sessionId, const QByteArray& bytes) {
    Session* s = findSession(sessionId);
    if (!s || s->closing) return;
    s->lastInputMs = net::Clock::NowMs();
    s->probeSent = false;
    const auto status = s->assembler.Feed(
        bytes, [&](const QByteArray& body) { handleFrame(*s, body); }, [&] { return !s->closing; });
    if (s->closing) return;
    if (status == net::FrameAssembler::Status::BadHeader) {
        closeSession(*s, QStringLiteral("invalid frame header"), true);
    } else if (s->assembler.FrameLen() > m_config.maxFrameBytes) {
        closeSession(*s, QStringLiteral("frame of %1 bytes announced, limit %2")
                             .arg(s->assembler.FrameLen())
                             .arg(m_config.maxFrameBytes),
                     true);
    }
}

void Server::PeerGone(quint64 sessionId) {
    if (Session* s = findSession(sessionId)) {
        if (!s->closing) closeSession(*s, QStringLiteral("connection closed by the client"));
        scheduleReap();
    }
}

void Server::handleFrame(Session& s, const QByteArray& body) {
    QString error;
    const QByteArray text = net::DecodeFrameBody(body, &error);
    if (!error.isEmpty()) {
        LogLine(QStringLiteral("#%1 dropped a frame: %2").arg(s.id).arg(error));
        return;
    }
    if (text.isEmpty()) {
        LogLine(QStringLiteral("#%1 dropped a frame without commands (%2 bytes)").arg(s.id).arg(body.size()));
        return;
    }
    net::CommandReader reader(text);
    ParsedCommand cmd;
    int count = 0;
    while (!s.closing && reader.Next(cmd)) {
        if (++count > MaxCommandsPerFrame) {
            LogLine(QStringLiteral("#%1 dropped the rest of a frame holding more than %2 commands")
                        .arg(s.id)
                        .arg(MaxCommandsPerFrame));
            break;
        }
        try {
            dispatch(s, cmd);
        } catch (const std::exception& e) {
            LogLine(QStringLiteral("#%1 %2 failed: %3").arg(s.id).arg(QString::fromLatin1(cmd.name.left(40)), e.what()));
        }
    }
}

void Server::dispatch(Session& s, const ParsedCommand& cmd) {
    if (VerboseLogging())
        LogVerbose(QStringLiteral("#%1 %2 <- %3")
                       .arg(s.id)
                       .arg(QString::fromLatin1(s.account.nick.isEmpty() ? QByteArray("-") : s.account.nick), describe(cmd)));
    auto it = m_routes.constFind(cmd.name);
    if (it == m_routes.constEnd()) {
        LogLine(QStringLiteral("#%1 unknown command %2 ignored").arg(s.id).arg(QString::fromLatin1(cmd.name.left(40))));
        return;
    }
    if (it->needsLogon && !s.loggedOn()) {
        refuse(s, cmd, QStringLiteral("not logged on"));
        return;
    }
    (this->*(it->handler))(s, cmd);
}

void Server::refuse(Session& s, const ParsedCommand& cmd, const QString& why, const QByteArray& techMsg) {
    LogLine(QStringLiteral("#%1 %2 refused %3: %4")
                .arg(s.id)
                .arg(QString::fromLatin1(s.account.nick.isEmpty() ? QByteArray("-") : s.account.nick),
                     QString::fromLatin1(cmd.name.left(40)), why));
    if (!techMsg.isEmpty()) send(s, MakeCommand("TechMsg", {techMsg}));
}

bool Server::isSelf(const Session& s, const QByteArray& claimedNick) const {
    // Clients put their own name in many commands; an empty one is harmless, another user's name is not.
    return claimedNick.isEmpty() || NickKey(claimedNick) == s.nickKey;
}

void Server::send(Session& s, const QByteArray& text) { writeFrame(s, net::EncodeCommand(text)); }

void Server::sendBatch(Session& s, const QList<QByteArray>& texts) {
    // Several commands share one compressed envelope; keep each envelope to a sane size.
    constexpr qsizetype MaxBatchText = 256 * 1024;
    QByteArray batch;
    for (const QByteArray& t : texts) {
        if (!batch.isEmpty() && batch.size() + t.size() > MaxBatchText) {
            send(s, batch);
            batch.clear();
        }
        batch += t;
    }
    if (!batch.isEmpty()) send(s, batch);
}

void Server::fanOut(const QList<Session*>& recipients, const QByteArray& text) {
    if (recipients.isEmpty()) return;
    const QByteArray frame = net::EncodeCommand(text);
    for (Session* r : recipients) writeFrame(*r, frame);
}

void Server::writeFrame(Session& s, const QByteArray& frame) {
    if (s.closing) return;
    if (s.peer->PendingBytes() + frame.size() > m_config.maxOutputQueueBytes) {
        closeSession(s, QStringLiteral("output queue over %1 bytes (client not reading)").arg(m_config.maxOutputQueueBytes),
                     true);
        return;
    }
    s.peer->Write(frame);
}

void Server::closeSession(Session& s, const QString& reason, bool abort, bool announce) {
    if (s.closing) return;
    s.closing = true;
    s.closingSinceMs = net::Clock::NowMs();
    if (s.loggedOn()) m_rooms->SessionGone(s);
    LogLine(QStringLiteral("#%1 %2 disconnected: %3")
                .arg(s.id)
                .arg(QString::fromLatin1(s.account.nick.isEmpty() ? QByteArray("-") : s.account.nick), reason));
    if (s.loggedOn() && m_online.value(s.nickKey) == &s) {
        m_online.remove(s.nickKey);
        if (announce) announceLogoff(s);
    }
    if (abort)
        s.peer->Abort();
    else
        s.peer->Close();
    scheduleReap();
}

void Server::scheduleReap() {
    if (m_reapScheduled) return;
    m_reapScheduled = true;
    QMetaObject::invokeMethod(this, &Server::ReapClosed, Qt::QueuedConnection);
}

void Server::ReapClosed() {
    m_reapScheduled = false;
    for (auto it = m_sessions.begin(); it != m_sessions.end();) {
        Session& s = *it->second;
        if (s.closing && s.peer->Finished())
            it = m_sessions.erase(it);
        else
            ++it;
    }
}

void Server::CheckIdle() {
    const qint64 now = net::Clock::NowMs();
    const qint64 timeout = qint64(m_config.idleTimeoutSeconds) * 1000;
    const QByteArray probe = net::PrefixLength(MakeCommand("p"));
    for (auto& [id, session] : m_sessions) {
        Session& s = *session;
        if (s.closing) {
            if (!s.peer->Finished() && now - s.closingSinceMs > CloseGraceMs) s.peer->Abort();
            continue;
        }
        const qint64 idle = now - s.lastInputMs;
        if (idle >= timeout) {
            closeSession(s, QStringLiteral("idle for %1 s").arg(idle / 1000), true);
        } else if (idle >= timeout / 2 && !s.probeSent) {
            // A bare "p" of three bytes travels without an envelope; the client answers it with its own "p".
            s.probeSent = true;
            writeFrame(s, probe);
        }
    }
    const qint64 window = qint64(m_config.failedLogonWindowSeconds) * 1000;
    m_failedLogons.removeIf([&](const auto& entry) { return now - entry.value().windowStartMs > window; });
    scheduleReap();
}

bool Server::SendTechMsg(const QByteArray& nick, const QByteArray& text) {
    Session* s = onlineSession(nick);
    if (!s) return false;
    send(*s, MakeCommand("TechMsg", {SafeField(text)}));
    return true;
}

bool Server::CloseUser(const QByteArray& nick, const QByteArray& text) {
    Session* s = onlineSession(nick);
    if (!s) return false;
    send(*s, MakeCommand("CloseUser", {SafeField(text)}));
    closeSession(*s, QStringLiteral("closed by the server"));
    return true;
}

} // namespace korvex::server
