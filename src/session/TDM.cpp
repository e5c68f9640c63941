#include "session/TDM.h"

#include "formats/Dbf.h"
#include "formats/IniFile.h"
#include "formats/LineFile.h"
#include "formats/TableFile.h"
#include "net/Clock.h"
#include "net/Envelope.h"
#include "net/SendCommand.h"
#include "net/TBBClient.h"
#include "platform/AppPaths.h"
#include "platform/Autostart.h"
#include "platform/CodePage.h"
#include "platform/MacAddress.h"
#include "platform/PcId.h"
#include "platform/Timer.h"
#include "session/Dialogs.h"
#include "session/TFirstForm.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSoundEffect>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QUrl>
#include <QWidget>

namespace korvex::session {

using formats::DbfField;
using formats::DbfTable;
using platform::AppPaths;

TDM* DM = nullptr;

namespace {
constexpr int MessageCount = 1024;

const QList<DbfField>& userFields() {
    static const QList<DbfField> fields = {{"Name", 'C', 30, 0},    {"Pass", 'C', 30, 0},
                                           {"Country", 'C', 10, 0}, {"Sex", 'C', 10, 0},
                                           {"Age", 'C', 10, 0},     {"email", 'C', 40, 0}};
    return fields;
}
} // namespace

QString FromAnsi(const QByteArray& bytes) {
    QStringDecoder decoder("windows-1252");
    if (!decoder.isValid()) return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

QByteArray ToAnsi(const QString& text) {
    return platform::EncodeCodePage(text, "windows-1252");
}

QString LangText(int n) {
    return DM ? FromAnsi(DM->Lang(n)) : QString();
}

TDM::TDM(QObject* parent) : QObject(parent) {
    Messages.resize(MessageCount);
    MainClient = new net::TBBClient(this);
    CheckConnectTimer = new platform::Timer(10000, this);
    PingTimer = new platform::Timer(1000, this);
    CloseTimer = new platform::Timer(1000, this);
    VoiceMailDLTimer = new platform::Timer(500, this);
    connect(MainClient, &net::TBBClient::OnLookup, this, [this] { MainClientLookup(); });
    connect(MainClient, &net::TBBClient::OnConnecting, this, [this] { MainClientConnecting(); });
    connect(MainClient, &net::TBBClient::OnConnect, this, [this] { MainClientConnect(); });
    connect(MainClient, &net::TBBClient::OnDisconnect, this, [this] { MainClientDisconnect(); });
    connect(MainClient, &net::TBBClient::OnRead, this,
            [this](net::TBBClient*, const QByteArray& frame) { MainClientRead(frame); });
    connect(CheckConnectTimer, &platform::Timer::OnTimer, this, [this] { CheckConnectTimerTimer(); });
    connect(PingTimer, &platform::Timer::OnTimer, this, [this] { PingTimerTimer(); });
    connect(CloseTimer, &platform::Timer::OnTimer, this, [this] { CloseTimerTimer(); });
    PingTimer->SetEnabled(true);
    CloseApplication = [] { QCoreApplication::quit(); };
    if (!DM) DM = this;
    RegisterSessionHandlers(*this);
}

TDM::~TDM() {
    if (DM == this) DM = nullptr;
}

QByteArray TDM::PcId() const {
    return platform::PcId();
}

QString TDM::IniPath() const {
    return AppPaths::PathIn(AppDir, "korvex.ini");
}

QString TDM::UserDbfPath() const {
    return AppPaths::PathIn(AppDir, "Data/user.dbf");
}

void TDM::DataModuleCreate() {
    if (AppDir.isEmpty()) AppDir = AppPaths::AppDir();
    if (!AppDir.endsWith('/')) AppDir += '/';
    QDir().mkpath(AppDir);
    // Folders first: user.dbf and the other files live in them.
    for (const char* folder :
         {"Data", "WebPages", "WebPages/Images", "Favorites", "Data/Sound", "Data/History", "Data/Lang"})
        QDir().mkpath(AppPaths::PathIn(AppDir, folder));
    EnsureUserTable();
    AutoLogonActive = false;
    ReadStartOptions();
    WriteStartOptions();
    CodecTable.clear();
    RoomPassword.clear();
    RoomAdminCode.clear();
    RestrictNoText = RestrictNoVideo = RestrictNoVoice = RestrictNoAll = false;
    // Addresses open through the desktop (xdg-open); there is no browser to talk to directly.
    BrowserKind = "None";
    ClientVersion = "3.26";
    net::SetLastSendTime(net::Clock::Now());
    OwnNick.clear();
    OwnPassword.clear();
    MacAddress = platform::MacAddress();

    const auto addr = formats::ReadLines(AppPaths::PathIn(AppDir, "Data/addr.dat"));
    if (addr) {
        WebHost = addr->value(0).trimmed();
        ChatHost = addr->value(1).trimmed();
        ChatPort = formats::SafeNumber(addr->value(2).trimmed());
    } else {
        ShowMessage(DialogKind::Information, "Please Create file \"addr.dat\"");
    }
    const auto echo = formats::ReadLines(AppPaths::PathIn(AppDir, "Data/EchoPreset.dat"));
    EchoPresetName = echo ? echo->value(0) : QByteArray("Reverb.Distance Echo");

    ReadOptAndFont();

    const QString skinPath = AppPaths::PathIn(AppDir, "Data/def.skn");
    if (!formats::ReadSkin(skinPath, Skin)) {
        Skin = formats::SkinSettings{};
        formats::WriteSkin(skinPath, Skin);
    }
    EditColorHtml = formats::ColorHtml(Skin.EditColor);
    WritePageFiles();

    const QString country = AppPaths::PathIn(AppDir, "Data/country.dat");
    if (QFileInfo::exists(country)) LoadTableFile(CountryTable, country);
}

void TDM::DataModuleDestroy() {
    const QString temp = AppPaths::PathIn(AppDir, "Data/Temp");
    QDir dir(temp);
    if (!dir.exists()) return;
    for (const QString& f : dir.entryList(QDir::Files | QDir::Hidden))
        dir.remove(f);
}

// ---------------------------------------------------------------- configuration

void TDM::ReadStartOptions() {
    formats::IniFile ini(IniPath());
    StartWithWindows = ini.ReadBool("CONFIG", "StartWithWindows", true);
    AutoLoginOption = ini.ReadBool("CONFIG", "AutoLogin", true);
    ApplyStartWithWindows();
}

void TDM::WriteStartOptions() {
    formats::IniFile ini(IniPath());
    ini.WriteBool("CONFIG", "StartWithWindows", StartWithWindows);
    ini.WriteBool("CONFIG", "AutoLogin", AutoLoginOption);
    ini.UpdateFile();
}

void TDM::ApplyStartWithWindows() {
    QString exe = ExecutablePath;
    if (exe.isEmpty() && QCoreApplication::instance()) exe = QCoreApplication::applicationFilePath();
    platform::SetStartWithWindows(StartWithWindows, exe, qEnvironmentVariable("KORVEX_AUTOSTART_DIR"));
}

QByteArray TDM::DetectLanguage(const QString& localeLanguageName) const {
    QString name = localeLanguageName.isEmpty() ? QLocale::languageToString(QLocale::system().language())
                                                : localeLanguageName;
    name = name.section(' ', 0, 0);
    QByteArray lang = ToAnsi(name);
    if (lang == QByteArray("\xC7\xE1\xDA\xD1\xC8\xED\xC9") || name == "Arabic" ||
        name == QString::fromUtf8("العربية"))
        lang = "arabic";
    lang = lang.toLower();
    const QString file = AppPaths::PathIn(AppDir, "Data/Lang/" + FromAnsi(lang) + ".txt");
    if (lang.isEmpty() || !QFileInfo::exists(file)) return "english";
    return lang;
}

void TDM::LoadLanguage(const QByteArray& name) {
    const QByteArray lower = name.toLower();
    // A language name is a file name inside Data/Lang; anything that could leave the folder is no language.
    const bool safe =
        !lower.isEmpty() && !lower.contains('/') && !lower.contains('\\') && !lower.contains("..");
    QFile f(AppPaths::PathIn(AppDir, "Data/Lang/" + FromAnsi(lower) + ".txt"));
    if (!safe || !f.open(QIODevice::ReadOnly)) {
        Language = "english";
        return;
    }
    QByteArray text = f.readAll();
    Messages = QList<QByteArray>(MessageCount);
    int n = 0;
    qsizetype pos = 0;
    for (; n < MessageCount; ++n) {
        const qsizetype end = text.indexOf("\r\n", pos);
        if (end < 0) {
            Messages[n] = text.mid(pos);
            break;
        }
        Messages[n] = text.mid(pos, end - pos);
        pos = end + 2;
    }
}

void TDM::SaveFontConfig() {
    formats::WriteLines(AppPaths::PathIn(AppDir, "Data/font.dat"),
                        {Language, QByteArray::number(FontCharset), FontName,
                         QByteArray::number(LabelFontSize), QByteArray::number(ButtonFontSize),
                         QByteArray::number(EditFontSize), QByteArray::number(TitleFontSize)});
    LoadLanguage(Language);
}

void TDM::WriteOptLine(int index, const QByteArray& text) {
    if (index < 0) return;
    const QString path = AppPaths::PathIn(AppDir, "Data/opt.dat");
    QList<QByteArray> lines = formats::ReadLines(path).value_or(QList<QByteArray>{});
    while (lines.size() <= index)
        lines.append(QByteArray());
    lines[index] = text;
    formats::WriteLines(path, lines);
}

void TDM::ReadOptAndFont() {
    const QString optPath = AppPaths::PathIn(AppDir, "Data/opt.dat");
    if (const auto opt = formats::ReadLines(optPath)) {
        SavePassword = formats::SafeNumber(opt->value(1)) != 0;
        HighSpeed = opt->size() < 3 || formats::SafeNumber(opt->value(2)) != 0;
    } else {
        formats::WriteLines(optPath, {"", "1"});
        SavePassword = true;
    }
    const QString fontPath = AppPaths::PathIn(AppDir, "Data/font.dat");
    if (const auto font = formats::ReadLines(fontPath)) {
        const auto& l = *font;
        if (l.size() > 0) Language = l[0];
        if (l.size() > 1) {
            bool ok = false;
            FontCharset = l[1].trimmed().toInt(&ok);
            if (!ok) FontCharset = 1;
        }
        if (l.size() > 2) FontName = l[2];
        if (l.size() > 3) LabelFontSize = formats::SafeNumber(l[3]);
        if (l.size() > 4) ButtonFontSize = formats::SafeNumber(l[4]);
        if (l.size() > 5) EditFontSize = formats::SafeNumber(l[5]);
        if (l.size() > 6) TitleFontSize = formats::SafeNumber(l[6]);
    } else {
        Language = DetectLanguage();
        FontCharset = 1;
        FontName = "Tahoma";
        LabelFontSize = ButtonFontSize = EditFontSize = 8;
        TitleFontSize = 10;
        formats::WriteLines(fontPath, {Language, "1", FontName, "8", "8", "8", "10"});
    }
    LoadLanguage(Language);
}

void TDM::WritePageFiles() {
    const QByteArray bodyTag = "<BODY bgcolor=\"" + EditColorHtml + "\" topmargin=\"0\">";
    const QByteArray single = "<HTML>" + bodyTag;
    formats::WriteLines(AppPaths::PathIn(AppDir, "Data/msg.html"), {single});
    formats::WriteLines(AppPaths::PathIn(AppDir, "Data/chat.html"), {single});
    QStringList pages = {"Data/smile.html"};
    for (int n = 1; n <= 20; ++n)
        pages << QString("Data/%1.html").arg(n);
    for (const QString& page : pages) {
        const QString path = AppPaths::PathIn(AppDir, page);
        auto lines = formats::ReadLines(path);
        if (!lines) continue;
        // A page shorter than two lines gets the body line added instead of failing the start.
        while (lines->size() < 2)
            lines->append(QByteArray());
        (*lines)[1] = bodyTag;
        formats::WriteLines(path, *lines);
    }
    for (const char* page : {"Data/chat.html", "Data/msg.html"}) {
        const QString path = AppPaths::PathIn(AppDir, page);
        if (!QFileInfo::exists(path))
            formats::WriteLines(path, {"<HTML><BODY bgcolor=\"#FEFFDF\" topmargin=\"0\">"});
    }
}

bool TDM::LoadTableFile(MemoryTable& table, const QString& path) {
    const auto data = formats::ReadTableFile(path);
    if (!data) return false;
    QList<MemoryTable::Field> fields;
    for (const auto& f : data->fields)
        fields.append({f.name, f.size});
    table.SetFields(fields);
    for (const auto& record : data->records)
        table.AppendRow(record);
    table.First();
    return true;
}

// ---------------------------------------------------------------- saved accounts

void TDM::EnsureUserTable() {
    const QString path = UserDbfPath();
    if (QFileInfo::exists(path)) return;
    try {
        DbfTable::Create(path, userFields());
    } catch (const formats::DbfError& e) {
        qWarning() << "cannot create" << path << e.what();
    }
}

void TDM::SaveAccount(const QByteArray& name, const QByteArray& password, const QByteArray& email) {
    EnsureUserTable();
    try {
        DbfTable t;
        t.Open(UserDbfPath());
        if (t.Locate("Name", name.trimmed(), Qt::CaseInsensitive)) {
            t.SetFieldValue("Pass", password);
        } else {
            t.Append();
            t.SetFieldValue("Name", name);
            t.SetFieldValue("Pass", password);
            t.SetFieldValue("email", email.toLower());
        }
        t.Post();
    } catch (const formats::DbfError& e) {
        // A damaged table is left as it is rather than overwritten: it may hold other accounts.
        qWarning() << "saved accounts not updated:" << e.what();
    }
}

QList<TDM::Account> TDM::Accounts() const {
    QList<Account> list;
    try {
        DbfTable t;
        t.Open(UserDbfPath());
        for (t.First(); !t.Eof(); t.Next())
            if (!t.IsDeleted())
                list.append({t.FieldValue("Name"), t.FieldValue("Pass"), t.FieldValue("email")});
    } catch (const formats::DbfError&) {
    }
    return list;
}

std::optional<TDM::Account> TDM::FindAccount(const QByteArray& name) const {
    const QByteArray wanted = name.trimmed();
    for (const Account& a : Accounts())
        if (a.name.trimmed() == wanted) return a;
    return std::nullopt;
}

// ---------------------------------------------------------------- codecs

void TDM::LoadCodecInfo(const QByteArray& text) {
    CodecTable.clear();
    for (const QByteArray& line : formats::SplitLines(text)) {
        const qsizetype comma = line.indexOf(',');
        if (comma < 0) {
            CodecTable.append({line, 0});
            continue;
        }
        bool ok = false;
        const int ms = line.mid(comma + 1).trimmed().toInt(&ok);
        CodecTable.append({line.left(comma).toUpper(), ok ? ms : 4096});
    }
}

int TDM::GetCodecBufferSize(const QByteArray& codec) const {
    int ms = 2500;
    const QByteArray wanted = codec.toUpper();
    for (const auto& [name, time] : CodecTable)
        if (name == wanted) {
            ms = time;
            break;
        }
    if (Arguments.size() > 1 && Arguments[1].startsWith("EXTRABUFFER=", Qt::CaseInsensitive)) {
        bool ok = false;
        const int extra = Arguments[1].mid(12).toInt(&ok);
        if (ok) ms += extra;
    }
    return ms;
}

// ---------------------------------------------------------------- connection

void TDM::SendCmd(const QByteArray& name, std::initializer_list<QByteArray> fields) {
    net::SendCommand(*MainClient, net::MakeCommand(name, fields));
}

void TDM::StartConnection() {
    QByteArray host = ChatHost;
    // With only a web host configured the command server is taken to be on that host; waiting disabled
    // forever for a host that is never contacted helps nobody.
    if (host.isEmpty()) host = WebHost;
    if (host.isEmpty() || ChatPort <= 0 || ChatPort > 65535) return;
    if (MainClient->Active()) return;
    try {
        MainClient->SetHost(QString::fromLatin1(host));
        MainClient->SetPort(quint16(ChatPort));
    } catch (const net::TBBClientError&) {
        return; // an attempt is already under way
    }
    MainClient->SetActive(true);
    // A failed first attempt raises no disconnect; the retry timer must run from the first attempt on.
    CheckConnectTimer->SetEnabled(true);
}

void TDM::setTray(TrayState state) {
    Tray = state;
    emit TrayStateChanged(state);
}

void TDM::MainClientLookup() {
    if (FirstForm) FirstForm->SetStatus("Lookup...");
    setTray(TrayState::Connecting);
}

void TDM::MainClientConnecting() {
    if (FirstForm) FirstForm->SetStatus("Connecting...");
    setTray(TrayState::Connecting);
}

void TDM::MainClientConnect() {
    if (LoggedIn && !OwnNick.isEmpty() && !OwnPassword.isEmpty() && !MacAddress.isEmpty()) {
        for (int r = AUserTable.RecordCount() - 1; r >= 0; --r)
            if (AUserTable.ValueAt(r, "Name").compare(OwnNick, Qt::CaseInsensitive) != 0)
                AUserTable.DeleteRow(r);
        SendCmd("Login", {OwnNick, OwnPassword, MacAddress, PcId()});
        if (!ChatFormTable.Eof() && FindRoomWindow) {
            if (const auto room = FindRoomWindow(ChatFormTable.Value("FormName")))
                SendCmd("JoinRoom", {OwnNick, room->group, room->room, RoomPassword,
                                     room->invisible ? QByteArray("1") : QByteArray("0"), RoomAdminCode});
        }
    }
    setTray(TrayState::On);
    PlaySystemSound("Connect.wav");
    // The version request travels uncompressed; EncodeCommand knows it by its text.
    SendCmd("GetVersion");
}

void TDM::MainClientDisconnect() {
    setTray(TrayState::Off);
    if (LoggedIn || !FirstForm) {
        for (int r = AUserTable.RecordCount() - 1; r >= 0; --r) {
            const QByteArray name = AUserTable.ValueAt(r, "Name");
            if (MainForm) MainForm->DeleteContactNode("AIM", name);
            if (name != OwnNick) AUserTable.DeleteRow(r);
        }
        if (MainForm) MainForm->RepaintList();
    } else {
        FirstForm->SetConnecting();
    }
    CheckConnectTimer->SetEnabled(true);
}

void TDM::MainClientRead(const QByteArray& frame) {
    FrameScope scope;
    QString error;
    const QByteArray text = net::DecodeFrameBody(frame, &error);
    if (!error.isEmpty()) {
        ShowMessage(DialogKind::Error, error);
        return;
    }
    net::CommandReader reader(text);
    net::ParsedCommand cmd;
    while (reader.Next(cmd)) {
        try {
            Dispatcher.Dispatch(cmd);
        } catch (const std::exception& e) {
            // One bad command must not stop the ones after it in the same frame.
            qWarning() << "handler for" << cmd.name << "failed:" << e.what();
        }
    }
}

void TDM::CheckConnectTimerTimer() {
    CheckConnectTimer->SetEnabled(false);
    if (!MainClient->Active()) MainClient->SetActive(true);
    CheckConnectTimer->SetEnabled(true);
}

void TDM::PingTimerTimer() {
    if (!MainClient->Active()) return;
    if (net::LastSendTime().msecsTo(net::Clock::Now()) >= 20000) SendCmd("p", {OwnNick});
}

void TDM::Quit() {
    if (MainForm) MainForm->DeactivateInfoPanel();
    CloseTimer->SetEnabled(true);
}

void TDM::CloseTimerTimer() {
    CloseTimer->SetEnabled(false);
    if (CloseApplication) CloseApplication();
}

void TDM::ClearMainWindowPointer() {
    MainForm = nullptr;
}

void TDM::PlaySystemSound(const QString& fileName) {
    const QString path = AppPaths::PathIn(AppDir, "Data/Sound/" + fileName);
    if (fileName.contains('/') || !QFileInfo::exists(path)) return;
    LastSoundPlayed = fileName;
    if (qEnvironmentVariableIsSet("KORVEX_NO_SOUND")) return;
    if (!m_sound) m_sound = new QSoundEffect(this);
    m_sound->setSource(QUrl::fromLocalFile(path));
    m_sound->play();
}

} // namespace korvex::session
