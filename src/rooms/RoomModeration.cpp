#include "RoomModeration.h"

namespace korvex::rooms {

bool IsModerator(const QByteArray& ownType, bool ownsRoom) {
    return ownType == "2" || ownType == "3" || ownsRoom;
}

bool IsProtected(const QByteArray& targetType) {
    return targetType == "2" || targetType == "3";
}

QByteArray RedDotFlags(const QByteArray& targetFlags, RedDot position, bool set) {
    QByteArray flags(4, '0');
    for (int i = 0; i < 4 && i < targetFlags.size(); ++i)
        if (targetFlags[i] == '1') flags[i] = '1';
    flags[int(position)] = set ? '1' : '0';
    return flags;
}

QByteArray DoubleClickFlags(const QByteArray& targetNotAllFlag) {
    return targetNotAllFlag == "1" ? "0000" : "1111";
}

bool MayRestrict(const QByteArray& ownType, bool ownsRoom, const QByteArray& targetType, bool targetIsSelf) {
    return IsModerator(ownType, ownsRoom) && !IsProtected(targetType) && !targetIsSelf;
}

} // namespace korvex::rooms
