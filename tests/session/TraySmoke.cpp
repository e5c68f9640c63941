// Real-window check of the tray icon on an X server with a system tray (run by tray_smoke.sh under Xvfb with
// trayer): the icon gets embedded, and its menu's "Hide", "Show" and "Exit" act on the windows and end the
// program through Quit. Prints what failed and returns non-zero on failure.

#include "platform/Timer.h"
#include "session/Dialogs.h"
#include "session/TDM.h"
#include "session/TFirstForm.h"
#include "session/TResForm.h"
#include "session/TrayIcon.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <cstdio>

using namespace korvex;

namespace {
int failures = 0;
void check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    if (!ok) ++failures;
}
bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}
QAction* action(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions())
        if (a->text() == text) return a;
    return nullptr;
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("KORVEX_AUTOSTART_DIR", home.filePath("autostart").toUtf8());
    qputenv("KORVEX_NO_SOUND", "1");
    session::ScriptedDialogs dialogs;
    session::InstallDialogService(&dialogs);
    session::TDM dm;
    dm.AppDir = home.path() + "/";
    int closed = 0;
    dm.CloseApplication = [&] { ++closed; };
    dm.DataModuleCreate();
    session::TResForm res;
    auto* logon = new session::TFirstForm(dm);
    logon->show();
    session::TrayIcon tray(dm);

    check(waitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10000),
          "a system tray is available");
    if (!tray.Icon()->isVisible()) tray.Icon()->show();
    check(waitFor([&] { return tray.Icon()->isVisible() && !tray.Icon()->geometry().isEmpty(); }, 10000),
          "the icon is embedded in the tray");
    check(tray.Icon()->toolTip() == "Korvex 3.26", "the icon's hint");

    action(tray.MainPopup(), "Hide")->trigger();
    check(waitFor([&] { return !logon->isVisible(); }, 3000), "\"Hide\" hides the logon window");
    action(tray.MainPopup(), "Show")->trigger();
    check(waitFor([&] { return logon->isVisible(); }, 3000), "\"Show\" shows it again");

    dialogs.shown.clear();
    dialogs.answers = {true};
    action(tray.MainPopup(), "Exit")->trigger();
    check(dialogs.Texts() == QStringList{"Are you sure you want to exit?"}, "\"Exit\" asks first");
    check(waitFor([&] { return closed == 1; }, 5000), "\"Exit\" ends the program through Quit");
    delete logon;
    session::InstallDialogService(nullptr);
    return failures == 0 ? 0 : 1;
}
