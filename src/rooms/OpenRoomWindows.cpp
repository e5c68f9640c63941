#include "rooms/Rooms.h"
#include "rooms/TEnterForm.h"
#include "rooms/TInviteForm.h"
#include "rooms/TListForm.h"
#include "rooms/TNewRForm.h"

namespace korvex::rooms {

void OpenRoomWindow(session::TDM& dm, const QByteArray& window, const QByteArray& arg) {
    if (window == "Groups")
        TListForm::Open(dm);
    else if (window == "CreateChatRoom")
        TNewRForm::Open(dm);
    else if (window == "JoinRoom")
        TEnterForm::Open(dm);
    else if (window == "InviteToRoom")
        TInviteForm::OpenFor(dm, arg);
}

} // namespace korvex::rooms
