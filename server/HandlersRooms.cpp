#include "Log.h"
#include "Rooms.h"
#include "Server.h"
#include "Session.h"
#include "Values.h"
#include "net/Clock.h"

namespace korvex::server {

using net::MakeCommand;
using net::ParsedCommand;

namespace {

QByteArray flag(bool b) {
    return b ? "1" : "0";
}

bool validFlags(const QByteArray& f) {
    if (f.size() != 4) return false;
    for (char c : f)
        if (c != '0' && c != '1') return false;
    return true;
}

// Names users type for rooms: printable, without the bytes the command syntax reserves.
bool validRoomName(const QByteArray& name) {
    if (name.trimmed().isEmpty() || name.size() > 32 || name != name.trimmed()) return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == char(0x9A) || c == char(0x9C)) return false;
    return true;
}

} // namespace

void RoomService::Handle(Session& s, const ParsedCommand& cmd) {
    using H = void (RoomService::*)(Session&, const ParsedCommand&);
    static const QHash<QByteArray, H> handlers = {
        {"GetGroups", &RoomService::onGetGroups}, {"GetRooms", &RoomService::onGetRooms},
        {"NewRoom", &RoomService::onNewRoom},     {"SetRoomBanner", &RoomService::onSetRoomBanner},
        {"JoinRoom", &RoomService::onJoinRoom},   {"GetChatUsers", &RoomService::onGetChatUsers},
        {"ChatMsg", &RoomService::onChatMsg},     {"ExitRoom", &RoomService::onExitRoom},
        {"Invite", &RoomService::onInvite},       {"KikUser", &RoomService::onKikUser},
        {"SetRDot", &RoomService::onSetRDot},     {"ClearChat", &RoomService::onClearChat},
        {"DelRoom", &RoomService::onDelRoom},     {"SysMsg", &RoomService::onSysMsg},
    };
    if (const auto it = handlers.constFind(cmd.name); it != handlers.constEnd()) (this->*it.value())(s, cmd);
}

bool RoomService::isModerator(const Session& s, const Room& r) const {
    return s.account.type == 2 || s.account.type == 3 || (r.ownerId != 0 && r.ownerId == s.account.id);
}

bool RoomService::isProtected(const Session& target) {
    return target.account.type == 2 || target.account.type == 3;
}

QByteArray RoomService::chatOnLine(const Room& r, const RoomMember& m, bool noAnnounce) const {
    const Account& a = m.session->account;
    return MakeCommand("ChatOnLine",
                       {a.nick, r.name, flag(m.owner), QByteArray::number(a.type), a.flags, flag(m.hand),
                        flag(m.mic), QByteArray::number(a.colour), flag(m.invisible), flag(noAnnounce)});
}

QList<Session*> RoomService::members(const Room& r, const Session* except) const {
    QList<Session*> list;
    list.reserve(qsizetype(r.members.size()));
    for (const RoomMember& m : r.members)
        if (m.session != except && !m.session->closing) list.append(m.session);
    return list;
}

QList<Session*> RoomService::audienceOf(const Room& r, const RoomMember& m, const Session* except) const {
    if (!m.invisible) return members(r, except);
    QList<Session*> list;
    for (const RoomMember& other : r.members)
        if (other.session != except && !other.session->closing &&
            (other.session == m.session || isProtected(*other.session)))
            list.append(other.session);
    return list;
}

Session* RoomService::memberNamed(Room& r, const QByteArray& nick) {
    for (RoomMember& m : r.members)
        if (m.session->nickKey == NickKey(nick)) return m.session;
    return nullptr;
}

void RoomService::removeMember(Room& r, Session& s, bool tellOthers) {
    auto it = std::find_if(r.members.begin(), r.members.end(),
                           [&](const RoomMember& m) { return m.session == &s; });
    if (it == r.members.end()) return;
    const RoomMember gone = *it;
    r.members.erase(it);
    if (tellOthers)
        m_server.fanOut(audienceOf(r, gone, &s), MakeCommand("ChatOffLine", {s.account.nick, r.name}));
    removeRoomIfUnused(r);
}

