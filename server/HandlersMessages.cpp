// Private messages, typing notices, user search, administrator tools.
#include "Log.h"
#include "Server.h"
#include "Values.h"

#include "net/Clock.h"

namespace korvex::server {

using net::MakeCommand;
using net::ParsedCommand;

namespace {
// Read receipts older than this are no longer relayed; a session remembers at most this many.
constexpr qint64 ReceiptLifetimeMs = 10 * 60 * 1000;
constexpr int MaxPendingReceipts = 256;
} // namespace

QString Server::privateRefusal(const Session& sender, const Session& recipient) const {
    if (recipient.blockedKeys.contains(sender.nickKey)) return QStringLiteral("blocked");
    if (recipient.account.contactsOnly && !recipient.contactIds.contains(sender.account.id))
        return QStringLiteral("contacts only");
    return {};
}

void Server::onPrivMsg(Session& s, const ParsedCommand& cmd) {
    if (!isSelf(s, cmd.field(2))) return refuse(s, cmd, QStringLiteral("names another sender"));
    const QByteArray& html = cmd.field(3);
    const QByteArray& component = cmd.field(4);
    if (html.size() > m_config.maxMessageBytes)
        return refuse(s, cmd, QStringLiteral("message of %1 bytes").arg(html.size()), "Your message is too long.");
    Session* peer = onlineSession(cmd.field(1));
    if (!peer) {
        const bool exists = m_storage.FindAccount(cmd.field(1)).has_value();
        return refuse(s, cmd, exists ? QStringLiteral("recipient offline") : QStringLiteral("unknown recipient"),
                      SafeField(cmd.field(1).left(32)) + (exists ? " is not online; the message was not delivered."
                                                                 : " does not exist; the message was not delivered."));
    }
    if (const QString why = privateRefusal(s, *peer); !why.isEmpty())
        return refuse(s, cmd, why, peer->account.nick + " does not accept your messages.");

    const qint64 now = net::Clock::NowMs();
    auto& receipts = peer->receipts;
    receipts.removeIf([&](const PendingReceipt& r) { return now - r.deliveredMs > ReceiptLifetimeMs; });
    if (receipts.size() >= MaxPendingReceipts) receipts.removeFirst();
    receipts.append({s.account.id, component, now});

    send(*peer, MakeCommand("PrivMsg", {s.account.nick, html, component}));
    send(s, MakeCommand("RPrivMsg", {peer->account.nick, s.account.nick, component}));
}

void Server::onRRPrivMsg(Session& s, const ParsedCommand& cmd) {
    // Relayed only for a message this user really received from that sender, once per message.
    Session* sender = onlineSession(cmd.field(1));
    if (!sender) return;
    const qint64 now = net::Clock::NowMs();
    auto it = std::find_if(s.receipts.begin(), s.receipts.end(), [&](const PendingReceipt& r) {
        return r.senderId == sender->account.id && r.component == cmd.field(2) && now - r.deliveredMs <= ReceiptLifetimeMs;
    });
    if (it == s.receipts.end()) return refuse(s, cmd, QStringLiteral("no such message pending"));
    s.receipts.erase(it);
    send(*sender, MakeCommand("RRPrivMsg", {s.account.nick, cmd.field(2)}));
}

void Server::onTyping(Session& s, const ParsedCommand& cmd) {
    if (!isSelf(s, cmd.field(1))) return refuse(s, cmd, QStringLiteral("names another sender"));
    // A room name in field 2 is the room form of the notice, handled with the rooms.
    if (!cmd.field(2).isEmpty()) return m_rooms->OnTyping(s, cmd);
    Session* peer = onlineSession(cmd.field(3));
    if (!peer || peer == &s) return;
    if (const QString why = privateRefusal(s, *peer); !why.isEmpty()) return refuse(s, cmd, why);
    send(*peer, MakeCommand("Typing", {s.account.nick, {}, peer->account.nick, "1"}));
}

void Server::onFind(Session& s, const ParsedCommand& cmd) {
    SearchQuery q;
    q.nickPart = cmd.field(4).trimmed().left(32);
    const QByteArray sex = cmd.field(5).trimmed();
    if (sex == "M" || sex == "F") q.sex = sex;
    bool ok = false;
    if (int from = cmd.field(6).trimmed().toInt(&ok); ok && from >= 0) q.ageFrom = from;
    if (int to = cmd.field(7).trimmed().toInt(&ok); ok && to >= 0) q.ageTo = to;
    q.country = CleanCountryCode(cmd.field(8));
    q.limit = m_config.maxSearchResults;
    QList<QByteArray> texts;
    for (const Account& a : m_storage.Search(q)) {
        const bool online = onlineSession(a.nick) != nullptr;
        texts << MakeCommand("RFind", {"OK", a.nick, a.country, a.sex, QByteArray::number(a.age),
                                       online ? "OnLine" : "OffLine", {}});
    }
    if (texts.isEmpty()) texts << MakeCommand("RFind", {"NO"});
    sendBatch(s, texts);
}

void Server::onCloseUser(Session& s, const ParsedCommand& cmd) {
    if (s.account.type != 3) return refuse(s, cmd, QStringLiteral("not an administrator"));
    const QByteArray text = cmd.field(2).isEmpty() ? QByteArray("Your session was closed by an administrator.")
                                                   : cmd.field(2);
    if (!CloseUser(cmd.field(1), text))
        return refuse(s, cmd, QStringLiteral("user not online"), SafeField(cmd.field(1).left(32)) + " is not online.");
    LogLine(QStringLiteral("#%1 %2 closed the session of %3")
                .arg(s.id)
                .arg(QString::fromLatin1(s.account.nick), QString::fromLatin1(cmd.field(1).left(32))));
}

} // namespace korvex::server
