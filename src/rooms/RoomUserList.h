#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace korvex::rooms {

// One line of a room's user list.
struct RoomUserData {
    QByteArray name;
    QByteArray userType; // "0" normal, "1" paid, "2" moderator, "3" admin
    QByteArray flags;    // red dots: no text, no video, no voice, not all ("1"/"0" each)
    QByteArray textFlag, videoFlag, voiceFlag, notAllFlag;
    QByteArray owner; // "1" for the room's owner
    bool mic = false;
    bool cam = false;
    bool hand = false;
    bool talking = false;
    quint32 colour = 0; // 0x00BBGGRR; 0 = none
    QDateTime stamp;    // creation, or last change of hand, mic or cam

    void SetFlags(const QByteArray& flags);
};

// What a line shows: the icons and the coloured, prefixed name.
enum class TextIcon { On, Off };
enum class VideoIcon { None, On, Off };
enum class VoiceIcon { None, Off, Mic, On, Hand };
struct RoomUserLook {
    TextIcon text = TextIcon::On;
    VideoIcon video = VideoIcon::None;
    VoiceIcon voice = VoiceIcon::None;
    QByteArray caption; // "@" prefix, name, " [blocked]"; empty when the type draws no name
    QColor colour;
};
RoomUserLook LookOf(const RoomUserData& user, bool blocked);

// The sort key: mic holder, raised hands from the earliest, admins, moderators, owners, cam publishers,
// others; each of the last five groups newest first.
QByteArray SortKey(const RoomUserData& user);
// "yyyymmddhhnnss" and three-digit milliseconds, so keys compare in time order byte by byte.
QByteArray StampText(const QDateTime& stamp);

// The users present in a room, kept in display order. Each change moves only the entry it touches to its
// place (binary search on the keys), so a room of thousands fills without re-sorting.
class RoomUserList : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { NameRole = Qt::UserRole + 1 };

    explicit RoomUserList(QObject* parent = nullptr);

    // Decides whether a name carries the " [blocked]" mark.
    void SetBlockedCheck(std::function<bool(const QByteArray&)> isBlocked);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void AddRoomUser(const QByteArray& name, const QByteArray& owner, const QByteArray& type,
                     const QByteArray& flags, const QByteArray& hand, const QByteArray& mic,
                     const QByteArray& colour);
    void RemoveRoomUser(const QByteArray& name);
    bool IsUserListed(const QByteArray& name) const;
    void SetUserColour(const QByteArray& name, const QByteArray& colour);
    void SetUserFlags(const QByteArray& name, const std::optional<QByteArray>& owner,
                      const std::optional<QByteArray>& flags, const std::optional<QByteArray>& type);
    void SetCamFlag(const QByteArray& name, bool on);
    void ToggleHand(const QByteArray& name);
    void SetMicHolder(const QByteArray& name);
    void ClearMic(const QByteArray& name);
    void ClearMicFlags();
    void LowerAllHands();
    void MarkSpeakerTalking();
    void Clear();

    bool AnyHandRaised() const;
    bool IsHandRaised(const QByteArray& name) const;
    bool HasMic(const QByteArray& name) const;
    bool MicHeldByOtherThan(const QByteArray& name) const;
    bool FirstHandIsMine(const QByteArray& ownNick) const;

    const RoomUserData* Find(const QByteArray& name) const; // exact name first, then ignoring case
    const RoomUserData& At(int row) const { return m_entries[size_t(row)]->user; }
    RoomUserLook Look(int row) const;
    int Count() const { return int(m_entries.size()); }

private:
    struct Item {
        QByteArray key;
        RoomUserData user;
    };
    // Held by pointer: an insertion near the top of a big room then moves pointers, not whole entries.
    using Entry = std::unique_ptr<Item>;
    int indexOf(const QByteArray& name) const;
    int indexIgnoringCase(const QByteArray& name) const;
    void insertSorted(Entry entry);
    void resort(int row);  // the entry at row changed its key: move it to its place
    void changed(int row); // repaint one row
    void changedAll();
    void sortAllIfNeeded();

    std::vector<Entry> m_entries;
    std::function<bool(const QByteArray&)> m_isBlocked;
    // A lowered hand is parked right after the remaining hands instead of at its key's place; the next
    // sorting operation then orders the whole list once.
    bool m_unsorted = false;
};

} // namespace korvex::rooms
