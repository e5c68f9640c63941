// An administrator's view of a busy service: 5,000 "OnLine" commands dispatched into the main window (tables,
// tree model and view), against appending 5,000 rows to a plain QStandardItemModel; and one repaint of the
// tree holding 5,000 users.
#include "contacts/ContactTreeModel.h"
#include "contacts/Contacts.h"
#include "contacts/TMainForm.h"
#include "net/Command.h"
#include "session/TDM.h"
#include "support/Ratio.h"

#include <QApplication>
#include <QPixmap>
#include <QStandardItemModel>
#include <QTreeView>
#include <benchmark/benchmark.h>

using namespace korvex;

namespace {

constexpr int Users = 5000;

QList<net::ParsedCommand> onlineCommands() {
    QList<net::ParsedCommand> list;
    for (int i = 0; i < Users; ++i) {
        net::ParsedCommand c;
        QByteArray text = net::MakeCommand("OnLine", {"user" + QByteArray::number(i), "276", "M", "30", "",
                                                      "", "", "", QByteArray::number(i * 97)});
        net::NextCommand(text, c);
        list.append(c);
    }
    return list;
}

void BM_DispatchOnLine(benchmark::State& state) {
    session::TDM dm;
    contacts::RegisterContactsHandlers(dm);
    dm.OwnNick = "admin";
    const QList<net::ParsedCommand> commands = onlineCommands();
    for (auto _ : state) {
        state.PauseTiming();
        auto* main = new contacts::TMainForm(dm);
        main->Tree->BuildGroups();
        main->VTS->expandAll();
        dm.AUserTable.Clear();
        state.ResumeTiming();
        for (const net::ParsedCommand& c : commands)
            dm.Dispatcher.Dispatch(c);
        state.PauseTiming();
        if (main->Tree->UserCount("AIM") != Users) state.SkipWithError("users missing");
        delete main;
        state.ResumeTiming();
    }
}

void BM_StandardModelAppend(benchmark::State& state) {
    QList<QByteArray> names;
    for (int i = 0; i < Users; ++i)
        names.append("user" + QByteArray::number(i));
    for (auto _ : state) {
        state.PauseTiming();
        auto* model = new QStandardItemModel;
        QTreeView view;
        view.setModel(model);
        auto* header = new QStandardItem(" Online ");
        model->appendRow(header);
        view.expandAll();
        state.ResumeTiming();
        for (const QByteArray& n : names)
            header->appendRow(new QStandardItem(QString::fromLatin1(n)));
        state.PauseTiming();
        delete model;
        state.ResumeTiming();
    }
}

void BM_RepaintTree(benchmark::State& state) {
    session::TDM dm;
    contacts::RegisterContactsHandlers(dm);
    dm.OwnNick = "admin";
    auto* main = new contacts::TMainForm(dm);
    main->resize(243, 450);
    main->Tree->BuildGroups();
    main->VTS->expandAll();
    for (const net::ParsedCommand& c : onlineCommands())
        dm.Dispatcher.Dispatch(c);
    QPixmap target(main->VTS->viewport()->size());
    for (auto _ : state)
        main->VTS->viewport()->render(&target);
    delete main;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    benchmark::RegisterBenchmark("DispatchOnLine", BM_DispatchOnLine)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("StandardModelAppend", BM_StandardModelAppend)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("RepaintTree", BM_RepaintTree)->Unit(benchmark::kMicrosecond);
    korvex::bench::DeclareRatio("contacts_online", "StandardModelAppend", "DispatchOnLine");
    return korvex::bench::RunWithRatios(argc, argv);
}
