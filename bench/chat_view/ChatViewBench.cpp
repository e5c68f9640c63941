// Adding one message line to a history view that already holds 1,000 lines: our view (one block per line, the
// oldest dropped) against QTextEdit::append of the same HTML into a view capped at 1,000 blocks.
#include "contacts/ChatView.h"
#include "support/Ratio.h"

#include <QApplication>
#include <QTextEdit>
#include <benchmark/benchmark.h>

namespace {

QByteArray line(int i) {
    return "<font size=\"3\" color=\"#800000\"><b>bob</b></font>: <b><font size=\"3\" face=\"Tahoma\" "
           "color=\"#000080\">message number " +
           QByteArray::number(i) + " with <a href=\"http://korvex.example/\">a link</a></font></b><br> ";
}

void BM_ChatViewAppend(benchmark::State& state) {
    korvex::contacts::ChatView view;
    view.resize(500, 400);
    for (int i = 0; i < 1000; ++i)
        view.AppendLine(line(i));
    int i = 1000;
    for (auto _ : state)
        view.AppendLine(line(i++));
}

void BM_QTextEditAppend(benchmark::State& state) {
    QTextEdit edit;
    edit.resize(500, 400);
    edit.document()->setMaximumBlockCount(1000);
    for (int i = 0; i < 1000; ++i)
        edit.append(QString::fromLatin1(line(i)));
    int i = 1000;
    for (auto _ : state)
        edit.append(QString::fromLatin1(line(i++)));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    benchmark::RegisterBenchmark("ChatViewAppend", BM_ChatViewAppend);
    benchmark::RegisterBenchmark("QTextEditAppend", BM_QTextEditAppend);
    korvex::bench::DeclareRatio("chat_line_append", "QTextEditAppend", "ChatViewAppend");
    return korvex::bench::RunWithRatios(argc, argv);
}
