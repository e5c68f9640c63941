#include "platform/PcId.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSysInfo>
#include <QtEndian>
#include <array>
#include <unistd.h>

namespace korvex::platform {

namespace {
const std::array<uint32_t, 256>& crcTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    return table;
}

QByteArray hex8(uint32_t reg) {
    return QByteArray::number(reg >> 16, 16).rightJustified(4, '0').toUpper() +
           QByteArray::number(reg & 0xFFFF, 16).rightJustified(4, '0').toUpper();
}
} // namespace

uint32_t CrcUpdate(uint32_t reg, const QByteArray& bytes) {
    const auto& table = crcTable();
    for (char ch : bytes)
        reg = table[(reg ^ uint8_t(ch)) & 0xFF] ^ (reg >> 8);
    return reg;
}

QByteArray PcIdFromIdentity(const QByteArray& identity) {
    QByteArray padded = identity.left(80);
    padded.append(QByteArray(80 - padded.size(), ' '));
    const QByteArray a = hex8(CrcUpdate(0x5C3E9A, padded));
    const QByteArray b = hex8(CrcUpdate(0x2B8D46, a));
    return a + b;
}

QByteArray UserIdentity(const QString& machineIdFile) {
    QByteArray seed;
    QFile f(machineIdFile);
    if (f.open(QIODevice::ReadOnly)) seed = f.readAll().trimmed();
    if (seed.isEmpty()) seed = QSysInfo::machineHostName().toUtf8();
    const QByteArray digest = QCryptographicHash::hash(seed, QCryptographicHash::Sha256);
    const auto* p = reinterpret_cast<const uchar*>(digest.constData());
    QByteArray sid = "S-1-5-21";
    for (int i = 0; i < 3; ++i)
        sid += '-' + QByteArray::number(qFromLittleEndian<quint32>(p + 4 * i));
    sid += '-' + QByteArray::number(1000ULL + uint64_t(getuid()));
    return sid;
}

QByteArray PcId() {
    return PcIdFromIdentity(UserIdentity());
}

} // namespace korvex::platform
