#include "Config.h"
#include "Log.h"
#include "Options.h"
#include "Server.h"

#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] auto n = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvex-server"));
    using namespace korvex::server;

    ServerConfig config;
    Options options;
    QString message;
    if (!ParseOptions(QCoreApplication::arguments(), options, config, &message)) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return message.startsWith(QStringLiteral("Usage")) ? 0 : 2;
    }
    SetVerboseLogging(options.verbose);
    if (!QDir().mkpath(options.dataDir)) {
        std::fprintf(stderr, "cannot create the data folder %s\n", qPrintable(options.dataDir));
        return 1;
    }

    // SIGINT/SIGTERM end the event loop so the database is closed cleanly.
    if (::pipe(g_signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
            char byte;
            [[maybe_unused]] auto n = ::read(g_signalPipe[0], &byte, 1);
            LogLine(QStringLiteral("stopping"));
            QCoreApplication::quit();
        });
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
    }
    std::signal(SIGPIPE, SIG_IGN);

    Server server(config);
    try {
        server.OpenStorage(QDir(options.dataDir).filePath(QStringLiteral("korvex.sqlite")));
        if (options.demo) server.SeedDemo();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    QString error;
    if (!server.Listen(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("LISTEN command %s:%u\n", qPrintable(config.listenAddress), unsigned(server.CommandPort()));
    std::fflush(stdout);
    LogLine(QStringLiteral("serving on %1:%2, data in %3")
                .arg(config.listenAddress)
                .arg(server.CommandPort())
                .arg(QDir(options.dataDir).absolutePath()));
    return app.exec();
}