void RoomService::removeRoomIfUnused(Room& r) {
    if (r.members.empty() && !r.permanent) deleteRoom(r);
}

void RoomService::deleteRoom(Room& r) {
    eraseRoom(r);
    m_rooms.erase(std::find_if(m_rooms.begin(), m_rooms.end(), [&](const auto& p) { return p.get() == &r; }));
}

void RoomService::SessionGone(Session& s) {
    // Collected first: leaving may delete rooms.
    QList<QByteArray> names;
    for (const auto& r : m_rooms)
        if (r->member(&s)) names.append(r->name);
    for (const QByteArray& name : names)
        if (Room* r = findRoom(name)) removeMember(*r, s, true);
}

// ---- directory

void RoomService::onGetGroups(Session& s, const ParsedCommand&) {
    QList<QByteArray> texts;
    for (const RoomGroup& g : m_groups) {
        int rooms = 0;
        for (const auto& r : m_rooms)
            rooms += r->groupId == g.id ? 1 : 0;
        texts << MakeCommand("RGetGroups", {g.name, QByteArray::number(rooms), QByteArray::number(g.colour),
                                            flag(g.noUserRooms)});
    }
    if (!texts.isEmpty()) m_server.sendBatch(s, texts);
}

void RoomService::onGetRooms(Session& s, const ParsedCommand& cmd) {
    QList<QByteArray> texts;
    if (const RoomGroup* g = findGroup(cmd.field(1)))
        for (const auto& r : m_rooms)
            if (r->groupId == g->id)
                texts << MakeCommand("RGetRooms",
                                     {r->name, QByteArray::number(r->visibleCount()),
                                      flag(!r->password.isEmpty()), r->status, QByteArray::number(r->colour),
                                      flag(r->paintOff), r->codec});
    // Always an answer, so the directory switches to the (empty) room list and offers "Create".
    if (texts.isEmpty()) texts << MakeCommand("RGetRooms", {"NO"});
    m_server.sendBatch(s, texts);
}

void RoomService::onNewRoom(Session& s, const ParsedCommand& cmd) {
    if (!m_server.isSelf(s, cmd.field(4)))
        return m_server.refuse(s, cmd, QStringLiteral("names another owner"));
    RoomGroup* g = findGroup(cmd.field(1));
    const QByteArray name = cmd.field(2);
    const bool staff = s.account.type == 2 || s.account.type == 3;
    if (!g) return m_server.refuse(s, cmd, QStringLiteral("no such group"), "The group does not exist.");
    if (g->noUserRooms && !staff)
        return m_server.refuse(s, cmd, QStringLiteral("no user rooms in group"),
                               "User rooms may not be created within this group.");
    // Reason "1": the name is taken or unusable; reason "2": the user already owns a room (staff may own
    // more).
    if (!validRoomName(name) || findRoom(name))
        return m_server.send(s, MakeCommand("RNewRoom", {"NO", "1", name}));
    if (!staff)
        for (const auto& r : m_rooms)
            if (r->ownerId == s.account.id)
                return m_server.send(s, MakeCommand("RNewRoom", {"NO", "2", r->name}));
    auto room = std::make_unique<Room>();
    room->groupId = g->id;
    room->name = name;
    room->password = cmd.field(3).left(32);
    room->ownerId = s.account.id;
    room->permanent = cmd.field(5) == "1" && s.account.type == 3;
    room->adminCode = cmd.field(6).left(32);
    storeRoom(*room);
    m_rooms.push_back(std::move(room));
    m_server.send(s, MakeCommand("RNewRoom", {"OK", name}));
}

void RoomService::onSetRoomBanner(Session& s, const ParsedCommand& cmd) {
    Room* r = findRoom(cmd.field(1));
    if (!r) return;
    if (!isModerator(s, *r)) return m_server.refuse(s, cmd, QStringLiteral("not the room's owner"));
    r->bannerUrl = net::UnescapeField(cmd.field(2)).left(250);
    r->bannerClickUrl = net::UnescapeField(cmd.field(3)).left(250);
    storeBanner(*r);
}

