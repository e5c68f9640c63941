#pragma once

#include "formats/SkinFile.h"
#include "net/Command.h"
#include "session/CommandDispatcher.h"
#include "session/MainWindowApi.h"
#include "session/MemoryTable.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <optional>

class QSoundEffect;

namespace korvex::net {
class TBBClient;
}
namespace korvex::platform {
class Timer;
}

namespace korvex::session {

class TFirstForm;
class TNewForm;

// A room window as the reconnection needs it (the rooms layer answers through TDM::FindRoomWindow).
struct RoomWindowRef {
    QByteArray group;
    QByteArray room;
    bool invisible = false;
};

enum class TrayState { Off, Connecting, On };

// The data module: the command connection, the shared tables, the timers, the start-up values and the session
// values. One instance (DM) lives for the whole run.
class TDM : public QObject {
    Q_OBJECT
public:
    explicit TDM(QObject* parent = nullptr);
    ~TDM() override;

    // Start-up in the order the program relies on (folders, files, options, language, skin, page files,
    // tables).
    void DataModuleCreate();
    // Empties Data/Temp.
    void DataModuleDestroy();

    // ---- start-up values
    QString AppDir;
    QByteArray ClientVersion = "3.26";
    QByteArray MacAddress;
    QByteArray WebHost;
    QByteArray ChatHost;
    int ChatPort = 0;
    QByteArray BrowserKind = "None";
    QByteArray EchoPresetName;
    QByteArray EditColorHtml;
    QByteArray MailDomain = "korvex.chat";
    QStringList Arguments; // command line, program name first
    QString ExecutablePath;

    // ---- configuration and language
    QByteArray Language;
    int FontCharset = 0;
    QByteArray FontName;
    int LabelFontSize = 0, ButtonFontSize = 0, EditFontSize = 0, TitleFontSize = 0;
    QList<QByteArray> Messages; // 1024 entries
    QByteArray Lang(int n) const { return n >= 0 && n < Messages.size() ? Messages[n] : QByteArray(); }
    bool AutoLoginOption = true;
    formats::SkinSettings Skin;

    QByteArray DetectLanguage(const QString& localeLanguageName = {}) const;
    void LoadLanguage(const QByteArray& name);
    void SaveFontConfig();
    void WriteOptLine(int index, const QByteArray& text);
    void ReadOptAndFont();
    void ReadStartOptions();
    void WriteStartOptions();
    void ApplyStartWithWindows();
    QString IniPath() const;
    void WritePageFiles();

    // ---- session values
    QByteArray OwnNick, OwnPassword, OwnCountry, UserType, OwnEmail, OwnFullName;
    bool RestrictNoText = false, RestrictNoVideo = false, RestrictNoVoice = false, RestrictNoAll = false;
    int SoundPort = 0, VideoPort = 0;
    bool LoggedIn = false, HoldsMic = false, AutoLogonActive = false, SavePassword = false, HighSpeed = false;
    bool StartWithWindows = true;
    QByteArray RoomPassword, RoomAdminCode;
    QByteArray MailUser, MailPassword, MailAddress;
    QByteArray PcId() const;

    // ---- tables
    MemoryTable AUserTable{{"Name", 32}, {"Country", 3}, {"Status", 10}, {"Sex", 1}, {"Age", 2}, {"CL", 1}};
    MemoryTable PUserTable{{"Name", 32}, {"Country", 3}, {"Sex", 1}, {"Age", 20}, {"CL", 1}};
    MemoryTable CountryTable{{"N", 4}, {"Name", 24}};
    MemoryTable MsgFormTable{{"FormName", 20}, {"Name", 32}, {"Flash", 1}};
    MemoryTable ChatFormTable{{"FormName", 20}, {"Name", 32}, {"Flash", 1}};
    MemoryTable InfoTable{{"Info", 255}};
    MemoryTable BlockedUsers{{"Name", 32}};
    QByteArray BlockListText; // the blocked names, each followed by CR LF
    int InfoShownRow = -1;    // the bulletin row the scrolling panel shows
    bool LoadTableFile(MemoryTable& table, const QString& path);

    // ---- saved accounts (Data/user.dbf)
    QString UserDbfPath() const;
    void EnsureUserTable();
    void SaveAccount(const QByteArray& name, const QByteArray& password, const QByteArray& email);
    struct Account {
        QByteArray name, pass, email;
    };
    QList<Account> Accounts() const;
    std::optional<Account> FindAccount(const QByteArray& name) const; // exact

    // ---- codecs
    void LoadCodecInfo(const QByteArray& text);
    int GetCodecBufferSize(const QByteArray& codec) const;
    QList<std::pair<QByteArray, int>> CodecTable;

    // ---- components
    net::TBBClient* MainClient = nullptr;
    platform::Timer* CheckConnectTimer = nullptr;
    platform::Timer* PingTimer = nullptr;
    platform::Timer* CloseTimer = nullptr;
    platform::Timer* VoiceMailDLTimer = nullptr;
    CommandDispatcher Dispatcher;

    // Sends one command on the command connection (nothing while it is closed).
    void SendCmd(const QByteArray& name, std::initializer_list<QByteArray> fields = {});
    // Starts the command connection as the logon window's first show does.
    void StartConnection();

    // ---- windows and hooks of the layers above
    QPointer<TFirstForm> FirstForm;
    QPointer<TNewForm> NewForm;
    MainWindowApi* MainForm = nullptr;
    std::function<MainWindowApi*()> MainFormFactory;
    std::function<std::optional<RoomWindowRef>(const QByteArray& formName)> FindRoomWindow;
    std::function<void(const QByteArray& formName)> CloseRoomWindow;
    std::function<void()> OpenVoicemailStore;
    std::function<void(bool visible)> ShowFileTransfers;
    // Ends the program (closing the hidden main form); tests replace it.
    std::function<void()> CloseApplication;

    // ---- program end and sounds
    void Quit();
    void PlaySystemSound(const QString& fileName);
    QString LastSoundPlayed;
    TrayState Tray = TrayState::Off;

    // ---- connection events and handlers
    void MainClientLookup();
    void MainClientConnecting();
    void MainClientConnect();
    void MainClientDisconnect();
    void MainClientRead(const QByteArray& frame);
    void CheckConnectTimerTimer();
    void PingTimerTimer();
    void CloseTimerTimer();
    void ClearMainWindowPointer();

signals:
    void TrayStateChanged(korvex::session::TrayState state);
    void MainFormCreated();
    // A contact alert ("... has just logged in") or a voicemail alert for the desktop alerts.
    void AlertRequested(int which, const QString& text);

private:
    void setTray(TrayState state);
    QSoundEffect* m_sound = nullptr;
};

extern TDM* DM;

// Registers the handlers of the session commands (version, logon, forced log-off, keep-alive, registration
// reply, profile saved, server information) into dm.Dispatcher.
void RegisterSessionHandlers(TDM& dm);

// Language text n as shown in the UI.
QString LangText(int n);
// Bytes of the ANSI code page <-> text at the UI edge.
QString FromAnsi(const QByteArray& bytes);
QByteArray ToAnsi(const QString& text);

} // namespace korvex::session
