// Filling a room of 5,000 users: the server's "ChatOnLine" answers, batched in envelopes, dispatched into an
// open room window with its user list on screen (offscreen platform), against the floor of the job: 5,000
// sorted insertions of the same keys into a vector plus 5,000 rows appended to a plain list model.
#include "net/Command.h"
#include "net/Envelope.h"
#include "rooms/RoomUserList.h"
#include "rooms/Rooms.h"
#include "rooms/TChatForm.h"
#include "session/TDM.h"
#include "support/Ratio.h"

#include <QApplication>
#include <QDateTime>
#include <QStringListModel>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

using namespace korvex;

namespace {

constexpr int Users = 5000;
constexpr int PerEnvelope = 100;

QByteArray typeOf(int i) {
    return i % 97 == 0 ? "3" : i % 53 == 0 ? "2" : i % 7 == 0 ? "1" : "0";
}

std::vector<QByteArray> frames() {
    std::vector<QByteArray> out;
    QByteArray text;
    for (int i = 0; i < Users; ++i) {
        text += net::MakeCommand("ChatOnLine",
                                 {"user" + QByteArray::number(i), "Lounge", i % 211 == 0 ? "1" : "0",
                                  typeOf(i), "0000", "0", "0", "0", "0", "1"});
        if ((i + 1) % PerEnvelope == 0) {
            out.push_back(net::EncodeCommandRaw(text));
            text.clear();
        }
    }
    return out;
}

void BM_RoomJoin(benchmark::State& state) {
    QTemporaryDir home; // the window writes its files there when it closes
    session::TDM dm;
    dm.AppDir = home.path() + "/";
    dm.OwnNick = "alice";
    rooms::Ui().ShowWindows = false;
    rooms::RegisterRoomHandlers(dm);
    const std::vector<QByteArray> input = frames();
    for (auto _ : state) {
        state.PauseTiming();
        dm.MainClientRead(net::EncodeCommandRaw(net::MakeCommand("RJoinRoom", {"Lounge", "0", "Lobby"})));
        rooms::TChatForm* f = rooms::TChatForm::FindByRoom(dm, "Lounge");
        f->resize(800, 600);
        f->show();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        for (const QByteArray& frame : input)
            dm.MainClientRead(frame);
        QCoreApplication::processEvents();
        state.PauseTiming();
        if (f->Users().Count() != Users) state.SkipWithError("users missing");
        delete f;
        state.ResumeTiming();
    }
}

void BM_SortedInsertBaseline(benchmark::State& state) {
    std::vector<QByteArray> keys;
    rooms::RoomUserData u;
    u.stamp = QDateTime::currentDateTime();
    for (int i = 0; i < Users; ++i) {
        u.userType = typeOf(i);
        u.stamp = u.stamp.addMSecs(1);
        keys.push_back(rooms::SortKey(u));
    }
    for (auto _ : state) {
        std::vector<QByteArray> sorted;
        QStringListModel model;
        for (int i = 0; i < Users; ++i) {
            sorted.insert(std::upper_bound(sorted.begin(), sorted.end(), keys[size_t(i)]), keys[size_t(i)]);
            const int row = model.rowCount();
            model.insertRows(row, 1);
            model.setData(model.index(row), QStringLiteral("user%1").arg(i));
        }
        benchmark::DoNotOptimize(sorted.data());
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    benchmark::RegisterBenchmark("RoomJoin5000", BM_RoomJoin)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SortedInsertBaseline5000", BM_SortedInsertBaseline)
        ->Unit(benchmark::kMillisecond);
    korvex::bench::DeclareRatio("room_join", "SortedInsertBaseline5000", "RoomJoin5000");
    return korvex::bench::RunWithRatios(argc, argv);
}
