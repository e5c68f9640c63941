#pragma once

#include <QByteArray>
#include <optional>

namespace korvex::voice {

// Collects encoder output into voice packets. A packet goes out when the collected bytes reach the threshold
// (1,250 for the high-quality stream, 625 for the "GSM1" copy), so each carries several codec blocks.
class Packetiser {
public:
    enum class Kind { HighQuality, LowQuality };
    // A buffer of exactly this many bytes is a raw capture buffer, not encoder output, and is ignored.
    static constexpr int CaptureBufferSize = 1024;
    static constexpr int HighQualityThreshold = 1250;
    static constexpr int LowQualityThreshold = 625;

    explicit Packetiser(Kind kind);

    Kind kind() const { return m_kind; }
    void SetCodec(const QByteArray& codec) { m_codec = codec; }
    const QByteArray& codec() const { return m_codec; }
    int threshold() const;

    // The buffer-ready handler: appends and, at the threshold, returns the whole packet (header and all the
    // collected bytes) and starts over. `connected`: without the sound connection the bytes are dropped.
    std::optional<QByteArray> BufferReady(const QByteArray& buffer, bool connected);
    // What is left when talking stops, as a last shorter packet; nullopt when nothing is left.
    std::optional<QByteArray> Flush(bool connected);
    void Clear() { m_pending.clear(); }
    qsizetype Pending() const { return m_pending.size(); }

private:
    QByteArray build() const;

    Kind m_kind;
    QByteArray m_codec;
    QByteArray m_pending;
};

} // namespace korvex::voice
