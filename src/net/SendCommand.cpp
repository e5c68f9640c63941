#include "SendCommand.h"

#include "Envelope.h"
#include "TBBClient.h"

namespace korvex::net {

qint64 SendCommand(TBBClient& connection, const QByteArray& commandText) {
    if (!connection.Active()) return 0;
    return connection.WriteText(EncodeCommand(commandText));
}

} // namespace korvex::net
