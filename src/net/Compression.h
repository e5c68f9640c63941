#pragma once

#include <QByteArray>

#include <optional>

namespace korvex::net {

// zlib streams (RFC 1950) at level 9. Each thread keeps one deflate and one inflate stream and resets them per
// message: setting up a new stream per message costs far more than the compression of a chat line.
QByteArray ZlibCompress(const QByteArray& data);

// Inflates one zlib stream; bytes after its end are ignored. Refuses (nullopt) a broken stream and output larger
// than maxOutput, so a small hostile message cannot make us allocate without bound.
inline constexpr qsizetype MaxInflatedSize = 16 * 1024 * 1024;
std::optional<QByteArray> ZlibDecompress(const char* data, qsizetype size, qsizetype maxOutput = MaxInflatedSize);

} // namespace korvex::net
