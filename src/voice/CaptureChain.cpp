#include "voice/CaptureChain.h"

namespace korvex::voice {

bool CaptureChain::Configure(const WaveFormat& sendFormat, const QByteArray& sendCodec,
                             const WaveFormat& lowFormat, bool highQuality, QString* error) {
    std::lock_guard lock(m_lock);
    m_send = sendFormat;
    m_low = lowFormat;
    m_highQuality = highQuality;
    m_hq.SetCodec(sendCodec);
    m_reverb.SetSampleRate(int(sendFormat.samplesPerSec));
    m_configured = makeEncoders(error);
    return m_configured;
}

bool CaptureChain::makeEncoders(QString* error) {
    m_hqEncoder.reset();
    m_lqEncoder = CreateEncoder(m_low, error);
    if (!m_lqEncoder) return false;
    if (m_highQuality) {
        m_hqEncoder = CreateEncoder(m_send, error);
        if (!m_hqEncoder) return false;
    }
    m_lqResampler = std::make_unique<Resampler>(int(m_send.samplesPerSec), int(m_low.samplesPerSec));
    m_preprocess = m_denoise ? std::make_unique<Preprocessor>(int(m_send.samplesPerSec)) : nullptr;
    return true;
}

bool CaptureChain::Configured() const {
    std::lock_guard lock(m_lock);
    return m_configured;
}

int CaptureChain::CaptureRate() const {
    std::lock_guard lock(m_lock);
    return int(m_send.samplesPerSec);
}

void CaptureChain::SetReverb(const std::optional<ReverbPreset>& preset) {
    std::lock_guard lock(m_lock);
    if (preset) m_reverb.SetPreset(*preset);
    m_reverb.SetEnabled(preset.has_value());
}

bool CaptureChain::ReverbEnabled() const {
    std::lock_guard lock(m_lock);
    return m_reverb.Enabled();
}

void CaptureChain::SetNoiseSuppression(bool on) {
    std::lock_guard lock(m_lock);
    m_denoise = on;
    m_preprocess = on && m_configured ? std::make_unique<Preprocessor>(int(m_send.samplesPerSec)) : nullptr;
}

void CaptureChain::Start() {
    std::lock_guard lock(m_lock);
    m_hq.Clear();
    m_lq.Clear();
    m_reverb.Reset();
    if (m_configured) makeEncoders(nullptr);
}

void CaptureChain::deliver(Packetiser& p, const QByteArray& encoded, bool connected,
                           const PacketHandler& handOut) {
    if (encoded.isEmpty()) return;
    // The packetiser takes a 1,024-byte buffer for a raw capture buffer and skips it; encoder output of that
    // size (PCM at 512 samples a buffer) is handed over in two halves so that no audio is lost.
    if (encoded.size() == Packetiser::CaptureBufferSize) {
        deliver(p, encoded.left(512), connected, handOut);
        deliver(p, encoded.mid(512), connected, handOut);
        return;
    }
    if (auto packet = p.BufferReady(encoded, connected)) handOut(*packet, p.kind());
}

void CaptureChain::Process(const std::int16_t* pcm, std::size_t n, bool connected,
                           const PacketHandler& handOut) {
    std::lock_guard lock(m_lock);
    if (!m_configured || n == 0) return;
    m_work.clear();
    if (m_preprocess)
        m_preprocess->Process(pcm, n, m_work);
    else
        m_work.assign(pcm, pcm + n);
    m_reverb.Process(m_work.data(), m_work.size());

    if (m_hqEncoder) {
        m_encoded.clear();
        m_hqEncoder->Encode(m_work.data(), m_work.size(), m_encoded);
        deliver(m_hq, m_encoded, connected, handOut);
    }
    m_lqPcm.clear();
    m_lqResampler->Process(m_work.data(), m_work.size(), m_lqPcm);
    m_encoded.clear();
    m_lqEncoder->Encode(m_lqPcm.data(), m_lqPcm.size(), m_encoded);
    deliver(m_lq, m_encoded, connected, handOut);
}

void CaptureChain::Finish(bool connected, const PacketHandler& handOut) {
    std::lock_guard lock(m_lock);
    if (!m_configured) return;
    if (m_hqEncoder) {
        m_encoded.clear();
        m_hqEncoder->Flush(m_encoded);
        deliver(m_hq, m_encoded, connected, handOut);
        if (auto packet = m_hq.Flush(connected)) handOut(*packet, m_hq.kind());
    }
    m_encoded.clear();
    m_lqEncoder->Flush(m_encoded);
    deliver(m_lq, m_encoded, connected, handOut);
    if (auto packet = m_lq.Flush(connected)) handOut(*packet, m_lq.kind());
}

qsizetype CaptureChain::PendingBytes(Packetiser::Kind kind) const {
    std::lock_guard lock(m_lock);
    return kind == Packetiser::Kind::HighQuality ? m_hq.Pending() : m_lq.Pending();
}

bool PlaybackChain::Configure(const WaveFormat& playbackFormat, QString* error) {
    std::lock_guard lock(m_lock);
    m_decoder = CreateDecoder(playbackFormat, error);
    m_resampler = std::make_unique<Resampler>(int(playbackFormat.samplesPerSec), OutputRate);
    m_ready.clear();
    m_readyPos = 0;
    return m_decoder != nullptr;
}

bool PlaybackChain::Configured() const {
    std::lock_guard lock(m_lock);
    return m_decoder != nullptr;
}

void PlaybackChain::Reset() {
    std::lock_guard lock(m_lock);
    if (m_decoder) m_decoder->Reset();
    if (m_resampler) m_resampler->Reset();
    m_ready.clear();
    m_readyPos = 0;
}

void PlaybackChain::decodeLocked(const QByteArray& encoded) {
    m_decoded.clear();
    m_decoder->Decode(encoded.constData(), std::size_t(encoded.size()), m_decoded);
    if (m_readyPos > 0) {
        m_ready.erase(m_ready.begin(), m_ready.begin() + std::ptrdiff_t(m_readyPos));
        m_readyPos = 0;
    }
    m_resampler->Process(m_decoded.data(), m_decoded.size(), m_ready);
}

std::size_t PlaybackChain::Read(std::int16_t* out, std::size_t n, const Loader& load) {
    std::lock_guard lock(m_lock);
    if (!m_decoder) return 0;
    while (m_ready.size() - m_readyPos < n) {
        const QByteArray more = load ? load() : QByteArray();
        if (more.isEmpty()) break;
        decodeLocked(more);
    }
    const std::size_t got = std::min(n, m_ready.size() - m_readyPos);
    std::copy_n(m_ready.begin() + std::ptrdiff_t(m_readyPos), got, out);
    m_readyPos += got;
    return got;
}

void PlaybackChain::DecodeAll(const QByteArray& encoded, Pcm& out) {
    std::lock_guard lock(m_lock);
    if (!m_decoder) return;
    decodeLocked(encoded);
    out.insert(out.end(), m_ready.begin() + std::ptrdiff_t(m_readyPos), m_ready.end());
    m_ready.clear();
    m_readyPos = 0;
}

} // namespace korvex::voice
