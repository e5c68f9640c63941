#include "Options.h"

#include "Config.h"

#include <QCommandLineParser>

namespace korvex::server {

bool ParseOptions(const QStringList& arguments, Options& options, ServerConfig& config, QString* message) {
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Korvex reference server"));
    p.addHelpOption();
    const QCommandLineOption data(QStringLiteral("data"), QStringLiteral("Folder for the database (created if missing)."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption listen(QStringLiteral("listen"), QStringLiteral("Address to listen on (default 127.0.0.1)."),
                                    QStringLiteral("ADDRESS"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Command port; 0 picks a free one."),
                                  QStringLiteral("N"));
    const QCommandLineOption soundPort(QStringLiteral("sound-port"), QStringLiteral("Sound port announced to clients."),
                                       QStringLiteral("N"));
    const QCommandLineOption videoPort(QStringLiteral("video-port"), QStringLiteral("Video port announced to clients."),
                                       QStringLiteral("N"));
    const QCommandLineOption configFile(QStringLiteral("config"), QStringLiteral("INI configuration file."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption demo(QStringLiteral("demo"), QStringLiteral("Create demo accounts on first start."));
    const QCommandLineOption verbose(QStringLiteral("verbose"), QStringLiteral("Log every command (passwords hidden)."));
    p.addOptions({data, listen, port, soundPort, videoPort, configFile, demo, verbose});
    if (!p.parse(arguments)) {
        *message = p.errorText() + '\n' + p.helpText();
        return false;
    }
    if (p.isSet(QStringLiteral("help"))) {
        *message = p.helpText();
        return false;
    }
    if (!p.positionalArguments().isEmpty()) {
        *message = QStringLiteral("unexpected argument %1\n").arg(p.positionalArguments().first()) + p.helpText();
        return false;
    }
    if (!p.isSet(data)) {
        *message = QStringLiteral("--data DIR is required\n") + p.helpText();
        return false;
    }
    options.dataDir = p.value(data);
    options.configFile = p.value(configFile);
    options.demo = p.isSet(demo);
    options.verbose = p.isSet(verbose);
    if (!options.configFile.isEmpty()) {
        QString error;
        if (!LoadConfig(options.configFile, config, &error)) {
            *message = error;
            return false;
        }
    }
    if (p.isSet(listen)) config.listenAddress = p.value(listen);
    const std::pair<const QCommandLineOption*, int*> ports[] = {
        {&port, &config.port}, {&soundPort, &config.soundPort}, {&videoPort, &config.videoPort}};
    for (const auto& [option, target] : ports) {
        if (!p.isSet(*option)) continue;
        bool ok = false;
        const int value = p.value(*option).toInt(&ok);
        if (!ok || value < 0 || value > 65535) {
            *message = QStringLiteral("--%1 needs a port number from 0 to 65535").arg(option->names().first());
            return false;
        }
        *target = value;
    }
    return true;
}

} // namespace korvex::server
