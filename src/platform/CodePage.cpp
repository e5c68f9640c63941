#include "platform/CodePage.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

namespace korvex::platform {

namespace {
// A character no Windows code page holds: the bytes the converter writes for it are its substitution.
constexpr char32_t unmappable = 0xFFFF;

QByteArray encodeOne(QStringEncoder& encoder, char32_t cp) {
    return encoder.encode(QString::fromUcs4(&cp, 1));
}
} // namespace

QByteArray EncodeCodePage(const QString& text, const char* codePage) {
    QStringEncoder encoder(codePage);
    if (!encoder.isValid()) return text.toLatin1();
    const QByteArray whole = encoder.encode(text);
    const QByteArray substitute = encodeOne(encoder, unmappable);
    if (substitute.isEmpty() || !whole.contains(substitute)) return whole;

    // Rare path: some character was substituted. Encode each one and tell a real mapping onto the
    // substitution bytes (e.g. U+001A itself) from a character the page lacks.
    QStringDecoder decoder(codePage);
    const QString substituteMeans = decoder.decode(substitute);
    QByteArray out;
    out.reserve(whole.size());
    for (const char32_t cp : text.toUcs4()) {
        const QByteArray bytes = encodeOne(encoder, cp);
        const bool lacking = bytes == substitute && substituteMeans != QString::fromUcs4(&cp, 1);
        out += lacking ? QByteArray("?") : bytes;
    }
    return out;
}

} // namespace korvex::platform
