#pragma once

#include <QByteArray>

namespace korvex::server {

// Password hashes in libsodium's self-describing string form (Argon2id, salt and cost inside the string).
class Passwords {
public:
    // minimal = the library's lowest cost; only for test beds and benchmarks that register thousands of users.
    explicit Passwords(bool minimal = false);

    // Throws std::runtime_error when the library cannot allocate the memory the cost asks for.
    QByteArray Hash(const QByteArray& password) const;
    bool Verify(const QByteArray& hash, const QByteArray& password) const;

private:
    unsigned long long m_ops;
    size_t m_mem;
};

} // namespace korvex::server
