#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace korvex::voice {

// The Windows WAVEFORMATEX block a codec format file holds: 18 little-endian header bytes, then `cbSize`
// extra bytes that belong to the format (for MP3 the MPEGLAYER3WAVEFORMAT fields).
struct WaveFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    QByteArray extra;

    bool operator==(const WaveFormat&) const = default;
};

inline constexpr std::uint16_t WaveFormatPcm = 0x0001;
inline constexpr std::uint16_t WaveFormatGsm610 = 0x0031;
inline constexpr std::uint16_t WaveFormatMpegLayer3 = 0x0055;
inline constexpr std::uint16_t WaveFormatSpeex = 0xA109;
// No registered tag exists for Opus in a WAVEFORMATEX; this one is ours ("Op" little-endian).
inline constexpr std::uint16_t WaveFormatOpus = 0x704F;

inline constexpr int WaveFormatHeaderSize = 18;
inline constexpr int MaxFormatFileSize = 512;

// Parses a whole format file. Refused (nullopt, reason in *error): shorter than the header, longer than 512
// bytes, an extra size that does not match the bytes that follow, or values no codec can use (no channels,
// rate or block alignment).
std::optional<WaveFormat> ParseWaveFormat(const QByteArray& bytes, QString* error = nullptr);
QByteArray SerializeWaveFormat(const WaveFormat& format);

// A codec name as it may appear in a file name: 1 to 15 of [A-Za-z0-9_]. Anything else from the network
// never reaches the file system.
bool IsValidCodecName(const QByteArray& name);

// "<programDir>/Data/ini/<name>.dat"; empty for an invalid name. An existing file whose name differs only in
// case is found too.
QString CodecFormatPath(const QString& programDir, const QByteArray& name);
bool CodecFormatExists(const QString& programDir, const QByteArray& name);
std::optional<WaveFormat> LoadCodecFormat(const QString& programDir, const QByteArray& name,
                                          QString* error = nullptr);

} // namespace korvex::voice
