#include "Passwords.h"

#include <sodium.h>

#include <stdexcept>

namespace korvex::server {

Passwords::Passwords(bool minimal)
    : m_ops(minimal ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE),
      m_mem(minimal ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE) {
    if (sodium_init() < 0) throw std::runtime_error("libsodium cannot be initialised");
}

QByteArray Passwords::Hash(const QByteArray& password) const {
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, password.constData(), size_t(password.size()), m_ops, m_mem) != 0)
        throw std::runtime_error("out of memory while hashing a password");
    return QByteArray(out);
}

bool Passwords::Verify(const QByteArray& hash, const QByteArray& password) const {
    if (hash.isEmpty() || hash.size() >= crypto_pwhash_STRBYTES) return false;
    return crypto_pwhash_str_verify(hash.constData(), password.constData(), size_t(password.size())) == 0;
}

} // namespace korvex::server
