#pragma once

// Factories of the individual codecs; CreateEncoder/CreateDecoder pick one by format tag.

#include "voice/Codec.h"

namespace korvex::voice {

std::unique_ptr<VoiceEncoder> makePcmEncoder(const WaveFormat& f, QString& error);
std::unique_ptr<VoiceDecoder> makePcmDecoder(const WaveFormat& f, QString& error);
std::unique_ptr<VoiceEncoder> makeGsmEncoder(const WaveFormat& f, QString& error);
std::unique_ptr<VoiceDecoder> makeGsmDecoder(const WaveFormat& f, QString& error);
std::unique_ptr<VoiceEncoder> makeSpeexEncoder(const WaveFormat& f, QString& error);
std::unique_ptr<VoiceDecoder> makeSpeexDecoder(const WaveFormat& f, QString& error);
std::unique_ptr<VoiceEncoder> makeMp3Encoder(const WaveFormat& f, QString& error);
std::unique_ptr<VoiceDecoder> makeMp3Decoder(const WaveFormat& f, QString& error);
std::unique_ptr<VoiceEncoder> makeOpusEncoder(const WaveFormat& f, QString& error);
std::unique_ptr<VoiceDecoder> makeOpusDecoder(const WaveFormat& f, QString& error);

// Collects samples into fixed-size frames for the block codecs.
class FrameCollector {
public:
    explicit FrameCollector(std::size_t frameSamples) : m_frame(frameSamples) {}
    std::size_t frameSamples() const { return m_frame.size(); }
    // Calls handOut(const int16_t* frame) for every frame completed by the samples.
    template <typename F> void feed(const std::int16_t* pcm, std::size_t n, F&& handOut) {
        while (n > 0) {
            const std::size_t take = std::min(n, m_frame.size() - m_fill);
            std::copy(pcm, pcm + take, m_frame.begin() + std::ptrdiff_t(m_fill));
            m_fill += take;
            pcm += take;
            n -= take;
            if (m_fill == m_frame.size()) {
                handOut(m_frame.data());
                m_fill = 0;
            }
        }
    }
    // Pads a partial frame with silence and emits it; nothing when no samples wait.
    template <typename F> void flush(F&& handOut) {
        if (m_fill == 0) return;
        std::fill(m_frame.begin() + std::ptrdiff_t(m_fill), m_frame.end(), std::int16_t(0));
        handOut(m_frame.data());
        m_fill = 0;
    }

private:
    std::vector<std::int16_t> m_frame;
    std::size_t m_fill = 0;
};

// Holds undecoded bytes until a whole block is there.
class BlockCollector {
public:
    explicit BlockCollector(std::size_t blockBytes) : m_block(blockBytes) {}
    template <typename F> void feed(const char* data, std::size_t n, F&& handOut) {
        if (m_block == 0) return;
        if (m_pending.empty()) {
            while (n >= m_block) {
                handOut(data);
                data += m_block;
                n -= m_block;
            }
        }
        m_pending.insert(m_pending.end(), data, data + n);
        std::size_t at = 0;
        while (m_pending.size() - at >= m_block) {
            handOut(m_pending.data() + at);
            at += m_block;
        }
        m_pending.erase(m_pending.begin(), m_pending.begin() + std::ptrdiff_t(at));
    }
    void reset() { m_pending.clear(); }

private:
    std::size_t m_block;
    std::vector<char> m_pending;
};

} // namespace korvex::voice
