// A codec format file from disk (or a peer's install): parse it, and let the codec factories judge it.
#include "voice/Codec.h"
#include "voice/WaveFormat.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto format = korvex::voice::ParseWaveFormat(bytes);
    if (!format) return 0;
    if (korvex::voice::SerializeWaveFormat(*format) != bytes) __builtin_trap();
    // Codec set-up must refuse what it cannot use, never crash or allocate without bound.
    if (format->samplesPerSec <= 48000) {
        auto enc = korvex::voice::CreateEncoder(*format);
        auto dec = korvex::voice::CreateDecoder(*format);
        if (enc) {
            std::int16_t silence[320] = {};
            QByteArray out;
            enc->Encode(silence, 320, out);
            enc->Flush(out);
            if (dec) {
                korvex::voice::Pcm pcm;
                dec->Decode(out.constData(), std::size_t(out.size()), pcm);
            }
        }
    }
    return 0;
}
