#include "Envelope.h"

#include "Blowfish.h"
#include "Clock.h"
#include "Compression.h"
#include "Frame.h"

#include <QRandomGenerator>

#include <atomic>

namespace korvex::net {

namespace {

constexpr int EnvelopeHeaderSize = 26; // offset pair + 24 scrambled digits
constexpr int KeyDigits = 16;
const QByteArray VersionRequest = QByteArrayLiteral("\x9AGetVersion\x9C");

// Starts at the program's start, as if a message had just gone out.
std::atomic<qint64> g_lastSendMs{QDateTime::currentMSecsSinceEpoch()};
std::atomic<qint64>& lastSendMs() { return g_lastSendMs; }

QByteArray randomKeyDigits() {
    QByteArray digits(KeyDigits, Qt::Uninitialized);
    auto* rng = QRandomGenerator::global();
    do {
        // 16 decimal digits from two draws below 10^8: uniform per digit, two calls instead of sixteen.
        quint32 halves[2] = {rng->bounded(100'000'000u), rng->bounded(100'000'000u)};
        for (int h = 0; h < 2; ++h)
            for (int i = 7; i >= 0; --i) {
                digits[h * 8 + i] = char('0' + halves[h] % 10);
                halves[h] /= 10;
            }
    } while (digits == QByteArray(KeyDigits, '0')); // the decoder stops at key 0, so never send it
    return digits;
}

std::uint64_t digitsToKey(const char* digits) {
    std::uint64_t key = 0;
    for (int i = 0; i < KeyDigits; ++i) key = key * 10 + std::uint64_t(digits[i] - '0');
    return key;
}

// The key field as the receiver reads it: optional blanks, an optional sign, then decimal digits. Anything else
// is an error whose text names the field.
qint64 parseKeyField(const QByteArray& field) {
    qsizetype i = 0;
    while (i < field.size() && field[i] == ' ') ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
    if (i == field.size()) throw EnvelopeError(QStringLiteral("'%1' is not a valid integer value")
                                                   .arg(QString::fromLatin1(field))
                                                   .toStdString());
    qint64 value = 0;
    for (; i < field.size(); ++i) {
        const char c = field[i];
        if (c < '0' || c > '9')
            throw EnvelopeError(QStringLiteral("'%1' is not a valid integer value")
                                    .arg(QString::fromLatin1(field))
                                    .toStdString());
        value = value * 10 + (c - '0'); // 16 digits cannot overflow 63 bits
    }
    return negative ? -value : value;
}

int parseDigits(const char* p, int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) {
        if (p[i] < '0' || p[i] > '9') return 0;
        value = value * 10 + (p[i] - '0');
    }
    return value;
}

QByteArray encrypt(const QByteArray& plain, std::uint64_t key) {
    const int pad = 8 - int(plain.size() % 8);
    QByteArray cipher(plain.size() + pad, Qt::Uninitialized);
    std::copy_n(plain.constData(), plain.size(), cipher.data());
    std::fill_n(cipher.data() + plain.size(), pad, char(pad));
    BlowfishCipher(MessageKeyBytes(key)).EncryptBlocks(cipher.data(), cipher.size());
    return cipher;
}

// Plain text of one envelope, with its own compression undone: a frame holding several compressed envelopes
// then yields all of their commands.
QByteArray openEnvelope(const char* cipherData, qsizetype size, std::uint64_t key) {
    if (size == 0 || size % 8 != 0) throw EnvelopeError("Ciphertext is not a multiple of 8 bytes.");
    QByteArray plain(cipherData, size);
    BlowfishCipher(MessageKeyBytes(key)).DecryptBlocks(plain.data(), plain.size());
    const int pad = quint8(plain.back());
    plain.chop(std::min<qsizetype>(pad, plain.size()));
    if (plain.startsWith(CompressMarker)) {
        auto inflated = ZlibDecompress(plain.constData() + CompressMarker.size(), plain.size() - CompressMarker.size());
        return inflated ? *inflated : QByteArray();
    }
    return plain;
}

} // namespace

QByteArray BuildEnvelope(const QByteArray& plainText, int offset, const QByteArray& keyDigits) {
    const QByteArray cipher = encrypt(plainText, digitsToKey(keyDigits.constData()));
    QByteArray length = QByteArray::number(cipher.size());
    if (length.size() < 8) length.prepend(8 - length.size(), '0');
    const QByteArray header = keyDigits + length;

    QByteArray envelope;
    envelope.reserve(EnvelopeHeaderSize + cipher.size() + (header.size() - 24));
    envelope.append(char('0' + offset / 10 + 32));
    envelope.append(char('0' + offset % 10 + 32));
    for (int i = 0; i < header.size(); ++i) envelope.append(char(quint8(header[i]) + offset + i + 1));
    envelope.append(cipher);
    return envelope;
}

QByteArray EncodeCommandRaw(const QByteArray& commandText) {
    const int offset = int(QRandomGenerator::global()->bounded(72u)) + 4;
    return BuildEnvelope(commandText, offset, randomKeyDigits());
}

QByteArray EncodeCommand(const QByteArray& commandText) {
    const QByteArray plain =
        commandText == VersionRequest ? commandText : CompressMarker + ZlibCompress(commandText);
    QByteArray frame = PrefixLength(EncodeCommandRaw(plain));
    lastSendMs().store(Clock::NowMs(), std::memory_order_relaxed);
    return frame;
}

QByteArray DecodePayload(const QByteArray& body) {
    // A short packet marked AA B4 BE carries no command; keep its text form so nothing parses out of it.
    if (body.size() >= 4 && body.size() <= 19 && body.startsWith("\xAA\xB4\xBE"))
        return QByteArray("\xAEp\xA9") + body.mid(3) + QByteArray("\xA9");

    QByteArray text;
    qsizetype pos = 0;
    const char* d = body.constData();
    while (body.size() - pos >= EnvelopeHeaderSize + 1) {
        const int hi = quint8(d[pos]) - 32 - '0', lo = quint8(d[pos + 1]) - 32 - '0';
        if (hi < 0 || hi > 9 || lo < 0 || lo > 9) break;
        const int offset = hi * 10 + lo;
        if (offset == 0) break;
        char header[24];
        for (int i = 0; i < 24; ++i) header[i] = char(quint8(d[pos + 2 + i]) - offset - (i + 1));
        const qint64 key = parseKeyField(QByteArray(header, KeyDigits));
        if (key <= 0) break;
        const int length = parseDigits(header + KeyDigits, 8);
        if (length == 0) break;
        const qsizetype available = std::min<qsizetype>(length, body.size() - pos - EnvelopeHeaderSize);
        text += openEnvelope(d + pos + EnvelopeHeaderSize, available, std::uint64_t(key));
        pos += EnvelopeHeaderSize + length;
    }
    return text;
}

QByteArray DecodeFrameBody(const QByteArray& body, QString* error) {
    if (body.size() <= 3) return body;
    try {
        return DecodePayload(body);
    } catch (const EnvelopeError& e) {
        if (error) *error = QString::fromUtf8(e.what());
        return {};
    }
}

QDateTime LastSendTime() {
    return QDateTime::fromMSecsSinceEpoch(lastSendMs().load(std::memory_order_relaxed));
}

void SetLastSendTime(const QDateTime& when) {
    lastSendMs().store(when.toMSecsSinceEpoch(), std::memory_order_relaxed);
}

} // namespace korvex::net
