#pragma once

#include <QByteArray>

#include <cstdint>
#include <memory>

namespace korvex::net {

// Blowfish ECB with the protocol's block convention: each 8-byte block is two 32-bit little-endian words
// (the usual convention reads them big-endian). Built on OpenSSL's key schedule and block function.
class BlowfishCipher {
public:
    explicit BlowfishCipher(const QByteArray& key);
    ~BlowfishCipher();
    BlowfishCipher(const BlowfishCipher&) = delete;
    BlowfishCipher& operator=(const BlowfishCipher&) = delete;

    // In place; size must be a multiple of 8.
    void EncryptBlocks(char* data, qsizetype size) const;
    void DecryptBlocks(char* data, qsizetype size) const;

private:
    struct Schedule;
    std::unique_ptr<Schedule> m_schedule;
};

// The protocol's 8-byte key: the 64-bit message key in little-endian byte order.
QByteArray MessageKeyBytes(std::uint64_t key);

} // namespace korvex::net
