#include "voice/Codec.h"

#include "Signals.h"
#include "voice/WaveFormat.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace korvex::voice;
using namespace korvex::voice::test;

namespace {

const QString DataDir = QStringLiteral(KORVEX_DATA_DIR);

WaveFormat shipped(const char* name) {
    QString why;
    const auto f = LoadCodecFormat(DataDir, name, &why);
    EXPECT_TRUE(f) << name << ": " << why.toStdString();
    return f.value_or(WaveFormat{});
}

// Encodes in odd-sized pieces (so frames straddle calls), flushes, decodes in odd-sized pieces.
Pcm roundTrip(const WaveFormat& f, const Pcm& in, QByteArray* encodedOut = nullptr) {
    QString why;
    auto enc = CreateEncoder(f, &why);
    auto dec = CreateDecoder(f, &why);
    EXPECT_TRUE(enc && dec) << why.toStdString();
    if (!enc || !dec) return {};
    QByteArray encoded;
    for (std::size_t at = 0; at < in.size(); at += 441)
        enc->Encode(in.data() + at, std::min<std::size_t>(441, in.size() - at), encoded);
    enc->Flush(encoded);
    Pcm out;
    for (qsizetype at = 0; at < encoded.size(); at += 37)
        dec->Decode(encoded.constData() + at, std::size_t(std::min<qsizetype>(37, encoded.size() - at)), out);
    if (encodedOut) *encodedOut = encoded;
    return out;
}

struct CodecCase {
    const char* name;
    double toneCorrelation; // 1 kHz tone
    double voiceCorrelation;
    int maxLag; // codec delay in samples at the codec's rate
};

void PrintTo(const CodecCase& c, std::ostream* os) {
    *os << c.name;
}

class CodecRoundTrip : public ::testing::TestWithParam<CodecCase> {};

TEST_P(CodecRoundTrip, KeepsToneAndVoice) {
    const CodecCase c = GetParam();
    const WaveFormat f = shipped(c.name);
    const int rate = int(f.samplesPerSec);
    const Pcm tone = Tone(rate, 1000, 1.0);
    const Pcm voice = VoiceLike(rate, 1.5);

    QByteArray encoded;
    const Pcm toneOut = roundTrip(f, tone, &encoded);
    if (f.blockAlign > 1) {
        EXPECT_EQ(encoded.size() % f.blockAlign, 0) << "whole blocks only";
    }
    // The stream's rate is the format's, within what an average-rate MP3 encoder allows.
    const double bytesPerSecond = double(encoded.size()) / 1.0;
    EXPECT_NEAR(bytesPerSecond, f.avgBytesPerSec,
                f.avgBytesPerSec * (f.formatTag == WaveFormatMpegLayer3 ? 0.6 : 0.1));
    const Match t = BestMatch(tone, toneOut, c.maxLag);
    EXPECT_GE(t.correlation, c.toneCorrelation) << c.name << " lag " << t.lag << " snr " << t.snrDb;

    const Pcm voiceOut = roundTrip(f, voice);
    // libmpg123 holds the newest MP3 frame back until the next one shows it complete.
    const std::size_t heldBack = f.formatTag == WaveFormatMpegLayer3 ? 1152 : 0;
    EXPECT_GE(voiceOut.size() + heldBack, voice.size());
    const Match v = BestMatch(voice, voiceOut, c.maxLag);
    EXPECT_GE(v.correlation, c.voiceCorrelation) << c.name << " lag " << v.lag << " snr " << v.snrDb;
}

INSTANTIATE_TEST_SUITE_P(
    Shipped, CodecRoundTrip,
    ::testing::Values(CodecCase{"GSM1", 0.95, 0.85, 400}, CodecCase{"GSM2", 0.95, 0.85, 400},
                      CodecCase{"GSM3", 0.95, 0.85, 400}, CodecCase{"MP3_20_12000S", 0.9, 0.8, 3000},
                      CodecCase{"MP3_32_16000M", 0.9, 0.8, 3000},
                      CodecCase{"LMP3_128_48000S", 0.95, 0.9, 4000}, CodecCase{"SPEEX_NB", 0.8, 0.6, 800},
                      CodecCase{"SPEEX_WB", 0.8, 0.6, 800}, CodecCase{"SPEEX_UWB", 0.8, 0.6, 1600},
                      CodecCase{"OPUS_16000M", 0.8, 0.6, 1200}, CodecCase{"OPUS_48000M", 0.8, 0.6, 3600}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CodecFormats, EveryShippedFileParsesRoundTripsAndHasACodec) {
    const QStringList files = QDir(DataDir + "/Data/ini").entryList({"*.dat"}, QDir::Files);
    ASSERT_GE(files.size(), 3);
    for (const QString& file : files) {
        QFile in(DataDir + "/Data/ini/" + file);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        const QByteArray bytes = in.readAll();
        QString why;
        const auto f = ParseWaveFormat(bytes, &why);
        ASSERT_TRUE(f) << file.toStdString() << ": " << why.toStdString();
        EXPECT_EQ(SerializeWaveFormat(*f), bytes) << file.toStdString();
        EXPECT_TRUE(CreateEncoder(*f, &why)) << file.toStdString() << ": " << why.toStdString();
        EXPECT_TRUE(CreateDecoder(*f, &why)) << file.toStdString() << ": " << why.toStdString();
    }
}

TEST(CodecFormats, GsmFilesAreMicrosoftGsm610) {
    for (const auto& [name, rate] : {std::pair{"GSM1", 8000u}, {"GSM2", 16000u}, {"GSM3", 32000u}}) {
        const WaveFormat f = shipped(name);
        EXPECT_EQ(f.formatTag, WaveFormatGsm610);
        EXPECT_EQ(f.samplesPerSec, rate);
        EXPECT_EQ(f.blockAlign, 65);
        EXPECT_EQ(f.avgBytesPerSec, rate * 65 / 320);
        EXPECT_EQ(qFromLittleEndian<quint16>(f.extra.constData()), 320); // samples per block
    }
    EXPECT_EQ(shipped("GSM1").avgBytesPerSec, 1625u);
}

TEST(CodecFormats, BadBlocksAreRefused) {
    const QByteArray good = SerializeWaveFormat(shipped("GSM1"));
    QByteArray extraTooLong = good;
    extraTooLong.append('x');
    QByteArray extraTooShort = good;
    extraTooShort.chop(1);
    QByteArray huge = good;
    qToLittleEndian<quint16>(quint16(MaxFormatFileSize - WaveFormatHeaderSize + 1), extraTooLong.data() + 16);
    huge.append(QByteArray(MaxFormatFileSize, 'x'));
    qToLittleEndian<quint16>(quint16(huge.size() - WaveFormatHeaderSize), huge.data() + 16);
    QByteArray noChannels = good;
    noChannels[2] = 0;
    QByteArray noBlock = good;
    noBlock[12] = 0;
    const std::pair<const char*, QByteArray> cases[] = {
        {"empty", QByteArray()},
        {"header cut", good.left(17)},
        {"extra bytes beyond cbSize", extraTooLong},
        {"cbSize beyond the file", extraTooShort},
        {"over 512 bytes", huge},
        {"no channels", noChannels},
        {"block align 0", noBlock},
    };
    for (const auto& [what, bytes] : cases) {
        QString why;
        EXPECT_FALSE(ParseWaveFormat(bytes, &why)) << what;
        EXPECT_FALSE(why.isEmpty()) << what;
    }
    // Exactly 512 bytes is still a format block.
    QByteArray max =
        good.left(WaveFormatHeaderSize) + QByteArray(MaxFormatFileSize - WaveFormatHeaderSize, 'e');
    qToLittleEndian<quint16>(quint16(MaxFormatFileSize - WaveFormatHeaderSize), max.data() + 16);
    EXPECT_TRUE(ParseWaveFormat(max));
}

TEST(CodecFormats, OversizedFileOnDiskIsRefused) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Data/ini");
    QFile f(dir.path() + "/Data/ini/BIG.dat");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QByteArray big = SerializeWaveFormat(shipped("GSM1")) + QByteArray(600, 'x');
    qToLittleEndian<quint16>(quint16(big.size() - WaveFormatHeaderSize), big.data() + 16);
    f.write(big);
    f.close();
    QString why;
    EXPECT_FALSE(LoadCodecFormat(dir.path(), "BIG", &why));
    EXPECT_TRUE(why.contains("512")) << why.toStdString();
}

TEST(CodecFormats, CodecNamesNeverBecomeOtherPaths) {
    for (const QByteArray& name :
         {QByteArray("../GSM1"), QByteArray("GSM1/../GSM1"), QByteArray(""), QByteArray("GSM 1"),
          QByteArray("ABCDEFGHIJKLMNOP"), QByteArray("GSM1\0x", 6), QByteArray("/etc/passwd"),
          QByteArray("GSM1.dat")}) {
        EXPECT_FALSE(IsValidCodecName(name)) << name.toStdString();
        EXPECT_TRUE(CodecFormatPath(DataDir, name).isEmpty());
        EXPECT_FALSE(LoadCodecFormat(DataDir, name));
    }
    EXPECT_TRUE(IsValidCodecName("ABCDEFGHIJKLMNO")); // 15 characters
    EXPECT_TRUE(IsValidCodecName("LMP3_128_48000S"));
    // Found without regard to case, as names arrive upper-cased from the codec table.
    EXPECT_TRUE(LoadCodecFormat(DataDir, "gsm1"));
}

TEST(CodecFormats, FormatsACodecCannotUseAreRefused) {
    WaveFormat gsm = shipped("GSM1");
    gsm.blockAlign = 64;
    WaveFormat unknown = shipped("GSM1");
    unknown.formatTag = 0x1234;
    WaveFormat speexOddRate = shipped("SPEEX_NB");
    speexOddRate.samplesPerSec = 11025;
    WaveFormat speexOddBlock = shipped("SPEEX_NB");
    speexOddBlock.blockAlign = 39;
    WaveFormat opusStereo = shipped("OPUS_16000M");
    opusStereo.channels = 2;
    for (const WaveFormat& f : {gsm, unknown, speexOddRate, speexOddBlock, opusStereo}) {
        QString why;
        EXPECT_FALSE(CreateEncoder(f, &why));
        EXPECT_FALSE(why.isEmpty());
    }
}

TEST(Codecs, DecodingGarbageNeverCrashes) {
    QRandomGenerator rng(7);
    for (const char* name : {"GSM1", "MP3_20_12000S", "LMP3_128_48000S", "SPEEX_WB", "OPUS_16000M"}) {
        auto dec = CreateDecoder(shipped(name));
        ASSERT_TRUE(dec);
        Pcm out;
        for (int round = 0; round < 50; ++round) {
            QByteArray junk(int(rng.bounded(1, 2000)), Qt::Uninitialized);
            for (char& c : junk)
                c = char(rng.bounded(256));
            dec->Decode(junk.constData(), std::size_t(junk.size()), out);
        }
        // After garbage and a reset the decoder still decodes real audio.
        dec->Reset();
        auto enc = CreateEncoder(shipped(name));
        const Pcm tone = Tone(int(shipped(name).samplesPerSec), 1000, 0.5);
        QByteArray good;
        enc->Encode(tone.data(), tone.size(), good);
        enc->Flush(good);
        Pcm again;
        dec->Decode(good.constData(), std::size_t(good.size()), again);
        EXPECT_GT(ToneShare(again, int(shipped(name).samplesPerSec), 1000), 0.5) << name;
    }
}

// A WAV file of Microsoft GSM 6.10 (format 0x0031) as Windows writes it.
QByteArray gsmWav(const QByteArray& blocks, quint32 rate, quint32 samples) {
    auto le16 = [](QByteArray& b, quint16 v) { b.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto le32 = [&](QByteArray& b, quint32 v) { le16(b, quint16(v)), le16(b, quint16(v >> 16)); };
    QByteArray fmt;
    le16(fmt, 0x31), le16(fmt, 1), le32(fmt, rate), le32(fmt, rate * 65 / 320), le16(fmt, 65), le16(fmt, 0);
    le16(fmt, 2), le16(fmt, 320);
    QByteArray w = "RIFF";
    le32(w, quint32(4 + 8 + fmt.size() + 12 + 8 + blocks.size()));
    w += "WAVEfmt ";
    le32(w, quint32(fmt.size()));
    w += fmt + "fact";
    le32(w, 4), le32(w, samples);
    w += "data";
    le32(w, quint32(blocks.size()));
    return w + blocks;
}

TEST(Codecs, GsmOutputIsDecodedBySoxBitIdentically) {
    const QString sox = QStandardPaths::findExecutable("sox");
    if (sox.isEmpty()) GTEST_SKIP() << "sox is not installed (scripts/deps/voice.txt lists it)";
    const WaveFormat f = shipped("GSM1");
    const Pcm voice = VoiceLike(8000, 2.0);
    QByteArray encoded;
    const Pcm ours = roundTrip(f, voice, &encoded);

    QTemporaryDir dir;
    QFile wav(dir.filePath("voice.wav"));
    ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
    wav.write(gsmWav(encoded, 8000, quint32(encoded.size() / 65 * 320)));
    wav.close();
    QProcess p;
    p.start(sox,
            {wav.fileName(), "-t", "raw", "-e", "signed-integer", "-b", "16", "-L", dir.filePath("out.raw")});
    ASSERT_TRUE(p.waitForFinished(20000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QFile raw(dir.filePath("out.raw"));
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray theirs = raw.readAll();
    ASSERT_EQ(theirs.size(), qsizetype(ours.size() * 2));
    EXPECT_EQ(std::memcmp(theirs.constData(), ours.data(), std::size_t(theirs.size())), 0);
}

TEST(Codecs, Mp3StreamIsDecodedByMpg123) {
    const QString mpg123 = QStandardPaths::findExecutable("mpg123");
    if (mpg123.isEmpty()) GTEST_SKIP() << "mpg123 is not installed (scripts/deps/voice.txt lists it)";
    for (const char* name : {"MP3_24_12000S", "LMP3_48_32000M"}) {
        const WaveFormat f = shipped(name);
        const Pcm voice = VoiceLike(int(f.samplesPerSec), 2.0);
        QByteArray encoded;
        roundTrip(f, voice, &encoded);
        QTemporaryDir dir;
        QFile mp3(dir.filePath("voice.mp3"));
        ASSERT_TRUE(mp3.open(QIODevice::WriteOnly));
        mp3.write(encoded);
        mp3.close();
        QProcess p;
        p.start(mpg123, {"-q", "-m", "-e", "s16", "-s", mp3.fileName()});
        ASSERT_TRUE(p.waitForFinished(20000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        const QByteArray raw = p.readAllStandardOutput();
        Pcm theirs(std::size_t(raw.size() / 2));
        std::memcpy(theirs.data(), raw.constData(), theirs.size() * 2);
        EXPECT_GE(theirs.size() + 1152, voice.size()) << name;
        const Match m = BestMatch(voice, theirs, 4000);
        EXPECT_GE(m.correlation, 0.8) << name << " lag " << m.lag;
    }
}

} // namespace
