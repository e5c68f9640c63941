#pragma once

#include <QString>

namespace korvex::server {

// One line per event on stderr, with a UTC time stamp. Verbose lines are written only in --verbose mode.
void LogLine(const QString& text);
void LogVerbose(const QString& text);
void SetVerboseLogging(bool on);
bool VerboseLogging();
// Tests and benchmarks silence the log; the server itself always logs.
void SetLoggingEnabled(bool on);

} // namespace korvex::server
