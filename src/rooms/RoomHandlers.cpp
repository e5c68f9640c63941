#include "contacts/Contacts.h"
#include "contacts/TMsgForm.h"
#include "rooms/RoomText.h"
#include "rooms/RoomUserList.h"
#include "rooms/Rooms.h"
#include "rooms/TChatForm.h"
#include "rooms/TEnterForm.h"
#include "rooms/TInviteForm.h"
#include "rooms/TListForm.h"
#include "rooms/TNewRForm.h"
#include "session/Dialogs.h"
#include "session/TDM.h"

namespace korvex::rooms {

using net::ParsedCommand;
using session::DialogKind;
using session::FromAnsi;
using session::ShowMessage;
using session::TDM;

RoomsUi& Ui() {
    static RoomsUi ui;
    return ui;
}

void CloseCurrentRoom(TDM& dm) {
    if (TChatForm* f = TChatForm::Current(dm)) f->Leave();
}

namespace {

int colourOf(const QByteArray& field) {
    bool ok = false;
    const int v = field.toInt(&ok);
    return ok ? v : 0;
}

void onRJoinRoom(TDM& dm, const ParsedCommand& c) {
    const QByteArray room = c.field(1);
    if (room.isEmpty()) return;
    if (Ui().NewRForm) Ui().NewRForm->close();
    if (Ui().EnterForm) Ui().EnterForm->close();
    TChatForm* f = TChatForm::FindByRoom(dm, room);
    if (f) {
        f->SetOwner(c.field(2) == "1");
        f->Rejoin();
        return;
    }
    f = new TChatForm(dm, room, c.field(3));
    TDM* d = &dm;
    f->OpenMessage = [d](const QByteArray& nick) { contacts::TMsgForm::OpenMessageWindow(*d, nick, true); };
    dm.HoldsMic = false;
    f->SetCodec(c.field(7));
    f->SetOwner(c.field(2) == "1");
    if (Ui().ShowWindows)
        f->show();
    else
        f->SetSetupPending();
    dm.SendCmd("GetChatUsers", {room});
}

void onRJoinRNO(TDM&, const ParsedCommand&) {
    ShowMessage(DialogKind::Information, "Can't join room! Wrong password!");
}

void onRNewRoom(TDM& dm, const ParsedCommand& c) {
    if (c.field(1) == "OK") {
        if (TListForm* l = Ui().ListForm) {
            const QByteArray group = l->CurrentGroup();
            const QByteArray password = l->NewRoomPassword();
            CloseCurrentRoom(dm);
            dm.RoomPassword = password;
            dm.RoomAdminCode.clear();
            dm.SendCmd("JoinRoom", {dm.OwnNick, group, c.field(2), password});
            l->close();
        }
        if (TNewRForm* n = Ui().NewRForm) {
            const QByteArray group = n->SelectedGroup();
            const QByteArray password = n->Password();
            CloseCurrentRoom(dm);
            dm.RoomPassword = password;
            dm.RoomAdminCode.clear();
            dm.SendCmd("JoinRoom", {dm.OwnNick, group, c.field(2), password});
            n->close();
        }
        return;
    }
    if (c.field(1) != "NO") return;
    if (c.field(2) == "1") {
        if (Ui().ListForm) Ui().ListForm->HideNewPanel();
        ShowMessage(DialogKind::Information, session::LangText(31));
    } else if (c.field(2) == "2") {
        if (Ui().ListForm) Ui().ListForm->HideNewPanel();
        ShowMessage(DialogKind::Information, "You are already owner of the room: " + FromAnsi(c.field(3)));
    }
}

void onRGetGroups(TDM& dm, const ParsedCommand& c) {
    const QByteArray group = c.field(1);
    if (group.isEmpty()) return;
    const int colour = colourOf(c.field(3));
    const bool noUserRooms = c.field(4) == "1";
    if (TListForm* l = Ui().ListForm) l->AddGroup(group, c.field(2), colour, noUserRooms);
    if (TNewRForm* n = Ui().NewRForm)
        if (!noUserRooms || dm.UserType == "2" || dm.UserType == "3") n->AddGroup(group, colour);
    if (TEnterForm* e = Ui().EnterForm) e->AddGroup(group, colour);
}

void onRGetRooms(TDM&, const ParsedCommand& c) {
    const QByteArray room = c.field(1);
    const int colour = colourOf(c.field(5));
    if (TListForm* l = Ui().ListForm) l->AddRoom(room, c.field(2), c.field(3), c.field(4), colour);
    if (TEnterForm* e = Ui().EnterForm)
        if (room != "NO" && !room.isEmpty()) e->AddRoom(room, c.field(2), c.field(3), c.field(4), colour);
}

void onChatOnLine(TDM& dm, const ParsedCommand& c) {
    TChatForm* f = TChatForm::FindByRoom(dm, c.field(2));
    const QByteArray user = c.field(1);
    if (!f || user.isEmpty()) return;
    if (f->HasUserRow(user)) return;
    f->AddUserRow(user, c.field(3));
    const bool invisible = c.field(9) == "1";
    if (c.field(10) != "1" && !invisible) f->AddSystemLine(user, EnteredText);
    if (!invisible)
        f->Users().AddRoomUser(user, c.field(3), c.field(4), c.field(5), c.field(6), c.field(7), c.field(8));
    else if (user == dm.OwnNick)
        f->SetInvisible();
}

void onChatOffLine(TDM& dm, const ParsedCommand& c) {
    const QByteArray user = c.field(1);
    if (user == dm.OwnNick) return;
    TChatForm* f = TChatForm::FindByRoom(dm, c.field(2));
    if (!f) return;
    if (!f->HasUserRow(user)) return;
    if (f->Users().IsUserListed(user)) f->AddSystemLine(user, LeftText);
    f->Users().RemoveRoomUser(user);
    f->RemoveUserRow(user);
}

void onChatMsg(TDM& dm, const ParsedCommand& c) {
    TChatForm* f = TChatForm::FindByRoom(dm, c.field(1));
    if (!f) return;
    if (!c.field(4).isEmpty())
        f->AddPaintLine(c.field(2), c.field(3), c.field(4));
    else
        f->AddChatLine(c.field(2), c.field(3), true);
}

void onRoomTyping(TDM& dm, const ParsedCommand& c) {
    if (TChatForm* f = TChatForm::FindByRoom(dm, c.field(2))) f->SetTyping(c.field(1), c.field(4) == "0");
}

void onSysMsg(TDM& dm, const ParsedCommand& c) {
    if (TChatForm* f = TChatForm::Current(dm)) f->SetStatusText(FromAnsi(c.field(1)));
}

void onClearChat(TDM& dm, const ParsedCommand& c) {
    if (TChatForm* f = TChatForm::FindByRoom(dm, c.field(1))) f->ClearChat();
}

void onCloseChat(TDM& dm, const ParsedCommand& c) {
    QList<TChatForm*> windows;
    if (c.field(1) == "ALL") {
        windows = TChatForm::All(dm);
    } else if (!c.field(1).isEmpty()) {
        if (TChatForm* f = TChatForm::FindByRoom(dm, c.field(1))) windows.append(f);
    }
    const QString text = "You were kicked from " + FromAnsi(c.field(3)) + " by " + FromAnsi(c.field(2));
    for (TChatForm* f : windows) {
        f->Leave();
        ShowMessage(DialogKind::Information, text);
    }
}

void onCloseRoom(TDM& dm, const ParsedCommand& c) {
    TChatForm* f = TChatForm::FindByRoom(dm, c.field(1));
    if (!f) return;
    f->Leave();
    ShowMessage(DialogKind::Information, "The room was closed by: " + FromAnsi(c.field(2)));
}

void onMoveRoom(TDM& dm, const ParsedCommand& c) {
    // The user can be in one room at a time: leave the current one first, so the server does not keep him in
    // both.
    CloseCurrentRoom(dm);
    dm.SendCmd("JoinRoom", {dm.OwnNick, c.field(1), c.field(2), {}, "0"});
}

void onInvite(TDM& dm, const ParsedCommand& c) {
    TInviteForm* f = Ui().InviteForm;
    if (!f) {
        f = new TInviteForm(dm);
        Ui().InviteForm = f;
    }
    f->ShowInvitation(c.field(2), c.field(3), c.field(4), c.field(5) == "1");
}

void onSetRDot(TDM& dm, const ParsedCommand& c) {
    const QByteArray user = c.field(1);
    const QByteArray flags = c.field(2);
    if (user == dm.OwnNick) {
        dm.RestrictNoText = flags.size() > 0 && flags[0] == '1';
        dm.RestrictNoVideo = flags.size() > 1 && flags[1] == '1';
        dm.RestrictNoVoice = flags.size() > 2 && flags[2] == '1';
        dm.RestrictNoAll = flags.size() > 3 && flags[3] == '1';
    }
    for (TChatForm* f : TChatForm::All(dm))
        f->Users().SetUserFlags(user, std::nullopt, flags, std::nullopt);
}

void onVCap(TDM& dm, const ParsedCommand& c, bool on) {
    TChatForm* f = TChatForm::FindByRoom(dm, c.field(2));
    if (!f) return;
    const int row = f->UserTable.Find("Name", c.field(1), Qt::CaseInsensitive);
    if (row < 0) return;
    f->UserTable.SetRecNo(row);
    f->UserTable.SetValue("VCap", on ? "1" : "");
    f->Users().SetCamFlag(c.field(1), on);
}

} // namespace

void RegisterRoomHandlers(TDM& dm) {
    TDM* d = &dm;
    auto reg = [&dm, d](const char* name, void (*handler)(TDM&, const ParsedCommand&)) {
        dm.Dispatcher.Register(name, [d, handler](const ParsedCommand& c) { handler(*d, c); });
    };
    reg("RJoinRoom", onRJoinRoom);
    reg("RJoinRNO", onRJoinRNO);
    reg("RNewRoom", onRNewRoom);
    reg("RGetGroups", onRGetGroups);
    reg("RGetRooms", onRGetRooms);
    reg("ChatOnLine", onChatOnLine);
    reg("ChatOffLine", onChatOffLine);
    reg("ChatMsg", onChatMsg);
    reg("SysMsg", onSysMsg);
    reg("ClearChat", onClearChat);
    reg("CloseChat", onCloseChat);
    reg("CloseRoom", onCloseRoom);
    reg("MoveRoom", onMoveRoom);
    reg("Invite", onInvite);
    reg("SetRDot", onSetRDot);
    dm.Dispatcher.Register("VCapON", [d](const ParsedCommand& c) { onVCap(*d, c, true); });
    dm.Dispatcher.Register("VCapOFF", [d](const ParsedCommand& c) { onVCap(*d, c, false); });
    // "Typing" and "SetUColor" are the contact layer's commands; the room share arrives through its hooks.
    // When that layer is not installed, room typing notices are handled here directly.
    if (!dm.Dispatcher.Has("Typing")) reg("Typing", onRoomTyping);
    contacts::Ui().RoomTyping = [d](const ParsedCommand& c) { onRoomTyping(*d, c); };
    contacts::Ui().RoomUserColour = [d](const QByteArray& name, std::uint32_t colour) {
        if (TChatForm* f = TChatForm::Current(*d)) f->Users().SetUserColour(name, QByteArray::number(colour));
    };
    contacts::Ui().RoomWindowOpen = [d] { return TChatForm::Current(*d) != nullptr; };
    auto previousOpen = contacts::Ui().OpenWindow;
    contacts::Ui().OpenWindow = [d, previousOpen](const QByteArray& window, const QByteArray& arg) {
        if (window == "Groups" || window == "CreateChatRoom" || window == "JoinRoom" ||
            window == "InviteToRoom")
            OpenRoomWindow(*d, window, arg);
        else if (previousOpen)
            previousOpen(window, arg);
    };
    dm.FindRoomWindow = [](const QByteArray& formName) -> std::optional<session::RoomWindowRef> {
        if (TChatForm* f = TChatForm::FindByFormName(formName))
            return session::RoomWindowRef{f->Group(), f->Room(), f->Invisible()};
        return std::nullopt;
    };
    dm.CloseRoomWindow = [](const QByteArray& formName) {
        if (TChatForm* f = TChatForm::FindByFormName(formName)) f->Leave();
    };
}

} // namespace korvex::rooms
