#include "Rooms.h"

#include "Server.h"
#include "Session.h"
#include "Storage.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace korvex::server {

namespace {

QString text(const QByteArray& b) {
    return b.isEmpty() ? QStringLiteral("") : QString::fromLatin1(b);
}
QByteArray bytes(const QVariant& v) {
    return v.toString().toLatin1();
}

QSqlQuery query(Storage& storage, const char* sql) {
    QSqlQuery q(QSqlDatabase::database(storage.ConnectionName()));
    q.prepare(QString::fromLatin1(sql));
    return q;
}

void run(QSqlQuery& q, const char* what) {
    if (!q.exec()) throw StorageError(std::string(what) + ": " + q.lastError().text().toStdString());
}

} // namespace

RoomMember* Room::member(const Session* s) {
    for (RoomMember& m : members)
        if (m.session == s) return &m;
    return nullptr;
}

int Room::visibleCount() const {
    int n = 0;
    for (const RoomMember& m : members)
        n += m.invisible ? 0 : 1;
    return n;
}

RoomService::RoomService(Server& server, Storage& storage) : m_server(server), m_storage(storage) {}
RoomService::~RoomService() = default;

QList<QByteArray> RoomService::CommandNames() {
    return {"GetGroups", "GetRooms", "NewRoom", "SetRoomBanner", "JoinRoom",  "GetChatUsers", "ChatMsg",
            "ExitRoom",  "Invite",   "KikUser", "SetRDot",       "ClearChat", "DelRoom",      "SysMsg"};
}

void RoomService::Load() {
    m_groups.clear();
    m_rooms.clear();
    QSqlQuery g = query(m_storage, "SELECT id, name, colour, no_user_rooms FROM groups ORDER BY id");
    run(g, "groups");
    while (g.next())
        m_groups.push_back(
            {g.value(0).toLongLong(), bytes(g.value(1)), g.value(2).toLongLong(), g.value(3).toInt() != 0});
    QSqlQuery r =
        query(m_storage,
              "SELECT id, group_id, name, global, password, admin_code, owner_id, permanent, colour, codec, "
              "voice_type, paint_off, status, banner_url, banner_click_url FROM rooms ORDER BY id");
    run(r, "rooms");
    while (r.next()) {
        auto room = std::make_unique<Room>();
        room->id = r.value(0).toLongLong();
        room->groupId = r.value(1).toLongLong();
        room->name = bytes(r.value(2));
        room->global = r.value(3).toInt() != 0;
        room->password = bytes(r.value(4));
        room->adminCode = bytes(r.value(5));
        room->ownerId = r.value(6).toLongLong();
        room->permanent = r.value(7).toInt() != 0;
        room->colour = r.value(8).toLongLong();
        room->codec = bytes(r.value(9));
        room->voiceType = r.value(10).toInt();
        room->paintOff = r.value(11).toInt() != 0;
        room->status = bytes(r.value(12));
        room->bannerUrl = bytes(r.value(13));
        room->bannerClickUrl = bytes(r.value(14));
        // A room left empty when the server stopped is not kept unless it is permanent.
        if (!room->permanent) {
            eraseRoom(*room);
            continue;
        }
        m_rooms.push_back(std::move(room));
    }
}

void RoomService::SeedDemo() {
    if (!m_groups.empty()) return;
    struct DemoGroup {
        const char* name;
        qint64 colour;
        bool noUserRooms;
    };
    // Colours as 0x00BBGGRR.
    const DemoGroup groups[] = {
        {"Lobby", 0x00008000, false}, {"Music", 0x00C00000, false}, {"Help and Support", 0x000000C0, true}};
    for (const DemoGroup& d : groups) {
        RoomGroup g{0, d.name, d.colour, d.noUserRooms};
        g.id = storeGroup(g);
        m_groups.push_back(g);
    }
    struct DemoRoom {
        int group;
        const char* name;
        const char* password;
        qint64 colour;
        const char* codec;
    };
    const DemoRoom rooms[] = {{0, "Welcome", "", 0, "GSM1"},
                              {0, "Night Owls", "", 0x00800080, "GSM1"},
                              {0, "Private Lounge", "owls", 0, "GSM1"},
                              {1, "Jazz Corner", "", 0x00006080, "SPEEX_WB"},
                              {2, "Korvex Help", "", 0x000000FF, "GSM1"}};
    for (const DemoRoom& d : rooms) {
        auto room = std::make_unique<Room>();
        room->groupId = m_groups[size_t(d.group)].id;
        room->name = d.name;
        room->password = d.password;
        room->colour = d.colour;
        room->codec = d.codec;
        room->permanent = true;
        storeRoom(*room);
        m_rooms.push_back(std::move(room));
    }
}

qint64 RoomService::storeGroup(const RoomGroup& g) {
    QSqlQuery q = query(m_storage, "INSERT INTO groups (name, colour, no_user_rooms) VALUES (?, ?, ?)");
    q.addBindValue(text(g.name));
    q.addBindValue(g.colour);
    q.addBindValue(g.noUserRooms ? 1 : 0);
    run(q, "add group");
    return q.lastInsertId().toLongLong();
}

void RoomService::storeRoom(Room& r) {
    QSqlQuery q =
        query(m_storage,
              "INSERT INTO rooms (group_id, name, global, password, admin_code, owner_id, permanent, colour, "
              "codec, voice_type, paint_off, status) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    q.addBindValue(r.groupId);
    q.addBindValue(text(r.name));
    q.addBindValue(r.global ? 1 : 0);
    q.addBindValue(text(r.password));
    q.addBindValue(text(r.adminCode));
    q.addBindValue(r.ownerId > 0 ? QVariant(r.ownerId) : QVariant(QMetaType(QMetaType::LongLong)));
    q.addBindValue(r.permanent ? 1 : 0);
    q.addBindValue(r.colour);
    q.addBindValue(text(r.codec));
    q.addBindValue(r.voiceType);
    q.addBindValue(r.paintOff ? 1 : 0);
    q.addBindValue(text(r.status));
    run(q, "add room");
    r.id = q.lastInsertId().toLongLong();
}

void RoomService::storeBanner(const Room& r) {
    QSqlQuery q = query(m_storage, "UPDATE rooms SET banner_url = ?, banner_click_url = ? WHERE id = ?");
    q.addBindValue(text(r.bannerUrl));
    q.addBindValue(text(r.bannerClickUrl));
    q.addBindValue(r.id);
    run(q, "room banner");
}

void RoomService::eraseRoom(const Room& r) {
    QSqlQuery q = query(m_storage, "DELETE FROM rooms WHERE id = ?");
    q.addBindValue(r.id);
    run(q, "delete room");
}

Room* RoomService::findRoom(const QByteArray& name) {
    if (name.isEmpty()) return nullptr;
    for (auto& r : m_rooms)
        if (r->name.compare(name, Qt::CaseInsensitive) == 0) return r.get();
    return nullptr;
}

const Room* RoomService::FindRoom(const QByteArray& name) const {
    return const_cast<RoomService*>(this)->findRoom(name);
}

RoomGroup* RoomService::findGroup(const QByteArray& name) {
    for (RoomGroup& g : m_groups)
        if (g.name.compare(name, Qt::CaseInsensitive) == 0) return &g;
    return nullptr;
}

RoomGroup* RoomService::groupOf(const Room& r) {
    for (RoomGroup& g : m_groups)
        if (g.id == r.groupId) return &g;
    return nullptr;
}

} // namespace korvex::server
