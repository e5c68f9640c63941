#include "RoomUserList.h"

#include "net/Clock.h"

#include <QTimeZone>
#include <algorithm>
#include <cstdio>

namespace korvex::rooms {

namespace {
// Stamps only order the list: UTC spares a time zone look-up per change, which a room of thousands would
// feel.
QDateTime stampNow() {
    return QDateTime::fromMSecsSinceEpoch(net::Clock::NowMs(), Qt::UTC);
}
} // namespace

namespace {

// A field of 1 to 9 digits as a number; anything else is 0.
quint32 safeNumber(const QByteArray& field) {
    if (field.isEmpty() || field.size() > 9) return 0;
    for (const char c : field)
        if (c < '0' || c > '9') return 0;
    return field.toUInt();
}

QColor fromColorRef(quint32 c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// The reversed stamp: the distance to 3000-01-01 read as a date-time counted from 1899-12-30, so that newer
// entries get smaller keys.
QDateTime reversed(const QDateTime& stamp) {
    // In UTC: the keys only order entries, and local time would cost a time zone look-up per key.
    static const QDateTime end(QDate(3000, 1, 1), QTime(0, 0), Qt::UTC);
    static const QDateTime zero(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    return zero.addMSecs(stamp.msecsTo(end));
}

} // namespace

void RoomUserData::SetFlags(const QByteArray& f) {
    flags = f;
    textFlag = f.mid(0, 1);
    videoFlag = f.mid(1, 1);
    voiceFlag = f.mid(2, 1);
    notAllFlag = f.mid(3, 1);
}

QByteArray StampText(const QDateTime& stamp) {
    // Three millisecond digits: with "at least two" a stamp at 99 ms would sort after one at 100 ms.
    const QDate d = stamp.date();
    const QTime t = stamp.time();
    char text[80];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d%03d", d.year() % 10000, d.month(), d.day(),
                  t.hour(), t.minute(), t.second(), t.msec());
    return QByteArray(text);
}

QByteArray SortKey(const RoomUserData& u) {
    if (u.mic) return "0";
    if (u.hand) return "1" + StampText(u.stamp);
    const QByteArray rev = StampText(reversed(u.stamp));
    if (u.userType == "3") return "2" + rev;
    if (u.userType == "2") return "3" + rev;
    if (u.owner == "1") return "4" + rev;
    if (u.cam) return "5" + rev;
    return "9" + rev;
}

RoomUserLook LookOf(const RoomUserData& u, bool blocked) {
    RoomUserLook look;
    if (u.textFlag == "1" || u.videoFlag == "1" || u.voiceFlag == "1") look.text = TextIcon::Off;
    if (u.videoFlag == "1")
        look.video = VideoIcon::Off;
    else if (u.cam)
        look.video = VideoIcon::On;
    if (u.voiceFlag == "1")
        look.voice = VoiceIcon::Off;
    else if (u.mic)
        look.voice = u.talking ? VoiceIcon::Mic : VoiceIcon::On;
    else if (u.hand)
        look.voice = VoiceIcon::Hand;

    QByteArray prefix;
    if (u.userType == "2") {
        look.colour = QColor(255, 117, 0);
        prefix = "@";
    } else if (u.userType == "3") {
        look.colour = QColor(255, 0, 0);
        prefix = "@";
    } else if (u.userType == "1") {
        look.colour = u.colour > 0 ? fromColorRef(u.colour) : QColor(0, 0, 255);
        if (u.owner == "1") prefix = "@";
    } else if (u.userType == "0" || u.userType.isEmpty()) {
        look.colour = fromColorRef(u.colour);
        if (u.owner == "1") prefix = "@";
    } else {
        return look; // unknown types draw no name
    }
    look.caption = prefix + u.name + (blocked ? " [blocked]" : "");
    return look;
}

RoomUserList::RoomUserList(QObject* parent) : QAbstractListModel(parent) {}

void RoomUserList::SetBlockedCheck(std::function<bool(const QByteArray&)> isBlocked) {
    m_isBlocked = std::move(isBlocked);
    changedAll();
}

int RoomUserList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant RoomUserList::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(m_entries.size())) return {};
    const RoomUserData& u = m_entries[size_t(index.row())]->user;
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromLatin1(Look(index.row()).caption);
    case Qt::ForegroundRole:
        return Look(index.row()).colour;
    case NameRole:
        return u.name;
    default:
        return {};
    }
}

