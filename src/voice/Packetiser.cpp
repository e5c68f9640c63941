#include "voice/Packetiser.h"

#include "net/MediaPackets.h"

namespace korvex::voice {

Packetiser::Packetiser(Kind kind) : m_kind(kind), m_codec(net::LowQualityCodec) {}

int Packetiser::threshold() const {
    return m_kind == Kind::HighQuality ? HighQualityThreshold : LowQualityThreshold;
}

QByteArray Packetiser::build() const {
    return m_kind == Kind::HighQuality ? net::BuildVoicePacket(m_codec, m_pending)
                                       : net::BuildLowQualityVoicePacket(m_pending);
}

std::optional<QByteArray> Packetiser::BufferReady(const QByteArray& buffer, bool connected) {
    if (buffer.size() == CaptureBufferSize) return std::nullopt;
    m_pending.append(buffer);
    if (m_pending.size() < threshold()) return std::nullopt;
    std::optional<QByteArray> packet;
    if (connected) packet = build();
    m_pending.clear();
    return packet;
}

std::optional<QByteArray> Packetiser::Flush(bool connected) {
    std::optional<QByteArray> packet;
    if (connected && !m_pending.isEmpty()) packet = build();
    m_pending.clear();
    return packet;
}

} // namespace korvex::voice
