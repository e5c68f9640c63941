#pragma once

#include <QByteArray>

namespace korvex::net {

class TBBClient;

// Envelopes the command text and writes it to the connection; does nothing while the connection is closed.
// Returns the bytes accepted.
qint64 SendCommand(TBBClient& connection, const QByteArray& commandText);

} // namespace korvex::net
