#pragma once

#include <QByteArray>
#include <QList>

namespace korvex::platform {

struct AdapterInfo {
    QByteArray hardwareAddress; // raw bytes
    bool hasIpWithMask = false; // an address entry with both address and mask
};

// Two upper-case hex digits per byte; "0" when the bytes from the fifth on read "0000" (no real address).
QByteArray AdapterAddressText(const QByteArray& hardwareAddress);
// The selection over an adapter list in system order (see MacAddress()).
QByteArray SelectMacAddress(const QList<AdapterInfo>& adapters);
// The adapters of this machine through QNetworkInterface; the address sent at logon and registration.
QList<AdapterInfo> SystemAdapters();
QByteArray MacAddress();

} // namespace korvex::platform
