// OpenSSL 3 marks the low-level Blowfish calls deprecated in favour of EVP, whose Blowfish lives in the legacy
// provider and costs a provider lookup and context set-up per message. The low-level schedule is the fastest
// one available here and the protocol builds one per message, so we keep it.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "Blowfish.h"

#include <QtEndian>

#include <openssl/blowfish.h>
#include <openssl/crypto.h>

#include <cstring>

namespace korvex::net {

struct BlowfishCipher::Schedule {
    BF_KEY key;
};

BlowfishCipher::BlowfishCipher(const QByteArray& key) : m_schedule(std::make_unique<Schedule>()) {
    BF_set_key(&m_schedule->key, int(key.size()), reinterpret_cast<const unsigned char*>(key.constData()));
}

BlowfishCipher::~BlowfishCipher() {
    OPENSSL_cleanse(&m_schedule->key, sizeof m_schedule->key);
}

namespace {
template <typename Op> void forEachBlock(char* data, qsizetype size, Op op) {
    for (qsizetype i = 0; i + 8 <= size; i += 8) {
        BF_LONG words[2] = {qFromLittleEndian<quint32>(data + i), qFromLittleEndian<quint32>(data + i + 4)};
        op(words);
        qToLittleEndian<quint32>(quint32(words[0]), data + i);
        qToLittleEndian<quint32>(quint32(words[1]), data + i + 4);
    }
}
} // namespace

void BlowfishCipher::EncryptBlocks(char* data, qsizetype size) const {
    forEachBlock(data, size, [this](BF_LONG* w) { BF_encrypt(w, &m_schedule->key); });
}

void BlowfishCipher::DecryptBlocks(char* data, qsizetype size) const {
    forEachBlock(data, size, [this](BF_LONG* w) { BF_decrypt(w, &m_schedule->key); });
}

QByteArray MessageKeyBytes(std::uint64_t key) {
    QByteArray bytes(8, Qt::Uninitialized);
    qToLittleEndian<quint64>(key, bytes.data());
    return bytes;
}

} // namespace korvex::net
