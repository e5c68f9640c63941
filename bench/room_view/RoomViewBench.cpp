// Adding one received line to a room window whose history already holds 1,000 lines (filtering, smileys,
// history bound and the view), against QTextEdit::append of the same HTML into a view capped at 1,000 blocks.
#include "rooms/Rooms.h"
#include "rooms/TChatForm.h"
#include "session/TDM.h"
#include "support/Ratio.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTextEdit>
#include <benchmark/benchmark.h>

using namespace korvex;

namespace {

QByteArray line(int i) {
    return "<font size=\"3\" color=\"#800000\"><b>bob: </b></font><b><font size=\"3\" face=\"Tahoma\" "
           "color=\"#000080\">message number " +
           QByteArray::number(i) + " with <a href=\"http://korvex.example/\">a link</a></font></b>";
}

void BM_RoomLineAppend(benchmark::State& state) {
    QTemporaryDir home;
    session::TDM dm;
    dm.AppDir = home.path() + "/";
    dm.OwnNick = "alice";
    rooms::TChatForm f(dm, "Lounge", "Lobby");
    f.resize(800, 600);
    f.show();
    for (int i = 0; i < 1000; ++i)
        f.AddChatLine("bob", line(i), true);
    int i = 1000;
    for (auto _ : state)
        f.AddChatLine("bob", line(i++), true);
}

void BM_QTextEditAppend(benchmark::State& state) {
    QTextEdit edit;
    edit.resize(560, 500);
    edit.document()->setMaximumBlockCount(1000);
    edit.show();
    for (int i = 0; i < 1000; ++i)
        edit.append(QString::fromLatin1(line(i) + "<br> "));
    int i = 1000;
    for (auto _ : state)
        edit.append(QString::fromLatin1(line(i++) + "<br> "));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    benchmark::RegisterBenchmark("RoomLineAppend", BM_RoomLineAppend);
    benchmark::RegisterBenchmark("QTextEditAppend", BM_QTextEditAppend);
    korvex::bench::DeclareRatio("room_line_append", "QTextEditAppend", "RoomLineAppend");
    return korvex::bench::RunWithRatios(argc, argv);
}
