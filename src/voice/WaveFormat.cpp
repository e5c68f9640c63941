#include "voice/WaveFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace korvex::voice {

namespace {

std::uint16_t u16(const QByteArray& b, int at) {
    return qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(b.constData()) + at);
}
std::uint32_t u32(const QByteArray& b, int at) {
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(b.constData()) + at);
}
void put16(QByteArray& b, std::uint16_t v) {
    uchar raw[2];
    qToLittleEndian<quint16>(v, raw);
    b.append(reinterpret_cast<const char*>(raw), 2);
}
void put32(QByteArray& b, std::uint32_t v) {
    uchar raw[4];
    qToLittleEndian<quint32>(v, raw);
    b.append(reinterpret_cast<const char*>(raw), 4);
}
bool fail(QString* error, const QString& why) {
    if (error) *error = why;
    return false;
}

} // namespace

std::optional<WaveFormat> ParseWaveFormat(const QByteArray& bytes, QString* error) {
    if (bytes.size() > MaxFormatFileSize) {
        fail(error, QStringLiteral("format block longer than %1 bytes").arg(MaxFormatFileSize));
        return std::nullopt;
    }
    if (bytes.size() < WaveFormatHeaderSize) {
        fail(error, QStringLiteral("format block shorter than %1 bytes").arg(WaveFormatHeaderSize));
        return std::nullopt;
    }
    WaveFormat f;
    f.formatTag = u16(bytes, 0);
    f.channels = u16(bytes, 2);
    f.samplesPerSec = u32(bytes, 4);
    f.avgBytesPerSec = u32(bytes, 8);
    f.blockAlign = u16(bytes, 12);
    f.bitsPerSample = u16(bytes, 14);
    const int extraSize = u16(bytes, 16);
    if (extraSize != bytes.size() - WaveFormatHeaderSize) {
        fail(error, QStringLiteral("extra size %1 does not match the %2 bytes that follow")
                        .arg(extraSize)
                        .arg(bytes.size() - WaveFormatHeaderSize));
        return std::nullopt;
    }
    f.extra = bytes.mid(WaveFormatHeaderSize);
    if (f.channels < 1 || f.channels > 2 || f.samplesPerSec < 1000 || f.samplesPerSec > 192000 ||
        f.blockAlign == 0 || f.avgBytesPerSec == 0) {
        fail(error, QStringLiteral("format values out of range"));
        return std::nullopt;
    }
    return f;
}

QByteArray SerializeWaveFormat(const WaveFormat& f) {
    QByteArray b;
    b.reserve(WaveFormatHeaderSize + f.extra.size());
    put16(b, f.formatTag);
    put16(b, f.channels);
    put32(b, f.samplesPerSec);
    put32(b, f.avgBytesPerSec);
    put16(b, f.blockAlign);
    put16(b, f.bitsPerSample);
    put16(b, std::uint16_t(f.extra.size()));
    b.append(f.extra);
    return b;
}

bool IsValidCodecName(const QByteArray& name) {
    if (name.isEmpty() || name.size() > 15) return false;
    for (const char c : name) {
        const bool ok =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (!ok) return false;
    }
    return true;
}

QString CodecFormatPath(const QString& programDir, const QByteArray& name) {
    if (!IsValidCodecName(name)) return {};
    const QDir dir(QDir(programDir).filePath(QStringLiteral("Data/ini")));
    const QString wanted = QString::fromLatin1(name) + QStringLiteral(".dat");
    if (dir.exists(wanted)) return dir.filePath(wanted);
    // Names travel upper-cased in some places and as typed in others; the files are found ignoring case.
    const QStringList all = dir.entryList({QStringLiteral("*.dat")}, QDir::Files);
    for (const QString& f : all)
        if (f.compare(wanted, Qt::CaseInsensitive) == 0) return dir.filePath(f);
    return dir.filePath(wanted);
}

bool CodecFormatExists(const QString& programDir, const QByteArray& name) {
    const QString path = CodecFormatPath(programDir, name);
    return !path.isEmpty() && QFileInfo(path).isFile();
}

std::optional<WaveFormat> LoadCodecFormat(const QString& programDir, const QByteArray& name, QString* error) {
    const QString path = CodecFormatPath(programDir, name);
    if (path.isEmpty()) {
        fail(error, QStringLiteral("invalid codec name"));
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(error, QStringLiteral("cannot open %1").arg(path));
        return std::nullopt;
    }
    // One byte more than allowed tells an oversized file from a full one.
    const QByteArray bytes = file.read(MaxFormatFileSize + 1);
    QString why;
    auto format = ParseWaveFormat(bytes, &why);
    if (!format) fail(error, QStringLiteral("%1: %2").arg(path, why));
    return format;
}

} // namespace korvex::voice
