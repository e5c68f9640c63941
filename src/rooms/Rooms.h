#pragma once

#include <QByteArray>
#include <QPointer>
#include <functional>

namespace korvex::session {
class TDM;
}

namespace korvex::rooms {

class TListForm;
class TNewRForm;
class TEnterForm;
class TInviteForm;

// The directory and the small room windows; each exists at most once.
struct RoomsUi {
    QPointer<TListForm> ListForm;
    QPointer<TNewRForm> NewRForm;
    QPointer<TEnterForm> EnterForm;
    QPointer<TInviteForm> InviteForm;
    // The administration console's black-list page for a user, and the banner editor of a room; the "Ban" and
    // "Room Banner" entries appear once the windows that own these register them.
    std::function<void(const QByteArray& nick)> BanUser;
    std::function<void(const QByteArray& group, const QByteArray& room)> EditRoomBanner;
    // Whether the room windows are shown when created (tests keep them hidden).
    bool ShowWindows = true;
};
RoomsUi& Ui();

// Registers the room commands into the dispatcher and connects the data module's room hooks (the
// reconnection's re-join, closing a room window by name) and the contact layer's room hooks.
void RegisterRoomHandlers(session::TDM& dm);

// Opens a window of this layer by its name ("Groups", "CreateChatRoom", "JoinRoom", "InviteToRoom").
void OpenRoomWindow(session::TDM& dm, const QByteArray& window, const QByteArray& arg);

// Leaves the open room, if any (the one room the user interface lets a user be in).
void CloseCurrentRoom(session::TDM& dm);

} // namespace korvex::rooms
