// Received voice bytes in any shipped codec: decoding garbage must not crash. The first byte picks the codec.
#include "voice/CaptureChain.h"

#include <cstdint>

namespace {

korvex::voice::WaveFormat format(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                                 std::uint16_t align, std::uint32_t avg) {
    korvex::voice::WaveFormat f;
    f.formatTag = tag;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.blockAlign = align;
    f.avgBytesPerSec = avg;
    f.bitsPerSample = tag == korvex::voice::WaveFormatPcm ? 16 : 0;
    return f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvex::voice;
    if (size < 1) return 0;
    static const WaveFormat formats[] = {
        format(WaveFormatGsm610, 1, 8000, 65, 1625),     format(WaveFormatGsm610, 1, 32000, 65, 6500),
        format(WaveFormatMpegLayer3, 2, 12000, 1, 2500), format(WaveFormatMpegLayer3, 1, 48000, 1, 16000),
        format(WaveFormatSpeex, 1, 8000, 38, 1900),      format(WaveFormatSpeex, 1, 32000, 74, 3700),
        format(WaveFormatOpus, 1, 16000, 60, 3000),      format(WaveFormatPcm, 2, 22050, 4, 88200),
    };
    const WaveFormat& f = formats[data[0] % (sizeof formats / sizeof formats[0])];
    PlaybackChain chain;
    if (!chain.Configure(f, nullptr)) __builtin_trap();
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    Pcm out;
    // Twice, split unevenly, as packets arrive.
    chain.DecodeAll(bytes.left(bytes.size() / 3), out);
    chain.DecodeAll(bytes.mid(bytes.size() / 3), out);
    return 0;
}
