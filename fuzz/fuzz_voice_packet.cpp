#include "net/MediaPackets.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray frame(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto packet = korvex::net::ParseVoicePacket(frame)) {
        if (packet->codec.size() > korvex::net::VoiceCodecFieldSize) __builtin_trap();
        if (packet->audio.size() != frame.size() - korvex::net::VoicePacketHeaderSize) __builtin_trap();
    }
    if (const auto hs = korvex::net::ParseSoundHandshake(frame))
        if (hs->room.isEmpty()) __builtin_trap();
    return 0;
}
