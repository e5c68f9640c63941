#include "Log.h"

#include "net/Clock.h"

#include <cstdio>

namespace korvex::server {

namespace {
bool g_verbose = false;
bool g_enabled = true;
} // namespace

void LogLine(const QString& text) {
    if (!g_enabled) return;
    const QByteArray line = net::Clock::Now().toUTC().toString(Qt::ISODateWithMs).toUtf8() + ' ' + text.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}

void LogVerbose(const QString& text) {
    if (g_verbose) LogLine(text);
}

void SetVerboseLogging(bool on) { g_verbose = on; }
bool VerboseLogging() { return g_verbose && g_enabled; }
void SetLoggingEnabled(bool on) { g_enabled = on; }

} // namespace korvex::server
