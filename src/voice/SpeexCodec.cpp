#include "voice/Codecs.h"

#include <speex/speex.h>

namespace korvex::voice {

namespace {

// Speex in constant bit rate: every 20 ms frame encodes to the same number of bits, so one frame padded to a
// whole byte is one block of the format. The quality is the one whose frame size equals the block align, so
// the format file alone fixes the bit rate.
const SpeexMode* modeFor(std::uint32_t rate) {
    switch (rate) {
    case 8000:
        return speex_lib_get_mode(SPEEX_MODEID_NB);
    case 16000:
        return speex_lib_get_mode(SPEEX_MODEID_WB);
    case 32000:
        return speex_lib_get_mode(SPEEX_MODEID_UWB);
    default:
        return nullptr;
    }
}

int frameBytesAt(const SpeexMode* mode, int quality) {
    void* st = speex_encoder_init(mode);
    speex_encoder_ctl(st, SPEEX_SET_QUALITY, &quality);
    spx_int32_t frame = 0;
    speex_encoder_ctl(st, SPEEX_GET_FRAME_SIZE, &frame);
    std::vector<spx_int16_t> silence(std::size_t(frame), 0);
    SpeexBits bits;
    speex_bits_init(&bits);
    speex_encode_int(st, silence.data(), &bits);
    const int bytes = speex_bits_nbytes(&bits);
    speex_bits_destroy(&bits);
    speex_encoder_destroy(st);
    return bytes;
}

int qualityFor(const SpeexMode* mode, int blockAlign) {
    for (int q = 0; q <= 10; ++q)
        if (frameBytesAt(mode, q) == blockAlign) return q;
    return -1;
}

class SpeexEncoder : public VoiceEncoder {
public:
    SpeexEncoder(const SpeexMode* mode, int quality, int blockAlign)
        : m_state(speex_encoder_init(mode)), m_block(blockAlign), m_frames(frameSize(m_state)) {
        speex_encoder_ctl(m_state, SPEEX_SET_QUALITY, &quality);
        speex_bits_init(&m_bits);
    }
    ~SpeexEncoder() override {
        speex_bits_destroy(&m_bits);
        speex_encoder_destroy(m_state);
    }
    void Encode(const std::int16_t* pcm, std::size_t samples, QByteArray& out) override {
        m_frames.feed(pcm, samples, [&](const std::int16_t* f) { encodeFrame(f, out); });
    }
    void Flush(QByteArray& out) override {
        m_frames.flush([&](const std::int16_t* f) { encodeFrame(f, out); });
    }

private:
    static std::size_t frameSize(void* st) {
        spx_int32_t n = 0;
        speex_encoder_ctl(st, SPEEX_GET_FRAME_SIZE, &n);
        return std::size_t(n);
    }
    void encodeFrame(const std::int16_t* frame, QByteArray& out) {
        std::vector<spx_int16_t> in(frame, frame + m_frames.frameSamples());
        speex_bits_reset(&m_bits);
        speex_encode_int(m_state, in.data(), &m_bits);
        const qsizetype at = out.size();
        out.resize(at + m_block);
        char* dst = out.data() + at;
        std::fill(dst, dst + m_block, '\0');
        speex_bits_write(&m_bits, dst, m_block);
    }
    void* m_state;
    int m_block;
    SpeexBits m_bits;
    FrameCollector m_frames;
};

class SpeexDecoder : public VoiceDecoder {
public:
    SpeexDecoder(const SpeexMode* mode, int blockAlign)
        : m_state(speex_decoder_init(mode)), m_blocks(blockAlign) {
        speex_bits_init(&m_bits);
        spx_int32_t n = 0;
        speex_decoder_ctl(m_state, SPEEX_GET_FRAME_SIZE, &n);
        m_frame = std::size_t(n);
        m_blockBytes = blockAlign;
    }
    ~SpeexDecoder() override {
        speex_bits_destroy(&m_bits);
        speex_decoder_destroy(m_state);
    }
    void Decode(const char* data, std::size_t size, Pcm& out) override {
        m_blocks.feed(data, size, [&](const char* block) {
            speex_bits_read_from(&m_bits, block, m_blockBytes);
            const std::size_t at = out.size();
            out.resize(at + m_frame);
            if (speex_decode_int(m_state, &m_bits, out.data() + at) != 0)
                std::fill(out.begin() + std::ptrdiff_t(at), out.end(), std::int16_t(0));
        });
    }
    void Reset() override { m_blocks.reset(); }

private:
    void* m_state;
    SpeexBits m_bits;
    BlockCollector m_blocks;
    std::size_t m_frame = 0;
    int m_blockBytes = 0;
};

} // namespace

std::unique_ptr<VoiceEncoder> makeSpeexEncoder(const WaveFormat& f, QString& error) {
    const SpeexMode* mode = modeFor(f.samplesPerSec);
    const int quality = mode && f.channels == 1 ? qualityFor(mode, f.blockAlign) : -1;
    if (quality < 0) {
        error =
            QStringLiteral("Speex needs mono at 8000, 16000 or 32000 Hz and a block align of one CBR frame");
        return nullptr;
    }
    return std::make_unique<SpeexEncoder>(mode, quality, f.blockAlign);
}

std::unique_ptr<VoiceDecoder> makeSpeexDecoder(const WaveFormat& f, QString& error) {
    const SpeexMode* mode = modeFor(f.samplesPerSec);
    if (!mode || f.channels != 1) {
        error = QStringLiteral("Speex needs mono at 8000, 16000 or 32000 Hz");
        return nullptr;
    }
    return std::make_unique<SpeexDecoder>(mode, f.blockAlign);
}

} // namespace korvex::voice
