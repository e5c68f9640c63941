#pragma once

#include "voice/Codec.h"
#include "voice/Packetiser.h"
#include "voice/Preprocessor.h"
#include "voice/Resampler.h"
#include "voice/Reverb.h"

#include <functional>
#include <mutex>
#include <optional>

namespace korvex::voice {

// The send path from captured samples to packets, in signal order: (noise suppression) → reverb → split →
// send-codec encoder and "GSM1" encoder → packetisers. Capture runs at the send format's rate; the "GSM1"
// branch resamples to its own rate. Called from the capture thread; configuration comes from the owner's
// thread, hence the lock.
class CaptureChain {
public:
    using PacketHandler = std::function<void(const QByteArray& packet, Packetiser::Kind kind)>;

    // highQuality: encode the send-codec stream at all (without the high-speed setting it is never sent).
    bool Configure(const WaveFormat& sendFormat, const QByteArray& sendCodec, const WaveFormat& lowFormat,
                   bool highQuality, QString* error);
    bool Configured() const;
    int CaptureRate() const;

    void SetReverb(const std::optional<ReverbPreset>& preset); // nullopt: off
    bool ReverbEnabled() const;
    void SetNoiseSuppression(bool on);

    // Empties the send buffers and starts the encoders afresh.
    void Start();
    void Process(const std::int16_t* pcm, std::size_t n, bool connected, const PacketHandler& handOut);
    // Completes the encoders' last blocks and sends what is left as shorter packets.
    void Finish(bool connected, const PacketHandler& handOut);

    qsizetype PendingBytes(Packetiser::Kind kind) const;

private:
    void deliver(Packetiser& p, const QByteArray& encoded, bool connected, const PacketHandler& handOut);
    bool makeEncoders(QString* error);

    mutable std::mutex m_lock;
    WaveFormat m_send;
    WaveFormat m_low;
    bool m_highQuality = true;
    bool m_configured = false;
    bool m_denoise = false;
    std::unique_ptr<VoiceEncoder> m_hqEncoder;
    std::unique_ptr<VoiceEncoder> m_lqEncoder;
    std::unique_ptr<Resampler> m_lqResampler;
    std::unique_ptr<Preprocessor> m_preprocess;
    Reverb m_reverb;
    Packetiser m_hq{Packetiser::Kind::HighQuality};
    Packetiser m_lq{Packetiser::Kind::LowQuality};
    Pcm m_work;
    Pcm m_lqPcm;
    QByteArray m_encoded;
};

// The playback path: encoded bytes of the playback codec → decoder → 16,000 Hz mono 16-bit.
class PlaybackChain {
public:
    static constexpr int OutputRate = 16000;
    using Loader = std::function<QByteArray()>;

    bool Configure(const WaveFormat& playbackFormat, QString* error);
    bool Configured() const;
    void Reset();
    // Fills up to n samples; calls `load` for more encoded bytes while it has too few decoded samples.
    // Returns how many samples it wrote (fewer when nothing more was received).
    std::size_t Read(std::int16_t* out, std::size_t n, const Loader& load);
    // Decodes bytes straight to output-rate samples (used by tests and benchmarks).
    void DecodeAll(const QByteArray& encoded, Pcm& out);

private:
    void decodeLocked(const QByteArray& encoded);

    mutable std::mutex m_lock;
    std::unique_ptr<VoiceDecoder> m_decoder;
    std::unique_ptr<Resampler> m_resampler;
    Pcm m_decoded;
    Pcm m_ready;
    std::size_t m_readyPos = 0;
};

} // namespace korvex::voice
