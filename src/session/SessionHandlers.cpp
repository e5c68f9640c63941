#include "formats/LineFile.h"
#include "net/TBBClient.h"
#include "platform/Timer.h"
#include "platform/WebAddress.h"
#include "session/Dialogs.h"
#include "session/TDM.h"
#include "session/TFirstForm.h"
#include "session/TNewForm.h"

#include <QCoreApplication>
#include <QWidget>

namespace korvex::session {

using net::ParsedCommand;

namespace {

// Versions compare as decimal numbers ("3.27" > "3.26"); nullopt when the text is not one.
std::optional<double> decimalVersion(const QByteArray& text) {
    const QByteArray t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    int dots = 0;
    for (char c : t) {
        if (c == '.') {
            if (++dots > 1) return std::nullopt;
        } else if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    bool ok = false;
    const double v = t.toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

void onGetVersion(TDM& dm, const ParsedCommand& cmd) {
    dm.LoadCodecInfo(cmd.field(4));
    const auto server = decimalVersion(cmd.field(2));
    const auto own = decimalVersion(dm.ClientVersion);
    // A version text that is not a number skips the check instead of leaving the logon window disabled.
    if (server && own && *server > *own) {
        const QByteArray address = cmd.field(3);
        const QString text = "A new Korvex Client v" + FromAnsi(cmd.field(2)) +
                             " is available and must be installed now to continue.\r\r"
                             "Would you like to download this new version now? \r\r"
                             "(Selecting No will close this program)";
        TDM* dmp = &dm;
        ShowMessage(DialogKind::InformationYesNo, text, [dmp, address](bool yes) {
            if (yes) {
                platform::OpenWebAddress(FromAnsi(address));
                dmp->Quit();
            } else if (dmp->CloseApplication) {
                dmp->CloseApplication();
            }
        });
        return;
    }
    if (dm.FirstForm) dm.FirstForm->SetReady();
}

void onLogin(TDM& dm, const ParsedCommand& cmd) {
    if (cmd.field(1) != "OK") {
        ShowMessage(DialogKind::Information, LangText(14));
        if (dm.FirstForm) dm.FirstForm->EnableButtons();
        return;
    }
    dm.OwnNick = cmd.field(2);
    dm.OwnPassword = cmd.field(3);
    dm.OwnCountry = cmd.field(4);
    dm.UserType = cmd.field(5);
    dm.LoggedIn = true;
    const QByteArray flags = cmd.field(7);
    if (flags.size() >= 4) {
        dm.RestrictNoText = flags[0] == '1';
        dm.RestrictNoVideo = flags[1] == '1';
        dm.RestrictNoVoice = flags[2] == '1';
        dm.RestrictNoAll = flags[3] == '1';
    }
    dm.SoundPort = formats::SafeNumber(cmd.field(9));
    dm.VideoPort = formats::SafeNumber(cmd.field(10));
    dm.OwnEmail = cmd.field(11);
    dm.OwnFullName = cmd.field(12);

    if (dm.OpenVoicemailStore) dm.OpenVoicemailStore();

    if (!dm.MainForm && dm.MainFormFactory) {
        dm.MainForm = dm.MainFormFactory();
        if (dm.MainForm) emit dm.MainFormCreated();
    }
    if (dm.MainForm) {
        dm.MainForm->SetAdminsPackVisible(dm.UserType == "3");
        QWidget* w = dm.MainForm->Widget();
        w->setWindowTitle(FromAnsi(dm.OwnNick));
        w->show();
        if (dm.AutoLogonActive) w->hide(); // to the tray
    }

    if (!dm.AUserTable.Locate("Name", dm.OwnNick, Qt::CaseInsensitive))
        dm.AUserTable.Append({{"Name", cmd.field(2)}, {"Country", cmd.field(4)}});
    if (dm.MainForm) {
        dm.MainForm->AddContactNode("AIM", cmd.field(2), "1", cmd.field(8));
        dm.MainForm->RepaintList();
    }

    if (dm.SavePassword) dm.SaveAccount(cmd.field(2), cmd.field(3), {});

    if (formats::SafeNumber(dm.UserType) > 1) dm.SendCmd("GetAllOnLine", {dm.OwnNick});
    dm.SendCmd("GetCList", {dm.OwnNick});
    dm.SendCmd("GetBInfo", {dm.OwnNick});
    dm.SendCmd("GetBList", {dm.OwnNick});

    if (dm.NewForm) dm.NewForm->close();
    if (dm.FirstForm) dm.FirstForm->CloseAfterLogon();
    dm.CheckConnectTimer->SetEnabled(true);
}

void onAlreadyLogin(TDM& dm, const ParsedCommand&) {
    dm.MainClient->SetActive(false);
    dm.Quit();
    ShowMessage(DialogKind::Information,
                "You have been logged off as you have logged in from another location");
}

void onCloseUser(TDM& dm, const ParsedCommand& cmd) {
    dm.CheckConnectTimer->SetEnabled(false);
    if (!dm.ChatFormTable.Eof() && dm.CloseRoomWindow) dm.CloseRoomWindow(dm.ChatFormTable.Value("FormName"));
    ShowMessage(DialogKind::Information, FromAnsi(cmd.field(1)));
    dm.Quit();
}

void onNewUser(TDM& dm, const ParsedCommand& cmd) {
    if (cmd.field(1) != "OK") {
        ShowMessage(DialogKind::Error, LangText(13));
        return;
    }
    ShowMessage(DialogKind::Information, "New user \"" + FromAnsi(cmd.field(2)) +
                                             "\" registered successfully. You may now login as this user.");
    if (dm.NewForm) dm.NewForm->close();
    if (dm.FirstForm) dm.FirstForm->SelectRegisteredAccount(cmd.field(2), cmd.field(3));
}

void onSetInfo(TDM& dm, const ParsedCommand& cmd) {
    // Only the own profile touches the saved accounts and the password used for the automatic re-logon; an
    // administrator saving someone else's profile must not add that account here.
    if (!dm.OwnNick.isEmpty() && cmd.field(1).compare(dm.OwnNick, Qt::CaseInsensitive) == 0) {
        if (!cmd.field(5).isEmpty()) dm.OwnPassword = cmd.field(5);
        dm.SaveAccount(cmd.field(1), dm.SavePassword ? cmd.field(5) : QByteArray(), {});
    }
    ShowMessage(DialogKind::Information, "Your Info Updated");
}

} // namespace

void RegisterSessionHandlers(TDM& dm) {
    TDM* d = &dm;
    dm.Dispatcher.Register("RGetVersion", [d](const ParsedCommand& c) { onGetVersion(*d, c); });
    dm.Dispatcher.Register("RLogin", [d](const ParsedCommand& c) { onLogin(*d, c); });
    dm.Dispatcher.Register("AlreadyLogin", [d](const ParsedCommand& c) { onAlreadyLogin(*d, c); });
    dm.Dispatcher.Register("CloseUser", [d](const ParsedCommand& c) { onCloseUser(*d, c); });
    dm.Dispatcher.Register("p", [d](const ParsedCommand&) { d->SendCmd("p", {d->OwnNick}); });
    dm.Dispatcher.Register("RNewUser", [d](const ParsedCommand& c) { onNewUser(*d, c); });
    dm.Dispatcher.Register("RSetInfo", [d](const ParsedCommand& c) { onSetInfo(*d, c); });
    dm.Dispatcher.Register("RCurrentVersion", [](const ParsedCommand& c) {
        ShowMessage(DialogKind::Information,
                    "Current Version: " + FromAnsi(c.field(1)) + "," + FromAnsi(c.field(2)));
    });
    dm.Dispatcher.Register("TechMsg", [](const ParsedCommand& c) {
        ShowMessage(DialogKind::Information, FromAnsi(c.field(1)));
    });
    // The server sends it to clients it drops; nothing to do.
    dm.Dispatcher.Register("DisconnectUser", [](const ParsedCommand&) {});
}

} // namespace korvex::session
