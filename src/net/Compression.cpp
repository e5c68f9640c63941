#include "Compression.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace korvex::net {

namespace {

struct Deflater {
    z_stream stream{};
    Deflater() {
        if (deflateInit(&stream, 9) != Z_OK) throw std::runtime_error("zlib deflateInit failed");
    }
    ~Deflater() { deflateEnd(&stream); }
};

struct Inflater {
    z_stream stream{};
    Inflater() {
        if (inflateInit(&stream) != Z_OK) throw std::runtime_error("zlib inflateInit failed");
    }
    ~Inflater() { inflateEnd(&stream); }
};

} // namespace

QByteArray ZlibCompress(const QByteArray& data) {
    thread_local Deflater d;
    z_stream& s = d.stream;
    deflateReset(&s);
    QByteArray out(qsizetype(deflateBound(&s, uLong(data.size()))), Qt::Uninitialized);
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    s.avail_in = uInt(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = uInt(out.size());
    if (deflate(&s, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("zlib deflate failed");
    out.truncate(qsizetype(s.total_out));
    return out;
}

std::optional<QByteArray> ZlibDecompress(const char* data, qsizetype size, qsizetype maxOutput) {
    thread_local Inflater i;
    z_stream& s = i.stream;
    inflateReset(&s);
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    s.avail_in = uInt(size);
    // Chat lines expand about fourfold; start there and grow geometrically.
    QByteArray out(std::clamp<qsizetype>(size * 4, 256, maxOutput), Qt::Uninitialized);
    qsizetype produced = 0;
    for (;;) {
        s.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
        s.avail_out = uInt(out.size() - produced);
        const int rc = inflate(&s, Z_NO_FLUSH);
        produced = out.size() - qsizetype(s.avail_out);
        if (rc == Z_STREAM_END) break;
        if (rc != Z_OK && rc != Z_BUF_ERROR) return std::nullopt;
        if (s.avail_out != 0) return std::nullopt; // input ended before the stream did
        if (out.size() >= maxOutput) return std::nullopt;
        out.resize(std::min(out.size() * 2, maxOutput));
    }
    out.truncate(produced);
    return out;
}

} // namespace korvex::net
