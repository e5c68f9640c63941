#include "voice/Codecs.h"

#include <opus/opus.h>

namespace korvex::voice {

namespace {

// Opus in hard constant bit rate with 20 ms frames: every frame is one packet of exactly the block align, so
// the packets can be concatenated and cut again at block boundaries.
constexpr int FramesPerSecond = 50;

bool rateOk(std::uint32_t rate) {
    return rate == 8000 || rate == 12000 || rate == 16000 || rate == 24000 || rate == 48000;
}

class OpusVoiceEncoder : public VoiceEncoder {
public:
    OpusVoiceEncoder(OpusEncoder* enc, int blockAlign, std::size_t frameSamples)
        : m_enc(enc), m_block(blockAlign), m_frames(frameSamples) {}
    ~OpusVoiceEncoder() override { opus_encoder_destroy(m_enc); }
    void Encode(const std::int16_t* pcm, std::size_t samples, QByteArray& out) override {
        m_frames.feed(pcm, samples, [&](const std::int16_t* f) { encodeFrame(f, out); });
    }
    void Flush(QByteArray& out) override {
        m_frames.flush([&](const std::int16_t* f) { encodeFrame(f, out); });
    }

private:
    void encodeFrame(const std::int16_t* frame, QByteArray& out) {
        const qsizetype at = out.size();
        out.resize(at + m_block);
        auto* dst = reinterpret_cast<unsigned char*>(out.data() + at);
        int len = opus_encode(m_enc, frame, int(m_frames.frameSamples()), dst, m_block);
        if (len > 0 && len < m_block) len = opus_packet_pad(dst, len, m_block) == OPUS_OK ? m_block : -1;
        if (len != m_block) {
            // Cannot happen in hard CBR; a lost frame is better than a misaligned stream.
            std::fill(dst, dst + m_block, 0);
            dst[0] = 0xF8; // a valid, empty-looking TOC; decodes as a short gap
        }
    }
    OpusEncoder* m_enc;
    int m_block;
    FrameCollector m_frames;
};

class OpusVoiceDecoder : public VoiceDecoder {
public:
    OpusVoiceDecoder(OpusDecoder* dec, int blockAlign, std::size_t frameSamples)
        : m_dec(dec), m_block(blockAlign), m_frame(frameSamples), m_blocks(std::size_t(blockAlign)) {}
    ~OpusVoiceDecoder() override { opus_decoder_destroy(m_dec); }
    void Decode(const char* data, std::size_t size, Pcm& out) override {
        m_blocks.feed(data, size, [&](const char* block) {
            const std::size_t at = out.size();
            out.resize(at + m_frame);
            const int n = opus_decode(m_dec, reinterpret_cast<const unsigned char*>(block), m_block,
                                      out.data() + at, int(m_frame), 0);
            // A damaged packet is concealed from what came before; the stream keeps its timing.
            if (n != int(m_frame) &&
                opus_decode(m_dec, nullptr, 0, out.data() + at, int(m_frame), 0) != int(m_frame))
                std::fill(out.begin() + std::ptrdiff_t(at), out.end(), std::int16_t(0));
        });
    }
    void Reset() override {
        m_blocks.reset();
        opus_decoder_ctl(m_dec, OPUS_RESET_STATE);
    }

private:
    OpusDecoder* m_dec;
    int m_block;
    std::size_t m_frame;
    BlockCollector m_blocks;
};

bool check(const WaveFormat& f, QString& error) {
    if (!rateOk(f.samplesPerSec) || f.channels != 1 || f.blockAlign < 8 || f.blockAlign > 1275) {
        error =
            QStringLiteral("Opus needs mono at 8, 12, 16, 24 or 48 kHz and a block align of 8 to 1275 bytes");
        return false;
    }
    return true;
}

} // namespace

std::unique_ptr<VoiceEncoder> makeOpusEncoder(const WaveFormat& f, QString& error) {
    if (!check(f, error)) return nullptr;
    int err = 0;
    OpusEncoder* enc = opus_encoder_create(opus_int32(f.samplesPerSec), 1, OPUS_APPLICATION_VOIP, &err);
    if (!enc) {
        error = QString::fromLatin1(opus_strerror(err));
        return nullptr;
    }
    opus_encoder_ctl(enc, OPUS_SET_BITRATE(f.blockAlign * 8 * FramesPerSecond));
    opus_encoder_ctl(enc, OPUS_SET_VBR(0));
    opus_encoder_ctl(enc, OPUS_SET_COMPLEXITY(3));
    return std::make_unique<OpusVoiceEncoder>(enc, f.blockAlign, f.samplesPerSec / FramesPerSecond);
}

std::unique_ptr<VoiceDecoder> makeOpusDecoder(const WaveFormat& f, QString& error) {
    if (!check(f, error)) return nullptr;
    int err = 0;
    OpusDecoder* dec = opus_decoder_create(opus_int32(f.samplesPerSec), 1, &err);
    if (!dec) {
        error = QString::fromLatin1(opus_strerror(err));
        return nullptr;
    }
    return std::make_unique<OpusVoiceDecoder>(dec, f.blockAlign, f.samplesPerSec / FramesPerSecond);
}

} // namespace korvex::voice
