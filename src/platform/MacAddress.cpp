#include "platform/MacAddress.h"

#include <QNetworkInterface>

namespace korvex::platform {

QByteArray AdapterAddressText(const QByteArray& hardwareAddress) {
    const QByteArray text = hardwareAddress.toHex().toUpper();
    return text.mid(8) == "0000" ? QByteArray("0") : text;
}

QByteArray SelectMacAddress(const QList<AdapterInfo>& adapters) {
    QByteArray result;
    QByteArray lastText;
    for (const AdapterInfo& a : adapters) {
        lastText = AdapterAddressText(a.hardwareAddress);
        if (!lastText.isEmpty() && a.hasIpWithMask) result = lastText;
    }
    if (result.isEmpty() || lastText == "0") {
        for (const AdapterInfo& a : adapters) {
            const QByteArray text = AdapterAddressText(a.hardwareAddress);
            if (!text.isEmpty() && text != "0") result = text;
        }
    }
    return result == "0" ? QByteArray() : result;
}

QList<AdapterInfo> SystemAdapters() {
    QList<AdapterInfo> list;
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        if (iface.type() == QNetworkInterface::Loopback) continue;
        AdapterInfo a;
        const QString hw = iface.hardwareAddress();
        a.hardwareAddress = QByteArray::fromHex(hw.toLatin1().replace(":", ""));
        for (const QNetworkAddressEntry& e : iface.addressEntries())
            if (!e.ip().isNull() && !e.netmask().isNull() &&
                e.ip().protocol() == QAbstractSocket::IPv4Protocol)
                a.hasIpWithMask = true;
        list.append(a);
    }
    return list;
}

QByteArray MacAddress() {
    return SelectMacAddress(SystemAdapters());
}

} // namespace korvex::platform