RoomUserLook RoomUserList::Look(int row) const {
    const RoomUserData& u = m_entries[size_t(row)]->user;
    return LookOf(u, m_isBlocked && m_isBlocked(u.name));
}

int RoomUserList::indexOf(const QByteArray& name) const {
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i]->user.name == name) return int(i);
    return -1;
}

int RoomUserList::indexIgnoringCase(const QByteArray& name) const {
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i]->user.name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

const RoomUserData* RoomUserList::Find(const QByteArray& name) const {
    int i = indexOf(name);
    if (i < 0) i = indexIgnoringCase(name);
    return i < 0 ? nullptr : &m_entries[size_t(i)]->user;
}

void RoomUserList::sortAllIfNeeded() {
    if (!m_unsorted) return;
    m_unsorted = false;
    emit layoutAboutToBeChanged();
    for (auto& e : m_entries)
        e->key = SortKey(e->user);
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [](const Entry& a, const Entry& b) { return a->key < b->key; });
    emit layoutChanged();
}

void RoomUserList::insertSorted(Entry entry) {
    const auto pos = std::upper_bound(m_entries.begin(), m_entries.end(), entry->key,
                                      [](const QByteArray& key, const Entry& e) { return key < e->key; });
    const int row = int(pos - m_entries.begin());
    beginInsertRows({}, row, row);
    m_entries.insert(pos, std::move(entry));
    endInsertRows();
}

void RoomUserList::resort(int row) {
    sortAllIfNeeded();
    Entry& entry = m_entries[size_t(row)];
    entry->key = SortKey(entry->user);
    // Where the entry belongs among the others, ignoring its own slot.
    const auto before = m_entries.begin() + row;
    const auto cmp = [](const QByteArray& key, const Entry& e) { return key < e->key; };
    int target;
    if (row > 0 && entry->key < m_entries[size_t(row - 1)]->key)
        target = int(std::upper_bound(m_entries.begin(), before, entry->key, cmp) - m_entries.begin());
    else if (row + 1 < int(m_entries.size()) && m_entries[size_t(row + 1)]->key <= entry->key)
        target = int(std::upper_bound(before + 1, m_entries.end(), entry->key, cmp) - m_entries.begin());
    else
        target = row;
    if (target == row || target == row + 1) {
        changed(row);
        return;
    }
    beginMoveRows({}, row, row, {}, target);
    Entry moving = std::move(entry);
    m_entries.erase(m_entries.begin() + row);
    m_entries.insert(m_entries.begin() + (target > row ? target - 1 : target), std::move(moving));
    endMoveRows();
    changed(target > row ? target - 1 : target);
}

void RoomUserList::changed(int row) {
    const QModelIndex i = index(row);
    emit dataChanged(i, i);
}

void RoomUserList::changedAll() {
    if (!m_entries.empty()) emit dataChanged(index(0), index(int(m_entries.size()) - 1));
}

void RoomUserList::AddRoomUser(const QByteArray& name, const QByteArray& owner, const QByteArray& type,
                               const QByteArray& flags, const QByteArray& hand, const QByteArray& mic,
                               const QByteArray& colour) {
    sortAllIfNeeded();
    Entry e = std::make_unique<Item>();
    e->user.name = name;
    e->user.owner = owner;
    e->user.userType = type;
    e->user.SetFlags(flags);
    e->user.hand = hand == "1";
    e->user.mic = mic == "1";
    e->user.colour = safeNumber(colour);
    e->user.stamp = stampNow();
    e->key = SortKey(e->user);
    insertSorted(std::move(e));
}

void RoomUserList::RemoveRoomUser(const QByteArray& name) {
    const int row = indexOf(name);
    if (row < 0) return;
    beginRemoveRows({}, row, row);
    m_entries.erase(m_entries.begin() + row);
    endRemoveRows();
}

bool RoomUserList::IsUserListed(const QByteArray& name) const {
    return indexIgnoringCase(name) >= 0;
}

void RoomUserList::SetUserColour(const QByteArray& name, const QByteArray& colour) {
    const int row = indexOf(name);
    if (row < 0) return;
    m_entries[size_t(row)]->user.colour = safeNumber(colour);
    changed(row);
}

