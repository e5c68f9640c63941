// The client's room command handlers fed arbitrary commands while two room windows are open: windows may
// close, lists change and lines arrive in any order without a crash. Input: commands separated by '\n', each
// "name|field|field...".
#include "rooms/Rooms.h"
#include "rooms/TChatForm.h"
#include "session/Dialogs.h"
#include "session/TDM.h"

#include <QApplication>
#include <QDir>
#include <cstdint>

namespace {

korvex::session::TDM* dataModule() {
    static int argc = 1;
    static char name[] = "fuzz_rooms_client";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    static korvex::session::ScriptedDialogs dialogs;
    static korvex::session::TDM* dm = [] {
        Q_UNUSED(app)
        korvex::session::InstallDialogService(&dialogs);
        korvex::rooms::Ui().ShowWindows = false;
        auto* d = new korvex::session::TDM;
        d->OwnNick = "alice";
        d->AppDir = QDir::tempPath() + "/korvex-fuzz-rooms/";
        QDir(d->AppDir).removeRecursively(); // drawings of an earlier run
        korvex::rooms::RegisterRoomHandlers(*d);
        return d;
    }();
    return dm;
}

void dispatch(korvex::session::TDM& dm, const QByteArray& line) {
    QList<QByteArray> parts = line.split('|');
    korvex::net::ParsedCommand c;
    c.name = parts.takeFirst();
    for (int i = 0; i < parts.size() && i < korvex::net::CommandFieldCount; ++i)
        c.fields[size_t(i)] = parts[i];
    dm.Dispatcher.Dispatch(c);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    korvex::session::TDM& dm = *dataModule();
    dispatch(dm, "RJoinRoom|Welcome|0|Lobby||||GSM1");
    dispatch(dm, "RJoinRoom|Quiet|1|Lobby");
    dispatch(dm, "ChatOnLine|bob|Welcome|0|0|0000|1|0|255|0|0");
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QByteArray& line : input.split('\n'))
        dispatch(dm, line);
    for (korvex::rooms::TChatForm* f : korvex::rooms::TChatForm::All(dm))
        delete f;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
