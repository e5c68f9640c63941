#include "SessionFixture.h"

#include "net/Envelope.h"
#include "platform/AppPaths.h"
#include "session/MainShell.h"
#include "session/TFirstForm.h"
#include "session/TNewForm.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

using namespace korvex;

FakeServer::FakeServer() {
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* s = m_server.nextPendingConnection()) {
            m_clients.append(s);
            auto assembler = std::make_shared<net::FrameAssembler>();
            connect(s, &QTcpSocket::readyRead, this, [this, s, assembler] {
                assembler->Feed(s->readAll(), [this, s](const QByteArray& body) {
                    QByteArray text = net::DecodeFrameBody(body);
                    net::ParsedCommand cmd;
                    while (net::NextCommand(text, cmd))
                        onCommand(s, cmd);
                });
            });
        }
    });
}

bool FakeServer::Listen(quint16 port) {
    if (!m_server.listen(QHostAddress::LocalHost, port)) return false;
    m_port = m_server.serverPort();
    return true;
}

void FakeServer::StopListening() {
    m_server.close();
}

void FakeServer::DropClients() {
    for (const auto& s : m_clients)
        if (s) s->disconnectFromHost();
    m_clients.clear();
}

void FakeServer::Send(const QByteArray& name, std::initializer_list<QByteArray> fields) {
    const QByteArray frame = net::PrefixLength(net::EncodeCommandRaw(net::MakeCommand(name, fields)));
    for (const auto& s : m_clients)
        if (s) s->write(frame);
}

void FakeServer::onCommand(QTcpSocket* s, const net::ParsedCommand& cmd) {
    received.append(cmd);
    auto reply = [s](const QByteArray& name, std::initializer_list<QByteArray> fields) {
        s->write(net::PrefixLength(net::EncodeCommandRaw(net::MakeCommand(name, fields))));
    };
    if (cmd.name == "GetVersion") {
        reply("RGetVersion", {"", version, "http://korvex.example/download", "GSM2,3000\r\nSPEEX_WB,2000"});
    } else if (cmd.name == "Login") {
        if (cmd.field(2) == password)
            reply("RLogin", {"OK", cmd.field(1), cmd.field(2), "276", "0", "", "0000", "#000080", "7001",
                             "7002", cmd.field(1).toLower() + "@example.org", "Full Name"});
        else
            reply("RLogin", {"NO"});
    } else if (cmd.name == "NewUser" && answerNewUser) {
        reply("RNewUser", {"OK", cmd.field(1), cmd.field(2)});
    }
}

QList<QByteArray> FakeServer::ReceivedNames() const {
    QList<QByteArray> names;
    for (const auto& c : received)
        names.append(c.name);
    return names;
}

int FakeServer::Count(const QByteArray& name) const {
    return int(ReceivedNames().count(name));
}

void SessionTest::SetUp() {
    ASSERT_TRUE(home.isValid());
    qputenv("KORVEX_AUTOSTART_DIR", home.filePath("autostart").toUtf8());
    qputenv("KORVEX_NO_SOUND", "1");
    session::InstallDialogService(&dialogs);
    platform::TimerHub::Instance().SetManual(true);
    // The english messages the program ships.
    QDir().mkpath(home.filePath("Data/Lang"));
    QFile::copy(KORVEX_SOURCE_DATA_DIR "/Data/Lang/english.txt", home.filePath("Data/Lang/english.txt"));
    QDir().mkpath(home.filePath("Data/Sound"));
    QFile::copy(KORVEX_SOURCE_DATA_DIR "/Data/Sound/Connect.wav", home.filePath("Data/Sound/Connect.wav"));
    dm = std::make_unique<session::TDM>();
    dm->AppDir = home.path() + "/";
    dm->CloseApplication = [this] { ++closed; };
    dm->MainFormFactory = [this]() -> session::MainWindowApi* { return new session::MainShell(*dm); };
}

void SessionTest::TearDown() {
    if (dm && dm->MainForm) delete dm->MainForm->Widget();
    if (dm && dm->FirstForm) delete dm->FirstForm.data();
    if (dm && dm->NewForm) delete dm->NewForm.data();
    dm.reset();
    QCoreApplication::processEvents();
    platform::TimerHub::Instance().SetManual(false);
    session::InstallDialogService(nullptr);
}

void SessionTest::WriteAppFile(const QString& relative, const QByteArray& bytes) {
    const QString path = home.filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

QByteArray SessionTest::ReadAppFile(const QString& relative) const {
    QFile f(home.filePath(relative));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

void SessionTest::StartDataModule(const QByteArray& addr) {
    // Into the data folder as it is spelled on disk.
    WriteAppFile(platform::AppPaths::PathIn(home.path(), "Data/addr.dat").mid(home.path().size() + 1), addr);
    dm->DataModuleCreate();
}

void SessionTest::StartDataModuleForServer() {
    ASSERT_TRUE(server.Listen());
    StartDataModule("localhost\r\n127.0.0.1\r\n" + QByteArray::number(server.Port()) + "\r\n");
}

bool SessionTest::WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void SessionTest::Advance(qint64 ms) {
    platform::TimerHub::Instance().Advance(ms);
    QCoreApplication::processEvents();
}
