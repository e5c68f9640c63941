// Adding one received line to a room window whose history already holds 1,000 lines (filtering, smileys,
// history bound and the view), against QTextEdit::append of the same HTML into a view capped at 1,000 blocks.
// The other pairs do the same with smileys in every line, the smiley folder holding the shipped pictures:
// once with shipped smileys and once with pictures the folder lacks (their tags name the web host, and the
// view asks for them again at every layout until they arrive). Their baseline appends the line with the
// smileys already turned into picture tags.
#include "contacts/Smileys.h"
#include "rooms/Rooms.h"
#include "rooms/TChatForm.h"
#include "session/TDM.h"
#include "support/Ratio.h"

#include <QApplication>
#include <QDir>
#include <QFile>
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

QByteArray webSmileyLine(int i) {
    return "<font size=\"3\" color=\"#800000\"><b>bob: </b></font><b><font size=\"3\" face=\"Tahoma\" "
           "color=\"#000080\">message number " +
           QByteArray::number(i) + " |50| with |77|</font></b>";
}

QByteArray smileyLine(int i) {
    return "<font size=\"3\" color=\"#800000\"><b>bob: </b></font><b><font size=\"3\" face=\"Tahoma\" "
           "color=\"#000080\">message number " +
           QByteArray::number(i) + " :-) with a grin :D</font></b>";
}

// A program folder whose smiley folder holds the pictures shipped with the program.
void installSmileys(const QString& appDir) {
    const QDir source(KORVEX_SOURCE_DATA_DIR "/WebPages/Images");
    const QString target = appDir + "WebPages/Images";
    QDir().mkpath(target);
    for (const QString& name : source.entryList(QDir::Files))
        QFile::copy(source.filePath(name), target + "/" + name);
}

enum class Pictures { None, Local };

void appendToRoom(benchmark::State& state, QByteArray (*make)(int), Pictures pictures) {
    QTemporaryDir home;
    session::TDM dm;
    dm.AppDir = home.path() + "/";
    dm.OwnNick = "alice";
    dm.WebHost = "web.example";
    if (pictures == Pictures::Local) installSmileys(dm.AppDir);
    rooms::TChatForm f(dm, "Lounge", "Lobby");
    f.resize(800, 600);
    f.show();
    for (int i = 0; i < 1000; ++i)
        f.AddChatLine("bob", make(i), true);
    int i = 1000;
    for (auto _ : state)
        f.AddChatLine("bob", make(i++), true);
}

void appendToTextEdit(benchmark::State& state, QByteArray (*make)(int), Pictures pictures) {
    QTemporaryDir home;
    std::unique_ptr<contacts::SmileyTable> table;
    if (pictures == Pictures::Local) {
        installSmileys(home.path() + "/");
        table = std::make_unique<contacts::SmileyTable>(home.path() + "/WebPages/Images", "web.example");
    }
    auto html = [&](int n) {
        const QByteArray text = make(n);
        return QString::fromLatin1((table ? table->ExpandSmileys(text) : text) + "<br> ");
    };
    QTextEdit edit;
    edit.resize(560, 500);
    edit.document()->setMaximumBlockCount(1000);
    edit.show();
    for (int i = 0; i < 1000; ++i)
        edit.append(html(i));
    int i = 1000;
    for (auto _ : state)
        edit.append(html(i++));
}

void BM_RoomLineAppend(benchmark::State& state) {
    appendToRoom(state, line, Pictures::None);
}
void BM_QTextEditAppend(benchmark::State& state) {
    appendToTextEdit(state, line, Pictures::None);
}
void BM_RoomSmileyLineAppend(benchmark::State& state) {
    appendToRoom(state, smileyLine, Pictures::Local);
}
void BM_QTextEditSmileyAppend(benchmark::State& state) {
    appendToTextEdit(state, smileyLine, Pictures::Local);
}
void BM_RoomWebSmileyLineAppend(benchmark::State& state) {
    appendToRoom(state, webSmileyLine, Pictures::Local);
}
void BM_QTextEditWebSmileyAppend(benchmark::State& state) {
    appendToTextEdit(state, webSmileyLine, Pictures::Local);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    benchmark::RegisterBenchmark("RoomLineAppend", BM_RoomLineAppend);
    benchmark::RegisterBenchmark("QTextEditAppend", BM_QTextEditAppend);
    benchmark::RegisterBenchmark("RoomSmileyLineAppend", BM_RoomSmileyLineAppend);
    benchmark::RegisterBenchmark("QTextEditSmileyAppend", BM_QTextEditSmileyAppend);
    benchmark::RegisterBenchmark("RoomWebSmileyLineAppend", BM_RoomWebSmileyLineAppend);
    benchmark::RegisterBenchmark("QTextEditWebSmileyAppend", BM_QTextEditWebSmileyAppend);
    korvex::bench::DeclareRatio("room_line_append", "QTextEditAppend", "RoomLineAppend");
    korvex::bench::DeclareRatio("room_line_append_smiley", "QTextEditSmileyAppend", "RoomSmileyLineAppend");
    korvex::bench::DeclareRatio("room_line_append_web_smiley", "QTextEditWebSmileyAppend",
                                "RoomWebSmileyLineAppend");
    return korvex::bench::RunWithRatios(argc, argv);
}
