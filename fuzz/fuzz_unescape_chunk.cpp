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
    // The field escape is reversible for text that does not already hold an escape sequence; StripMarks breaks
    // the first one ("©®±µ"), the second ("§¤°¬") can be typed and then reads back as the reserved byte.
    const QByteArray stripped = korvex::net::StripMarks(bytes);
    if (!stripped.contains("\xA7\xA4\xB0\xAC") && !stripped.contains("\xA9\xAE\xB1\xB5") &&
        korvex::net::UnescapeField(korvex::net::EscapeField(stripped)) != stripped)
        __builtin_trap();
    return 0;
}