// ---- membership

void RoomService::onJoinRoom(Session& s, const ParsedCommand& cmd) {
    if (!m_server.isSelf(s, cmd.field(1)))
        return m_server.refuse(s, cmd, QStringLiteral("names another user"));
    Room* r = findRoom(cmd.field(3));
    if (!r) return m_server.refuse(s, cmd, QStringLiteral("no such room"), "The room does not exist.");
    const bool staff = s.account.type == 2 || s.account.type == 3;
    const bool byCode = !r->adminCode.isEmpty() && cmd.field(6) == r->adminCode;
    if (!r->password.isEmpty() && cmd.field(4) != r->password && !byCode)
        return m_server.send(s, MakeCommand("RJoinRNO"));
    const bool owner = byCode || (r->ownerId != 0 && r->ownerId == s.account.id);

    RoomMember* m = r->member(&s);
    if (!m) {
        // After a reconnection the old connection may still be listed: the new one takes its place silently.
        if (Session* old = memberNamed(*r, s.account.nick)) {
            RoomMember* stale = r->member(old);
            stale->session = &s;
            m = stale;
        }
    }
    const bool announce = !m;
    if (!m) {
        r->members.push_back(RoomMember{&s});
        m = &r->members.back();
    }
    m->owner = owner;
    m->invisible = cmd.field(5) == "1" && staff;
    m_server.send(
        s, MakeCommand(
               "RJoinRoom",
               {r->name, flag(owner), groupOf(*r) ? groupOf(*r)->name : QByteArray(), {}, {}, {}, r->codec}));
    if (announce) m_server.fanOut(audienceOf(*r, *m, &s), chatOnLine(*r, *m, false));
}

void RoomService::onGetChatUsers(Session& s, const ParsedCommand& cmd) {
    Room* r = findRoom(cmd.field(1));
    if (!r || !r->member(&s)) return m_server.refuse(s, cmd, QStringLiteral("not in the room"));
    const bool staff = isProtected(s);
    QList<QByteArray> texts;
    texts.reserve(qsizetype(r->members.size()));
    for (const RoomMember& m : r->members)
        if (!m.invisible || staff || m.session == &s) texts << chatOnLine(*r, m, true);
    m_server.sendBatch(s, texts);
}

void RoomService::onChatMsg(Session& s, const ParsedCommand& cmd) {
    if (!m_server.isSelf(s, cmd.field(2)))
        return m_server.refuse(s, cmd, QStringLiteral("names another sender"));
    Room* r = findRoom(cmd.field(1));
    if (!r || !r->member(&s)) return m_server.refuse(s, cmd, QStringLiteral("not in the room"));
    if (s.account.flags.startsWith('1')) return m_server.refuse(s, cmd, QStringLiteral("no text"));
    m_server.fanOut(members(*r),
                    MakeCommand("ChatMsg", {r->name, s.account.nick, cmd.field(3), cmd.field(4)}));
}

void RoomService::OnTyping(Session& s, const ParsedCommand& cmd) {
    Room* r = findRoom(cmd.field(2));
    if (!r) return;
    RoomMember* m = r->member(&s);
    if (!m || m->invisible) return;
    m_server.fanOut(members(*r, &s), MakeCommand("Typing", {s.account.nick, r->name, {}, cmd.field(4)}));
}

void RoomService::onExitRoom(Session& s, const ParsedCommand& cmd) {
    if (!m_server.isSelf(s, cmd.field(1)))
        return m_server.refuse(s, cmd, QStringLiteral("names another user"));
    if (Room* r = findRoom(cmd.field(3))) removeMember(*r, s, true);
}

