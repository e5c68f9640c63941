#include "voice/Codec.h"
#include "voice/Codecs.h"

namespace korvex::voice {

std::unique_ptr<VoiceEncoder> CreateEncoder(const WaveFormat& format, QString* error) {
    QString why;
    std::unique_ptr<VoiceEncoder> enc;
    switch (format.formatTag) {
    case WaveFormatPcm:
        enc = makePcmEncoder(format, why);
        break;
    case WaveFormatGsm610:
        enc = makeGsmEncoder(format, why);
        break;
    case WaveFormatSpeex:
        enc = makeSpeexEncoder(format, why);
        break;
    case WaveFormatMpegLayer3:
        enc = makeMp3Encoder(format, why);
        break;
    case WaveFormatOpus:
        enc = makeOpusEncoder(format, why);
        break;
    default:
        why = QStringLiteral("no codec for format tag 0x%1").arg(format.formatTag, 4, 16, QLatin1Char('0'));
    }
    if (!enc && error) *error = why;
    return enc;
}

std::unique_ptr<VoiceDecoder> CreateDecoder(const WaveFormat& format, QString* error) {
    QString why;
    std::unique_ptr<VoiceDecoder> dec;
    switch (format.formatTag) {
    case WaveFormatPcm:
        dec = makePcmDecoder(format, why);
        break;
    case WaveFormatGsm610:
        dec = makeGsmDecoder(format, why);
        break;
    case WaveFormatSpeex:
        dec = makeSpeexDecoder(format, why);
        break;
    case WaveFormatMpegLayer3:
        dec = makeMp3Decoder(format, why);
        break;
    case WaveFormatOpus:
        dec = makeOpusDecoder(format, why);
        break;
    default:
        why = QStringLiteral("no codec for format tag 0x%1").arg(format.formatTag, 4, 16, QLatin1Char('0'));
    }
    if (!dec && error) *error = why;
    return dec;
}

} // namespace korvex::voice
