#include "MediaPackets.h"

#include "Command.h"

namespace korvex::net {

namespace {

bool isBlankOrControl(char c) {
    return quint8(c) <= 0x20;
}

QByteArray trimBlanks(const QByteArray& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlankOrControl(text[begin])) ++begin;
    while (end > begin && isBlankOrControl(text[end - 1])) --end;
    return text.mid(begin, end - begin);
}

QByteArray padded(const QByteArray& text, int width) {
    QByteArray out = text.left(width);
    if (out.size() < width) out.append(width - out.size(), ' ');
    return out;
}

// Handshakes have the shape of a command whose "name" is the room: 9A room 9C a 9C b 9C.
std::optional<ParsedCommand> parseHandshake(const QByteArray& frame) {
    if (frame.isEmpty() || frame[0] != CmdStart) return std::nullopt;
    ParsedCommand cmd;
    CommandReader reader(frame);
    if (!reader.Next(cmd) || cmd.name.isEmpty()) return std::nullopt;
    return cmd;
}

} // namespace

QByteArray BuildSoundHandshake(const SoundHandshake& handshake) {
    return MakeCommand(handshake.room, {handshake.highSpeed ? "1" : "0", handshake.codec});
}

std::optional<SoundHandshake> ParseSoundHandshake(const QByteArray& frame) {
    const auto cmd = parseHandshake(frame);
    if (!cmd) return std::nullopt;
    return SoundHandshake{cmd->name, cmd->field(1) == "1", cmd->field(2)};
}

QByteArray BuildVoicePacket(const QByteArray& codec, const QByteArray& audio) {
    QByteArray packet;
    packet.reserve(VoicePacketHeaderSize + audio.size());
    packet.append(CmdStart).append(padded(codec, VoiceCodecFieldSize)).append(FieldSep).append(audio);
    return packet;
}

QByteArray BuildLowQualityVoicePacket(const QByteArray& audio) {
    QByteArray packet;
    packet.reserve(VoicePacketHeaderSize + audio.size());
    packet.append(CmdStart).append(padded(LowQualityCodec, VoiceCodecFieldSize - 1)).append('~');
    packet.append(FieldSep).append(audio);
    return packet;
}

std::optional<VoicePacket> ParseVoicePacket(const QByteArray& frame) {
    if (frame.size() < VoicePacketHeaderSize || frame[0] != CmdStart || frame[17] != FieldSep) return std::nullopt;
    QByteArray field = frame.mid(1, VoiceCodecFieldSize);
    if (const qsizetype nul = field.indexOf('\0'); nul >= 0) field.truncate(nul);
    VoicePacket packet;
    packet.codec = trimBlanks(field);
    if (packet.codec.size() >= 16 && packet.codec[15] == '~') {
        packet.codec = trimBlanks(packet.codec.left(15));
        packet.lowQuality = true;
    }
    packet.audio = frame.mid(VoicePacketHeaderSize);
    return packet;
}

QByteArray BuildVideoHandshake(const VideoHandshake& handshake) {
    return MakeCommand(handshake.room, {handshake.user});
}

std::optional<VideoHandshake> ParseVideoHandshake(const QByteArray& frame) {
    const auto cmd = parseHandshake(frame);
    if (!cmd) return std::nullopt;
    return VideoHandshake{cmd->name, cmd->field(1)};
}

QByteArray BuildVideoFrame(const QByteArray& jpeg, const QByteArray& user) {
    QByteArray frame;
    frame.reserve(jpeg.size() + VideoNameSize);
    frame.append(jpeg).append(padded(user, VideoNameSize));
    return frame;
}

std::optional<VideoFrame> ParseVideoFrame(const QByteArray& frame) {
    if (frame.size() < VideoNameSize) return std::nullopt;
    QByteArray name = frame.right(VideoNameSize);
    qsizetype end = name.size();
    while (end > 0 && isBlankOrControl(name[end - 1])) --end;
    name.truncate(end);
    return VideoFrame{frame.left(frame.size() - VideoNameSize), name};
}

} // namespace korvex::net