void RoomUserList::SetUserFlags(const QByteArray& name, const std::optional<QByteArray>& owner,
                                const std::optional<QByteArray>& flags,
                                const std::optional<QByteArray>& type) {
    const int row = indexOf(name);
    if (row < 0) return;
    RoomUserData& u = m_entries[size_t(row)]->user;
    if (owner) u.owner = *owner;
    if (type) u.userType = *type;
    if (flags) u.SetFlags(*flags);
    // A user who may no longer speak or show himself loses his raised hand; with other hands still up he
    // waits right after them, as the list looked before.
    if ((u.textFlag == "1" || u.videoFlag == "1" || u.voiceFlag == "1") && u.hand) {
        u.hand = false;
        m_unsorted = true;
        int lastHand = -1;
        for (size_t i = 0; i < m_entries.size(); ++i)
            if (m_entries[i]->user.hand) lastHand = int(i);
        if (lastHand >= 0 && lastHand != row - 1 && lastHand != row) {
            const int target = lastHand + 1;
            beginMoveRows({}, row, row, {}, target);
            Entry moving = std::move(m_entries[size_t(row)]);
            m_entries.erase(m_entries.begin() + row);
            m_entries.insert(m_entries.begin() + (target > row ? target - 1 : target), std::move(moving));
            endMoveRows();
        }
    }
    changedAll();
}

void RoomUserList::SetCamFlag(const QByteArray& name, bool on) {
    const int row = indexOf(name);
    if (row < 0) return;
    m_entries[size_t(row)]->user.cam = on;
    m_entries[size_t(row)]->user.stamp = stampNow();
    resort(row);
}

void RoomUserList::ToggleHand(const QByteArray& name) {
    const int row = indexOf(name);
    if (row < 0) return;
    RoomUserData& u = m_entries[size_t(row)]->user;
    u.stamp = stampNow();
    u.hand = !u.hand;
    resort(row);
}

void RoomUserList::SetMicHolder(const QByteArray& name) {
    const int row = indexOf(name);
    if (row < 0) return;
    RoomUserData& u = m_entries[size_t(row)]->user;
    u.hand = u.talking = false;
    u.mic = true;
    u.stamp = stampNow();
    resort(row);
}

void RoomUserList::ClearMic(const QByteArray& name) {
    const int row = indexOf(name);
    if (row < 0) return;
    RoomUserData& u = m_entries[size_t(row)]->user;
    u.hand = u.mic = u.talking = false;
    u.stamp = stampNow();
    resort(row);
}

void RoomUserList::ClearMicFlags() {
    for (auto& e : m_entries) {
        e->user.mic = e->user.talking = false;
        // The mic holder's key was "0"; it now belongs among the others at the next sorting operation.
        if (e->key == "0") m_unsorted = true;
    }
    changedAll();
}

void RoomUserList::LowerAllHands() {
    for (auto& e : m_entries)
        if (e->user.hand) {
            e->user.hand = false;
            m_unsorted = true;
        }
    changedAll();
}

void RoomUserList::MarkSpeakerTalking() {
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i]->user.mic) {
            m_entries[i]->user.talking = true;
            changed(int(i));
            return;
        }
}

void RoomUserList::Clear() {
    beginResetModel();
    m_entries.clear();
    m_unsorted = false;
    endResetModel();
}

bool RoomUserList::AnyHandRaised() const {
    return std::any_of(m_entries.begin(), m_entries.end(), [](const Entry& e) { return e->user.hand; });
}

bool RoomUserList::IsHandRaised(const QByteArray& name) const {
    const int row = indexOf(name);
    return row >= 0 && m_entries[size_t(row)]->user.hand;
}

bool RoomUserList::HasMic(const QByteArray& name) const {
    const int row = indexOf(name);
    return row >= 0 && m_entries[size_t(row)]->user.mic;
}

bool RoomUserList::MicHeldByOtherThan(const QByteArray& name) const {
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const Entry& e) {
        return e->user.mic && e->user.name.compare(name, Qt::CaseInsensitive) != 0;
    });
}

bool RoomUserList::FirstHandIsMine(const QByteArray& ownNick) const {
    for (const auto& e : m_entries)
        if (e->user.hand) return e->user.name == ownNick;
    return false;
}

} // namespace korvex::rooms
