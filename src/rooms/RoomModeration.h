#pragma once

#include <QByteArray>

namespace korvex::rooms {

// Moderators: types "2" and "3", and the room's owner. Targets of types "2" and "3" are protected.
bool IsModerator(const QByteArray& ownType, bool ownsRoom);
bool IsProtected(const QByteArray& targetType);

// Red-dot positions.
enum class RedDot { NoText = 0, NoVideo = 1, NoVoice = 2, NotAll = 3 };

// The flags sent by "No text"/"Allow text" and the like: the target's four flags with anything but "1" read
// as "0", and one position set or cleared ("1000" + no voice = "1010"; empty flags + no voice = "0010").
QByteArray RedDotFlags(const QByteArray& targetFlags, RedDot position, bool set);

// A double click by a moderator restricts everything, or lifts everything when "not all" is already set.
QByteArray DoubleClickFlags(const QByteArray& targetNotAllFlag);

// Whether kick/ban/restrictions may be applied to the target from this user's side (the server decides
// again).
bool MayRestrict(const QByteArray& ownType, bool ownsRoom, const QByteArray& targetType, bool targetIsSelf);

} // namespace korvex::rooms
