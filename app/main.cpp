// The Korvex client: one instance per user, the program folder prepared, the data module and the logon
// window.
//
// Options beside the ones the program always had (a first parameter "EXTRABUFFER=ms"):
//   --logon NICK PASSWORD   fill the logon window and log on as soon as the server is ready (demo, tests)
// Environment:
//   KORVEX_HOME             the program folder (else portable folder or ~/.local/share/korvex)
//   KORVEX_DATA_DIR         the installed default files
//   KORVEX_QUIT_AFTER_SHOW  print the time to the shown logon window and quit (start-up benchmark)
//   KORVEX_QUIT_AFTER_LOGON print the resident memory once logged on and quit (memory benchmark)

#include "contacts/Contacts.h"
#include "platform/AppPaths.h"
#include "platform/SingleInstance.h"
#include "rooms/Rooms.h"
#include "session/MainShell.h"
#include "session/TDM.h"
#include "session/TFirstForm.h"
#include "session/TResForm.h"
#include "session/TrayIcon.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>

using namespace korvex;

namespace {

QString defaultsDir(const QString& exeDir) {
    const QString env = qEnvironmentVariable("KORVEX_DATA_DIR");
    if (!env.isEmpty()) return env;
    const QString installed = QDir(exeDir).filePath("../share/korvex/data");
    if (QFileInfo::exists(installed)) return installed;
    return QStringLiteral(KORVEX_SOURCE_DATA_DIR);
}

long residentKb() {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer started;
    started.start();
    platform::SingleInstance instance("Velmora");
    if (!instance.TryAcquire()) return 0; // a second start ends silently

    QApplication app(argc, argv);
    QApplication::setApplicationName("Korvex");
    QApplication::setQuitOnLastWindowClosed(false);

    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString appDir = platform::AppPaths::ResolveAppDir(qEnvironmentVariable("KORVEX_HOME"), exeDir,
                                                             qEnvironmentVariable("XDG_DATA_HOME"));
    QDir().mkpath(appDir);
    platform::AppPaths::SetAppDir(appDir);
    platform::AppPaths::CopyDefaults(defaultsDir(exeDir) + "/Data", appDir + "Data");
    platform::AppPaths::CopyDefaults(defaultsDir(exeDir) + "/WebPages", appDir + "WebPages");

    session::TDM dm;
    dm.AppDir = appDir;
    dm.Arguments = QCoreApplication::arguments();
    dm.ExecutablePath = QCoreApplication::applicationFilePath();
    contacts::InstallContacts(dm);   // handlers and the contact list as the main window
    rooms::RegisterRoomHandlers(dm); // rooms: directory, room windows, re-join after reconnection
    dm.DataModuleCreate();

    session::TResForm resForm;
    auto* logon = new session::TFirstForm(dm);
    logon->setAttribute(Qt::WA_DeleteOnClose);
    session::TrayIcon tray(dm);

    const QStringList args = dm.Arguments;
    const qsizetype at = args.indexOf("--logon");
    if (at >= 0 && at + 2 < args.size()) {
        const QString nick = args[at + 1], pass = args[at + 2];
        QObject::connect(
            logon, &session::TFirstForm::Ready, logon,
            [logon, nick, pass] {
                logon->NameBox->setEditText(nick);
                logon->PassEdit->setText(pass);
                logon->LoginButClick();
            },
            Qt::SingleShotConnection);
    }
    if (qEnvironmentVariableIsSet("KORVEX_QUIT_AFTER_SHOW")) {
        QTimer::singleShot(0, &app, [&] {
            std::printf("shown_ms %lld\n", static_cast<long long>(started.elapsed()));
            std::fflush(stdout);
            QCoreApplication::quit();
        });
    }
    if (qEnvironmentVariableIsSet("KORVEX_QUIT_AFTER_LOGON")) {
        QObject::connect(&dm, &session::TDM::MainFormCreated, &app, [&] {
            QTimer::singleShot(200, &app, [] {
                std::printf("rss_kb %ld\n", residentKb());
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        });
    }

    logon->show();
    const int rc = app.exec();
    if (dm.MainForm) delete dm.MainForm->Widget();
    dm.DataModuleDestroy();
    return rc;
}