void RoomService::onInvite(Session& s, const ParsedCommand& cmd) {
    if (!m_server.isSelf(s, cmd.field(2)))
        return m_server.refuse(s, cmd, QStringLiteral("names another inviter"));
    Room* r = findRoom(cmd.field(4));
    if (!r || !r->member(&s)) return m_server.refuse(s, cmd, QStringLiteral("not in the room"));
    Session* invitee = m_server.onlineSession(cmd.field(1));
    if (!invitee || invitee == &s) return;
    if (const QString why = m_server.privateRefusal(s, *invitee); !why.isEmpty())
        return m_server.refuse(s, cmd, why);
    const RoomGroup* g = groupOf(*r);
    m_server.send(*invitee,
                  MakeCommand("Invite", {invitee->account.nick, s.account.nick, g ? g->name : QByteArray(),
                                         r->name, flag(!r->password.isEmpty())}));
}

// ---- moderation

void RoomService::onKikUser(Session& s, const ParsedCommand& cmd) {
    Room* r = findRoom(cmd.field(2));
    if (!r || !isModerator(s, *r)) return m_server.refuse(s, cmd, QStringLiteral("not a moderator here"));
    Session* target = memberNamed(*r, cmd.field(1));
    if (!target || target == &s || isProtected(*target))
        return m_server.refuse(s, cmd, QStringLiteral("target may not be kicked"));
    const QByteArray room = r->name;
    m_server.send(*target, MakeCommand("CloseChat", {room, s.account.nick, room}));
    removeMember(*r, *target, true); // may delete r
}

void RoomService::onSetRDot(Session& s, const ParsedCommand& cmd) {
    Room* r = findRoom(cmd.field(3));
    const QByteArray flags = cmd.field(2);
    if (!r || !isModerator(s, *r)) return m_server.refuse(s, cmd, QStringLiteral("not a moderator here"));
    if (!validFlags(flags)) return m_server.refuse(s, cmd, QStringLiteral("bad flags"));
    Session* target = memberNamed(*r, cmd.field(1));
    if (!target || isProtected(*target))
        return m_server.refuse(s, cmd, QStringLiteral("target may not be restricted"));
    target->account.flags = flags;
    // Restricted text, video or voice lowers a raised hand.
    if (flags[0] == '1' || flags[1] == '1' || flags[2] == '1')
        for (const auto& room : m_rooms)
            if (RoomMember* m = room->member(target)) m->hand = false;
    // Everyone who lists the user learns it, and the user himself.
    QList<Session*> recipients{target};
    for (const auto& room : m_rooms)
        if (RoomMember* m = room->member(target))
            for (Session* other : audienceOf(*room, *m, target))
                if (!recipients.contains(other)) recipients.append(other);
    m_server.fanOut(recipients, MakeCommand("SetRDot", {target->account.nick, flags}));
}

void RoomService::onClearChat(Session& s, const ParsedCommand& cmd) {
    Room* r = findRoom(cmd.field(2));
    if (!r || !isModerator(s, *r)) return m_server.refuse(s, cmd, QStringLiteral("not a moderator here"));
    m_server.fanOut(members(*r), MakeCommand("ClearChat", {r->name}));
}

void RoomService::onDelRoom(Session& s, const ParsedCommand& cmd) {
    Room* r = findRoom(cmd.field(2));
    if (!r || !isModerator(s, *r)) return m_server.refuse(s, cmd, QStringLiteral("not a moderator here"));
    m_server.fanOut(members(*r), MakeCommand("CloseRoom", {r->name, s.account.nick}));
    LogLine(QStringLiteral("room %1 closed by %2")
                .arg(QString::fromLatin1(r->name), QString::fromLatin1(s.account.nick)));
    deleteRoom(*r);
}

void RoomService::onSysMsg(Session& s, const ParsedCommand& cmd) {
    // Staff announcements into a room's status line.
    Room* r = findRoom(cmd.field(2));
    if (!r || !isProtected(s)) return m_server.refuse(s, cmd, QStringLiteral("not staff"));
    m_server.fanOut(members(*r), MakeCommand("SysMsg", {cmd.field(1)}));
}

} // namespace korvex::server

namespace korvex::server {

void Server::onRoomCommand(Session& s, const ParsedCommand& cmd) {
    m_rooms->Handle(s, cmd);
}

} // namespace korvex::server
