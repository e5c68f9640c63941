#pragma once

#include <QByteArray>

#include <optional>

namespace korvex::net {

// Sound connection. The client opens it with a handshake frame naming the room, its speed setting and its
// send codec; after that both directions carry voice packets. No envelope on this connection.
struct SoundHandshake {
    QByteArray room;
    bool highSpeed = true;
    QByteArray codec; // empty when no codec has been set up yet
};
QByteArray BuildSoundHandshake(const SoundHandshake& handshake);
std::optional<SoundHandshake> ParseSoundHandshake(const QByteArray& frame);

inline constexpr int VoiceCodecFieldSize = 16;
inline constexpr int VoicePacketHeaderSize = 18; // 0x9A, codec field, 0x9C
inline const QByteArray LowQualityCodec = QByteArrayLiteral("GSM1");

// 0x9A, the codec name in 16 characters, 0x9C, the encoded audio. A low-quality copy carries "GSM1" in 15
// characters followed by "~".
QByteArray BuildVoicePacket(const QByteArray& codec, const QByteArray& audio);
QByteArray BuildLowQualityVoicePacket(const QByteArray& audio);

struct VoicePacket {
    QByteArray codec;    // the name with padding, NUL tail and the "~" mark removed
    bool lowQuality = false;
    QByteArray audio;
};
// nullopt for a frame that is not a voice packet (shorter than 18 bytes or without its two marker bytes).
std::optional<VoicePacket> ParseVoicePacket(const QByteArray& frame);

// Video connection: a handshake naming room and user, then frames of one JPEG picture followed by the name of
// the user whose camera it is, space-padded to 32 bytes.
struct VideoHandshake {
    QByteArray room;
    QByteArray user;
};
QByteArray BuildVideoHandshake(const VideoHandshake& handshake);
std::optional<VideoHandshake> ParseVideoHandshake(const QByteArray& frame);

inline constexpr int VideoNameSize = 32;
QByteArray BuildVideoFrame(const QByteArray& jpeg, const QByteArray& user);

struct VideoFrame {
    QByteArray jpeg;
    QByteArray user; // trailing blanks and control characters removed
};
// nullopt for a frame too short to hold the name.
std::optional<VideoFrame> ParseVideoFrame(const QByteArray& frame);

} // namespace korvex::net
