#include "voice/Codecs.h"

#include <QtEndian>

namespace korvex::voice {

namespace {

class PcmEncoder : public VoiceEncoder {
public:
    explicit PcmEncoder(int channels) : m_channels(channels) {}
    void Encode(const std::int16_t* pcm, std::size_t samples, QByteArray& out) override {
        const qsizetype at = out.size();
        out.resize(at + qsizetype(samples) * 2 * m_channels);
        auto* dst = reinterpret_cast<uchar*>(out.data() + at);
        for (std::size_t i = 0; i < samples; ++i)
            for (int c = 0; c < m_channels; ++c, dst += 2)
                qToLittleEndian<qint16>(pcm[i], dst);
    }
    void Flush(QByteArray&) override {}

private:
    int m_channels;
};

class PcmDecoder : public VoiceDecoder {
public:
    explicit PcmDecoder(int channels) : m_channels(channels), m_blocks(std::size_t(channels) * 2) {}
    void Decode(const char* data, std::size_t size, Pcm& out) override {
        m_blocks.feed(data, size, [&](const char* block) {
            const auto* p = reinterpret_cast<const uchar*>(block);
            int sum = 0;
            for (int c = 0; c < m_channels; ++c)
                sum += qFromLittleEndian<qint16>(p + 2 * c);
            out.push_back(std::int16_t(sum / m_channels));
        });
    }
    void Reset() override { m_blocks.reset(); }

private:
    int m_channels;
    BlockCollector m_blocks;
};

bool check(const WaveFormat& f, QString& error) {
    if (f.bitsPerSample != 16 || f.blockAlign != f.channels * 2) {
        error = QStringLiteral("only 16-bit PCM with block align channels x 2 is supported");
        return false;
    }
    return true;
}

} // namespace

std::unique_ptr<VoiceEncoder> makePcmEncoder(const WaveFormat& f, QString& error) {
    if (!check(f, error)) return nullptr;
    return std::make_unique<PcmEncoder>(f.channels);
}

std::unique_ptr<VoiceDecoder> makePcmDecoder(const WaveFormat& f, QString& error) {
    if (!check(f, error)) return nullptr;
    return std::make_unique<PcmDecoder>(f.channels);
}

} // namespace korvex::voice
