#include "net/Envelope.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const QByteArray text = korvex::net::DecodeFrameBody(body, &error);
    if (text.size() > 64 * 1024 * 1024) __builtin_trap(); // inflation is bounded per envelope
    return 0;
}
