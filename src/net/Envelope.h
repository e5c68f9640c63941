#pragma once

#include <QByteArray>
#include <QDateTime>

#include <cstdint>
#include <stdexcept>

namespace korvex::net {

// Plain text that starts with these four bytes carries a zlib stream of the command text.
inline const QByteArray CompressMarker = QByteArrayLiteral("\x9C\x9C\x9A\x9A");

// Raised for envelopes that cannot be decoded; what() is the text the user is shown.
class EnvelopeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The normal encoder: compresses (except the bare version request), enciphers under a fresh random key and
// returns the whole frame, header included, ready for WriteText. Records LastSendTime.
QByteArray EncodeCommand(const QByteArray& commandText);

// Enciphers without compressing; returns the envelope alone (no frame header), leaves LastSendTime alone.
QByteArray EncodeCommandRaw(const QByteArray& commandText);

// Builds an envelope with a given offset K (4..75) and 16-digit key string; the random encoders call it.
// Exposed so tests can check exact bytes.
QByteArray BuildEnvelope(const QByteArray& plainText, int offset, const QByteArray& keyDigits);

// Decodes every envelope of a frame body and returns their plain texts joined. Throws EnvelopeError for a key
// that is not a number or a cipher text that is not a whole number of blocks; other malformed headers end the
// decoding silently, keeping what was decoded before.
QByteArray DecodePayload(const QByteArray& body);

// What the command connection's reader does with a frame body: bodies of 1 to 3 bytes are plain command text,
// longer ones go through DecodePayload. Never throws: a decoding error empties the text and fills *error.
QByteArray DecodeFrameBody(const QByteArray& body, QString* error = nullptr);

// When EncodeCommand last finished (the program's start time before the first message). The keep-alive
// compares it with the clock.
QDateTime LastSendTime();
void SetLastSendTime(const QDateTime& when);

} // namespace korvex::net
