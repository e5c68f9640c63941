#include "net/Command.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray decoded = korvex::net::UnescapeChunk(bytes);
    if (decoded.size() > bytes.size()) __builtin_trap();
    // Any byte string survives escaping.
    const QByteArray escaped = korvex::net::EscapeChunk(bytes);
    if (escaped.contains(korvex::net::CmdStart) || escaped.contains(korvex::net::FieldSep)) __builtin_trap();
    if (korvex::net::UnescapeChunk(escaped) != bytes) __builtin_trap();
    if (korvex::net::UnescapeField(korvex::net::EscapeField(korvex::net::StripMarks(bytes))) !=
        korvex::net::StripMarks(bytes))
        __builtin_trap();
    return 0;
}
