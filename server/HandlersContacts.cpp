// Presence, contact lists, bulletin and block lists.
#include "Log.h"
#include "Server.h"
#include "Values.h"

namespace korvex::server {

using net::MakeCommand;
using net::ParsedCommand;

QList<QByteArray> Server::presenceFields(const Account& a) const {
    return {a.nick, a.country, a.sex, QByteArray::number(a.age), {}, {}, {}, {}, QByteArray::number(a.colour)};
}

QByteArray Server::onLineText(const Account& a) const {
    const auto f = presenceFields(a);
    return MakeCommand("OnLine", {f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]});
}

QByteArray Server::clOnLineText(const Account& a, bool alert) const {
    const auto f = presenceFields(a);
    return MakeCommand("CLOnLine", {f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], alert ? "1" : "0"});
}

void Server::presenceWatchers(const Session& s, QList<Session*>& contacts, QList<Session*>& staff) const {
    for (Session* other : std::as_const(m_online)) {
        if (other == &s) continue;
        if (other->contactIds.contains(s.account.id))
            contacts << other;
        else if (other->account.type > 1)
            staff << other;
    }
}

void Server::announceLogon(Session& s) {
    // Users who list him as a contact get "CLOnLine" with the alert; moderators and administrators who do not
    // list him get "OnLine". Never both: "OnLine" would clear the contact mark on their side.
    QList<Session*> contacts, staff;
    presenceWatchers(s, contacts, staff);
    fanOut(contacts, clOnLineText(s.account, true));
    fanOut(staff, onLineText(s.account));
}

void Server::announceLogoff(Session& s) {
    QList<Session*> contacts, staff;
    presenceWatchers(s, contacts, staff);
    fanOut(contacts, MakeCommand("CLOffLine", {s.account.nick}));
    fanOut(staff, MakeCommand("OffLine", {s.account.nick}));
}

void Server::onGetAllOnLine(Session& s, const ParsedCommand& cmd) {
    if (s.account.type <= 1) return refuse(s, cmd, QStringLiteral("user type %1").arg(s.account.type));
    QList<QByteArray> texts;
    for (Session* other : std::as_const(m_online))
        if (other != &s && !s.contactIds.contains(other->account.id)) texts << onLineText(other->account);
    sendBatch(s, texts);
}

void Server::onGetCList(Session& s, const ParsedCommand&) {
    QList<QByteArray> texts;
    s.contactIds.clear();
    for (const Account& c : m_storage.ContactsOf(s.account.id)) {
        s.contactIds.insert(c.id);
        if (Session* online = onlineSession(c.nick))
            texts << clOnLineText(online->account, false);
        else
            texts << MakeCommand("CLOffLine", {c.nick});
    }
    sendBatch(s, texts);
}

void Server::onAddCList(Session& s, const ParsedCommand& cmd) {
    if (!isSelf(s, cmd.field(1))) return refuse(s, cmd, QStringLiteral("names another user as the owner"));
    std::optional<Account> target = m_storage.FindAccount(cmd.field(2));
    if (!target)
        return refuse(s, cmd, QStringLiteral("unknown user"), "User " + SafeField(cmd.field(2).left(32)) + " does not exist.");
    if (target->id == s.account.id || s.contactIds.contains(target->id)) return;
    if (s.contactIds.size() >= m_config.maxContacts)
        return refuse(s, cmd, QStringLiteral("contact list full"), "Your contact list is full.");
    m_storage.AddContact(s.account.id, target->id);
    s.contactIds.insert(target->id);
    if (Session* online = onlineSession(target->nick))
        send(s, clOnLineText(online->account, false));
    else
        send(s, MakeCommand("CLOffLine", {target->nick}));
}

void Server::onDelCList(Session& s, const ParsedCommand& cmd) {
    if (!isSelf(s, cmd.field(1))) return refuse(s, cmd, QStringLiteral("names another user as the owner"));
    std::optional<Account> target = m_storage.FindAccount(cmd.field(2));
    if (!target) {
        // A stale entry on the client's side: let it go there too.
        if (IsValidNickname(cmd.field(2))) send(s, MakeCommand("RDelCList", {cmd.field(2)}));
        return;
    }
    m_storage.RemoveContact(s.account.id, target->id);
    s.contactIds.remove(target->id);
    send(s, MakeCommand("RDelCList", {target->nick}));
}

void Server::onGetBInfo(Session& s, const ParsedCommand&) {
    QList<QByteArray> texts;
    for (const QByteArray& line : m_storage.Bulletin()) texts << MakeCommand("RGetBInfo", {SafeField(line.left(255))});
    sendBatch(s, texts);
}

void Server::onGetBList(Session& s, const ParsedCommand&) {
    QByteArray text;
    for (const QByteArray& name : m_storage.BlockList(s.account.id)) text += name + "\r\n";
    send(s, MakeCommand("RGetBList", {text}));
}

void Server::onSetBList(Session& s, const ParsedCommand& cmd) {
    // Names separated by CR LF (a bare LF is taken too); empty lines are skipped rather than ending the list,
    // duplicates kept once. Registered names are stored in their canonical spelling.
    QList<QByteArray> names;
    QSet<QByteArray> keys;
    QByteArray text = cmd.field(1);
    text.replace('\r', "");
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray name = raw.trimmed();
        if (name.isEmpty() || name.size() > 64 || keys.contains(NickKey(name))) continue;
        if (names.size() >= m_config.maxBlockListEntries) {
            refuse(s, cmd, QStringLiteral("block list longer than %1").arg(m_config.maxBlockListEntries),
                   "Your block list is full; the last names were not stored.");
            break;
        }
        keys.insert(NickKey(name));
        names << name;
    }
    for (QByteArray& name : names)
        if (auto a = m_storage.FindAccount(name)) name = a->nick;
    m_storage.SetBlockList(s.account.id, names);
    s.blockedKeys = keys;
}

} // namespace korvex::server
