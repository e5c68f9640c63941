#pragma once

#include <QString>
#include <QStringList>

namespace korvex::server {

struct ServerConfig;

struct Options {
    QString dataDir;
    QString configFile;
    bool demo = false;
    bool verbose = false;
};

// Parses the command line into options and config overrides (--listen, --port, --sound-port, --video-port
// win over the file). Returns false with a message for the user when the line is wrong.
bool ParseOptions(const QStringList& arguments, Options& options, ServerConfig& config, QString* message);

} // namespace korvex::server
