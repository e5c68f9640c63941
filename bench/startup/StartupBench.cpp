// Start-up of the client to its shown logon window against a bare Qt program that shows one empty window,
// both run as whole processes on the offscreen platform; and the client's resident memory once logged on to
// the reference server with an empty contact list.

#include "support/Ratio.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

QProcessEnvironment clientEnv(const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KORVEX_HOME", home);
    env.insert("XDG_RUNTIME_DIR", scratch().filePath("runtime"));
    env.insert("KORVEX_AUTOSTART_DIR", scratch().filePath("autostart"));
    return env;
}

QByteArray runOnce(const QString& exe, const QStringList& args, const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(exe, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return "failed";
    return p.readAllStandardOutput();
}

void BM_BareQtShowWindow(benchmark::State& state) {
    const auto env = clientEnv(scratch().filePath("unused"));
    for (auto _ : state)
        if (runOnce(KORVEX_BARE_QT_EXE, {}, env) == "failed") state.SkipWithError("bare Qt program failed");
}

void BM_KorvexShowLogon(benchmark::State& state) {
    const QString home = scratch().filePath("home");
    QProcessEnvironment env = clientEnv(home);
    env.insert("KORVEX_QUIT_AFTER_SHOW", "1");
    QDir().mkpath(scratch().filePath("runtime"));
    runOnce(KORVEX_CLIENT_EXE, {}, env); // first start: default files copied outside the timing
    for (auto _ : state)
        if (!runOnce(KORVEX_CLIENT_EXE, {}, env).startsWith("shown_ms")) state.SkipWithError("client failed");
}

void BM_LoggedOnRss(benchmark::State& state) {
    const QString serverExe = KORVEX_SERVER_EXE;
    if (serverExe.isEmpty()) {
        state.SkipWithError("no reference server in this build");
        return;
    }
    QProcess server;
    server.start(serverExe, {"--demo", "--data", scratch().filePath("server"), "--port", "0", "--sound-port",
                             "0", "--video-port", "0"});
    QByteArray port;
    while (port.isEmpty() && server.waitForReadyRead(10000)) {
        for (const QByteArray& line : server.readAllStandardOutput().split('\n'))
            if (line.startsWith("LISTEN command ")) port = line.mid(line.lastIndexOf(':') + 1).trimmed();
    }
    if (port.isEmpty()) {
        state.SkipWithError("reference server did not start");
        return;
    }
    const QString home = scratch().filePath("logon");
    QDir().mkpath(home + "/Data");
    QFile addr(home + "/Data/addr.dat");
    addr.open(QIODevice::WriteOnly);
    addr.write("localhost\r\n127.0.0.1\r\n" + port + "\r\n");
    addr.close();
    QProcessEnvironment env = clientEnv(home);
    env.insert("KORVEX_QUIT_AFTER_LOGON", "1");
    double kb = 0;
    for (auto _ : state) {
        const QByteArray out = runOnce(KORVEX_CLIENT_EXE, {"--logon", "carol", "secret1"}, env);
        const qsizetype at = out.indexOf("rss_kb ");
        if (at < 0) {
            state.SkipWithError("client did not log on");
            break;
        }
        kb = out.mid(at + 7).trimmed().toDouble();
    }
    state.counters["rss_mb"] = kb / 1024.0;
    server.kill();
    server.waitForFinished();
}

} // namespace

BENCHMARK(BM_BareQtShowWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_KorvexShowLogon)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_LoggedOnRss)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    korvex::bench::DeclareRatio("startup_vs_bare_qt", "BM_BareQtShowWindow/iterations:3/real_time",
                                "BM_KorvexShowLogon/iterations:3/real_time");
    korvex::bench::DeclareCounterRatio("logged_on_rss_mb", "BM_LoggedOnRss/iterations:1/real_time", "rss_mb");
    return korvex::bench::RunWithRatios(argc, argv);
}
