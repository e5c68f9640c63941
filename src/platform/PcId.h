#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace korvex::platform {

// CRC-32 register steps (reflected polynomial 0xEDB88320, byte at a time, no final inversion).
uint32_t CrcUpdate(uint32_t reg, const QByteArray& bytes);

// The machine identifier sent at logon: from a per-user identity text, 16 upper-case hex digits.
QByteArray PcIdFromIdentity(const QByteArray& identity);

// A stable per-user identity in the "S-1-5-21-a-b-c-rid" form: a, b, c from /etc/machine-id (or the host name
// when it is missing), rid from the user id. Same value at every run for the same user on the same machine.
QByteArray UserIdentity(const QString& machineIdFile = "/etc/machine-id");
QByteArray PcId();

} // namespace korvex::platform
