#pragma once

#include "net/Command.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <memory>
#include <vector>

namespace korvex::server {

class Server;
class Storage;
struct Session;

// One user in a room, with the floor and cam state the voice and video features drive.
struct RoomMember {
    Session* session = nullptr;
    bool owner = false;
    bool invisible = false;
    bool hand = false;
    qint64 handSinceMs = 0; // when the hand went up: the floor is offered in this order
    bool mic = false;
    bool cam = false;
};

struct RoomGroup {
    qint64 id = 0;
    QByteArray name;
    qint64 colour = 0;
    bool noUserRooms = false;
};

struct Room {
    qint64 id = 0;
    qint64 groupId = 0;
    QByteArray name;
    QByteArray password;
    QByteArray adminCode;
    qint64 ownerId = 0;
    bool permanent = false;
    bool global = false;
    qint64 colour = 0;
    QByteArray codec = "GSM1";
    int voiceType = 1; // 1 free, 2 admin controlled, 3 auto
    bool paintOff = false;
    QByteArray status = "0";
    QByteArray bannerUrl, bannerClickUrl;
    std::vector<RoomMember> members; // in order of entry

    RoomMember* member(const Session* s);
    int visibleCount() const;
};

// Groups and rooms: stored in the database, with who is inside each room kept in memory. All commands about
// rooms come here; every right is checked here whatever the client showed.
class RoomService {
public:
    RoomService(Server& server, Storage& storage);
    ~RoomService();

    // Reads groups and rooms from the database (after it is opened).
    void Load();
    // The demo set: a few coloured groups, open and locked rooms and the help room, when there are no groups.
    void SeedDemo();

    void Handle(Session& s, const net::ParsedCommand& cmd);
    // A room typing notice ("Typing" with a room in field 2).
    void OnTyping(Session& s, const net::ParsedCommand& cmd);
    // The session ended: it leaves every room it was in.
    void SessionGone(Session& s);

    static QList<QByteArray> CommandNames();

    // For tests and the floor control.
    const Room* FindRoom(const QByteArray& name) const;
    int RoomCount() const { return int(m_rooms.size()); }

private:
    Room* findRoom(const QByteArray& name);
    RoomGroup* findGroup(const QByteArray& name);
    RoomGroup* groupOf(const Room& r);
    bool isModerator(const Session& s, const Room& r) const;
    static bool isProtected(const Session& target);
    QByteArray chatOnLine(const Room& r, const RoomMember& m, bool noAnnounce) const;
    QList<Session*> members(const Room& r, const Session* except = nullptr) const;
    // Who may learn that m is in the room: everyone, or only staff and m himself when m is invisible.
    QList<Session*> audienceOf(const Room& r, const RoomMember& m, const Session* except) const;
    void removeMember(Room& r, Session& s, bool tellOthers);
    void removeRoomIfUnused(Room& r);
    void deleteRoom(Room& r);
    Session* memberNamed(Room& r, const QByteArray& nick);

    void onGetGroups(Session& s, const net::ParsedCommand& cmd);
    void onGetRooms(Session& s, const net::ParsedCommand& cmd);
    void onNewRoom(Session& s, const net::ParsedCommand& cmd);
    void onSetRoomBanner(Session& s, const net::ParsedCommand& cmd);
    void onJoinRoom(Session& s, const net::ParsedCommand& cmd);
    void onGetChatUsers(Session& s, const net::ParsedCommand& cmd);
    void onChatMsg(Session& s, const net::ParsedCommand& cmd);
    void onExitRoom(Session& s, const net::ParsedCommand& cmd);
    void onInvite(Session& s, const net::ParsedCommand& cmd);
    void onKikUser(Session& s, const net::ParsedCommand& cmd);
    void onSetRDot(Session& s, const net::ParsedCommand& cmd);
    void onClearChat(Session& s, const net::ParsedCommand& cmd);
    void onDelRoom(Session& s, const net::ParsedCommand& cmd);
    void onSysMsg(Session& s, const net::ParsedCommand& cmd);

    // Database.
    void storeRoom(Room& r);
    void storeBanner(const Room& r);
    void eraseRoom(const Room& r);
    qint64 storeGroup(const RoomGroup& g);

    Server& m_server;
    Storage& m_storage;
    std::vector<RoomGroup> m_groups;
    std::vector<std::unique_ptr<Room>> m_rooms; // in creation order
};

} // namespace korvex::server
