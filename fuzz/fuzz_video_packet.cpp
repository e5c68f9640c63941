#include "net/MediaPackets.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray frame(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto video = korvex::net::ParseVideoFrame(frame)) {
        if (video->user.size() > korvex::net::VideoNameSize) __builtin_trap();
        if (video->jpeg.size() != frame.size() - korvex::net::VideoNameSize) __builtin_trap();
    }
    if (const auto hs = korvex::net::ParseVideoHandshake(frame))
        if (hs->room.isEmpty()) __builtin_trap();
    return 0;
}
