#pragma once

#include "net/Command.h"

#include <QByteArray>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>

namespace korvex::session {
class TDM;
}

namespace korvex::contacts {

class SmileyTable;
class TMainForm;
class TAddForm;
class TInfoForm;
class TBlockForm;
class TInviteFriendForm;
struct HtmlPolicy;

// The windows of the contact layer that handlers and other windows reach (each exists at most once).
struct ContactsUi {
    QPointer<TMainForm> MainForm;
    QPointer<TAddForm> AddForm;
    QPointer<TInfoForm> InfoForm;
    QPointer<TBlockForm> BlockForm;
    QPointer<TInviteFriendForm> InviteForm;
    // Ends the program at once (the forced password change refused); tests replace it.
    std::function<void()> Terminate;
    // Opens the file transfer window with an outgoing file once that window exists.
    std::function<void(const QString& file, const QByteArray& peer)> SendFile;
    // The room layer's share of "SetUColor" and of "Typing" with a room.
    std::function<void(const QByteArray& name, std::uint32_t colour)> RoomUserColour;
    std::function<void(const net::ParsedCommand& cmd)> RoomTyping;
    // Windows of later layers, by name ("Groups", "CreateChatRoom", "JoinRoom", "Voicemail", "VoicemailNew",
    // "AdminsPack", "SkinEditor", "EmailManager", "Favorites", "SendVoicemail", "InviteToRoom"); arg is the
    // nickname where one applies. Until a layer registers the hook the entries do nothing.
    std::function<void(const QByteArray& window, const QByteArray& arg)> OpenWindow;
    // Whether a room window is open (for the "Invite" entry of the online user menu).
    std::function<bool()> RoomWindowOpen;
    // Records in the voicemail list (the toolbar indicator blinks while there are some).
    std::function<int()> VoicemailCount;
};
ContactsUi& Ui();

// The smiley codes of the program folder, built at the first use (and again when the folder or host changes).
const SmileyTable& Smileys(const session::TDM& dm);
QString SmileyFolder(const session::TDM& dm);
// What received message HTML may show: smileys of the program's own folder and http(s) pictures.
HtmlPolicy MessagePolicy(const session::TDM& dm);

// Registers the handlers of presence, block list, bulletin, search, profile and private message commands.
void RegisterContactsHandlers(session::TDM& dm);
// Handlers plus the main window factory of the data module.
void InstallContacts(session::TDM& dm);

} // namespace korvex::contacts
