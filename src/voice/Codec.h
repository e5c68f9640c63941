#pragma once

#include "voice/WaveFormat.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace korvex::voice {

using Pcm = std::vector<std::int16_t>;

// One codec behind one interface. PCM is always mono 16-bit at the format's sample rate; codecs whose format
// is stereo duplicate the channel when encoding and mix down when decoding.
class VoiceEncoder {
public:
    virtual ~VoiceEncoder() = default;
    // Appends the encoded bytes of every complete block the samples finish; a partial block waits for more.
    virtual void Encode(const std::int16_t* pcm, std::size_t samples, QByteArray& out) = 0;
    // Completes the pending partial block with silence and emits whatever the codec still holds.
    virtual void Flush(QByteArray& out) = 0;
};

class VoiceDecoder {
public:
    virtual ~VoiceDecoder() = default;
    // Decodes as many complete blocks as the bytes (with what an earlier call left over) hold and appends the
    // samples. Damaged input yields silence or noise, never a crash.
    virtual void Decode(const char* data, std::size_t size, Pcm& out) = 0;
    // Forgets buffered input (after the receive buffer was emptied or trimmed).
    virtual void Reset() = 0;
};

// nullptr (reason in *error) when the format's tag names no codec we have or its values do not fit that
// codec.
std::unique_ptr<VoiceEncoder> CreateEncoder(const WaveFormat& format, QString* error = nullptr);
std::unique_ptr<VoiceDecoder> CreateDecoder(const WaveFormat& format, QString* error = nullptr);

} // namespace korvex::voice
