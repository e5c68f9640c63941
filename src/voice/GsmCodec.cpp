#include "voice/Codecs.h"

extern "C" {
#include <gsm.h>
}

namespace korvex::voice {

namespace {

// Microsoft's GSM 6.10 packing: 320 samples make one 65-byte block holding two GSM frames, the first in 32
// bytes and the second in 33 (half a byte of the first travels at the start of the second). libgsm does the
// bit packing when GSM_OPT_WAV49 is on; it expects the two halves in that order.
constexpr std::size_t FrameSamples = 160;
constexpr std::size_t BlockSamples = 2 * FrameSamples;
constexpr std::size_t BlockBytes = 65;

struct GsmHandle {
    GsmHandle() : h(gsm_create()) {
        int one = 1;
        if (h) gsm_option(h, GSM_OPT_WAV49, &one);
    }
    ~GsmHandle() {
        if (h) gsm_destroy(h);
    }
    GsmHandle(const GsmHandle&) = delete;
    GsmHandle& operator=(const GsmHandle&) = delete;
    gsm h;
};

class GsmEncoder : public VoiceEncoder {
public:
    GsmEncoder() : m_frames(BlockSamples) {}
    void Encode(const std::int16_t* pcm, std::size_t samples, QByteArray& out) override {
        m_frames.feed(pcm, samples, [&](const std::int16_t* block) { encodeBlock(block, out); });
    }
    void Flush(QByteArray& out) override {
        m_frames.flush([&](const std::int16_t* block) { encodeBlock(block, out); });
    }

private:
    void encodeBlock(const std::int16_t* block, QByteArray& out) {
        gsm_signal in[BlockSamples];
        std::copy(block, block + BlockSamples, in);
        const qsizetype at = out.size();
        out.resize(at + qsizetype(BlockBytes));
        auto* dst = reinterpret_cast<gsm_byte*>(out.data() + at);
        gsm_encode(m_gsm.h, in, dst);
        gsm_encode(m_gsm.h, in + FrameSamples, dst + 32);
    }
    GsmHandle m_gsm;
    FrameCollector m_frames;
};

class GsmDecoder : public VoiceDecoder {
public:
    GsmDecoder() : m_blocks(BlockBytes) {}
    void Decode(const char* data, std::size_t size, Pcm& out) override {
        m_blocks.feed(data, size, [&](const char* block) {
            gsm_byte bytes[BlockBytes];
            std::copy(block, block + BlockBytes, reinterpret_cast<char*>(bytes));
            const std::size_t at = out.size();
            out.resize(at + BlockSamples);
            // A damaged frame makes gsm_decode return -1 and leave its output untouched: keep silence then.
            std::fill(out.begin() + std::ptrdiff_t(at), out.end(), std::int16_t(0));
            gsm_decode(m_gsm.h, bytes, out.data() + at);
            gsm_decode(m_gsm.h, bytes + 33, out.data() + at + FrameSamples);
        });
    }
    void Reset() override {
        m_blocks.reset();
        // Start the next block with the first half again.
        int index = 0;
        gsm_option(m_gsm.h, GSM_OPT_FRAME_INDEX, &index);
    }

private:
    GsmHandle m_gsm;
    BlockCollector m_blocks;
};

bool check(const WaveFormat& f, QString& error) {
    if (f.channels != 1 || f.blockAlign != BlockBytes) {
        error = QStringLiteral("GSM 6.10 needs mono and a block align of 65");
        return false;
    }
    return true;
}

} // namespace

std::unique_ptr<VoiceEncoder> makeGsmEncoder(const WaveFormat& f, QString& error) {
    if (!check(f, error)) return nullptr;
    return std::make_unique<GsmEncoder>();
}

std::unique_ptr<VoiceDecoder> makeGsmDecoder(const WaveFormat& f, QString& error) {
    if (!check(f, error)) return nullptr;
    return std::make_unique<GsmDecoder>();
}

} // namespace korvex::voice
