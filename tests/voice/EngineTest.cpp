#include "Signals.h"
#include "net/MediaPackets.h"
#include "voice/VoiceEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace korvex::voice;
using namespace korvex::voice::test;

namespace {

const QString DataDir = QStringLiteral(KORVEX_DATA_DIR);

QByteArray packet(const QByteArray& field16, const QByteArray& audio) {
    return QByteArray("\x9A") + field16 + QByteArray("\x9C") + audio;
}

// An engine whose sides the test drives itself: no devices.
struct Rig {
    explicit Rig(bool highSpeed = true, QString dir = DataDir, int bufferMs = 2500)
        : engine(VoiceSettings{dir, highSpeed, [bufferMs](const QByteArray&) { return bufferMs; }}, nullptr,
                 nullptr),
          log(&engine, &VoiceEngine::DebugLog), errors(&engine, &VoiceEngine::VoiceError),
          packets(&engine, &VoiceEngine::PacketReady) {}
    QList<QByteArray> logLines() const {
        QList<QByteArray> lines;
        for (const auto& args : log)
            lines << args.at(0).toByteArray();
        return lines;
    }
    QList<QByteArray> sent() {
        QCoreApplication::processEvents();
        QList<QByteArray> out;
        for (const auto& args : packets)
            out << args.at(0).toByteArray();
        packets.clear();
        return out;
    }
    VoiceEngine engine;
    QSignalSpy log;
    QSignalSpy errors;
    QSignalSpy packets;
};

TEST(VoiceReceive, ValidPacketTable) {
    struct Case {
        const char* what;
        QByteArray frame;
        bool valid;
        qsizetype appended;
    };
    QByteArray badMarker = packet("GSM1            ", "abc");
    badMarker[17] = 'x';
    QByteArray badStart = packet("GSM1            ", "abc");
    badStart[0] = 'x';
    const Case cases[] = {
        {"17 bytes", packet("GSM1            ", "").left(17), false, 0},
        {"byte 17 not 9C", badMarker, false, 0},
        {"byte 0 not 9A", badStart, false, 0},
        {"exactly 18 bytes", packet("GSM1            ", ""), true, 0},
        {"18 bytes and audio", packet("GSM1            ", QByteArray(65, 'g')), true, 65},
    };
    for (const Case& c : cases) {
        Rig rig;
        EXPECT_EQ(rig.engine.ReceiveFrame(c.frame), c.valid) << c.what;
        EXPECT_EQ(rig.engine.ReceivedBytes(), c.appended) << c.what;
        const QList<QByteArray> lines = rig.logLines();
        ASSERT_FALSE(lines.isEmpty()) << c.what;
        EXPECT_EQ(lines.first(),
                  c.valid ? QByteArray("NewCode=GSM1") : QByteArray("Invalid sound data - ignoring."))
            << c.what;
        EXPECT_EQ(rig.engine.PlaybackCodec(), c.valid ? QByteArray("GSM1") : QByteArray()) << c.what;
    }
    Rig rig;
    EXPECT_FALSE(rig.engine.ReceiveFrame(QByteArray()));
    EXPECT_TRUE(rig.logLines().isEmpty()) << "an empty frame is ignored silently";
}

TEST(VoiceReceive, CodecNamesFromTheNetwork) {
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"GSM1           ~", "GSM1"},
        {"GSM2            ", "GSM2"},
        {QByteArray("GSM3\0zzzzzzzzzzz", 16), "GSM3"},
        {"SPEEX_WB        ", "SPEEX_WB"},
        {"NOSUCHCODEC     ", "GSM2"}, // no format file
        {"../../etc/passw ", "GSM2"}, // never a path
        {"GSM 1           ", "GSM2"},
    };
    for (const auto& [field, playback] : cases) {
        Rig rig;
        ASSERT_TRUE(rig.engine.ReceiveFrame(packet(field, "")));
        EXPECT_EQ(rig.engine.PlaybackCodec(), playback) << field.toStdString();
    }
}

TEST(VoiceReceive, PrebufferUsesThePlaybackRateAndStartsAtTheTarget) {
    Rig rig;
    rig.engine.ApplyRoomCodec("MP3_56_24000S"); // send side: 7,000 bytes a second
    ASSERT_TRUE(rig.errors.isEmpty());
    EXPECT_EQ(rig.engine.SendCodec(), "MP3_56_24000S");
    ASSERT_TRUE(rig.engine.ReceiveFrame(packet("GSM1           ~", QByteArray(4061, 'g'))));
    EXPECT_EQ(rig.engine.PlaybackCodec(), "GSM1");
    // 2500 ms of GSM1 at 1,625 bytes a second, not of the send codec's 7,000.
    EXPECT_EQ(rig.engine.PrebufferTarget(), 4062);
    EXPECT_FALSE(rig.engine.PlaybackStarted());
    EXPECT_EQ(rig.engine.DisplayBufferStatus(true),
              (BufferStatus{true, BufferStatus::Shape::Square, BufferStatus::Colour::Lime, 99}));
    ASSERT_TRUE(rig.engine.ReceiveFrame(packet("GSM1           ~", "g")));
    EXPECT_TRUE(rig.engine.PlaybackStarted());
    EXPECT_EQ(rig.engine.DisplayBufferStatus(false).shape, BufferStatus::Shape::Circle);
    EXPECT_FALSE(rig.engine.DisplayBufferStatus(false).visible);
    EXPECT_EQ(rig.engine.SendCodec(), "MP3_56_24000S") << "a received codec never changes the send side";
}

TEST(VoiceReceive, LoadsAtMostOneSecondEach) {
    Rig rig;
    rig.engine.ApplyRoomCodec("GSM1");
    rig.engine.ReceiveFrame(packet("GSM1           ~", QByteArray(4062, 'g'))); // 2.5 s of GSM1
    EXPECT_EQ(rig.engine.DSPOutBufferLoad().size(), 1625);
    EXPECT_EQ(rig.engine.DSPOutBufferLoad().size(), 1625);
    EXPECT_EQ(rig.engine.DSPOutBufferLoad().size(), 812);
    EXPECT_EQ(rig.engine.DSPOutBufferLoad().size(), 0);
    EXPECT_TRUE(rig.engine.PlaybackStarted()) << "playback keeps running on an empty buffer";
}

TEST(VoiceReceive, FillLevelColours) {
    const struct {
        qsizetype bytes;
        int level;
        BufferStatus::Colour colour;
    } cases[] = {
        {0, 0, BufferStatus::Colour::Red},
        {1585, 39, BufferStatus::Colour::Yellow},
        {1625, 40, BufferStatus::Colour::Lime},
        {41, 1, BufferStatus::Colour::Yellow},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.engine.ApplyRoomCodec("GSM1");
        if (c.bytes > 0) rig.engine.ReceiveFrame(packet("GSM1            ", QByteArray(c.bytes, 'g')));
        const BufferStatus s = rig.engine.DisplayBufferStatus(true);
        EXPECT_EQ(s.fillLevel, c.level) << c.bytes;
        EXPECT_EQ(s.colour, c.colour) << c.bytes;
        EXPECT_EQ(quint32(s.colour), c.colour == BufferStatus::Colour::Red    ? 0x0000FFu
                                     : c.colour == BufferStatus::Colour::Lime ? 0x00FF00u
                                                                              : 0x00FFFFu);
    }
    Rig zero(true, DataDir, 0);
    zero.engine.ApplyRoomCodec("GSM1");
    EXPECT_EQ(zero.engine.DisplayBufferStatus(true).colour, BufferStatus::Colour::Lime)
        << "a target of 0 is full";
}

TEST(VoiceReceive, ReceiveBufferIsCappedDroppingTheOldest) {
    Rig rig;
    rig.engine.ApplyRoomCodec("GSM1");
    // Nothing pulls playback here, as with a stalled sound device.
    QByteArray last;
    for (int i = 0; i < 40; ++i) {
        last = QByteArray(1300, char('A' + i % 26));
        rig.engine.ReceiveFrame(packet("GSM1           ~", last));
    }
    const qint64 cap = rig.engine.PrebufferTarget() + 5 * 1625;
    EXPECT_LE(rig.engine.ReceivedBytes(), cap);
    EXPECT_GT(rig.engine.ReceivedBytes(), cap - 65);
    QByteArray all;
    for (QByteArray load; !(load = rig.engine.DSPOutBufferLoad()).isEmpty();)
        all += load;
    EXPECT_TRUE(all.endsWith(last)) << "the newest audio is kept";
    EXPECT_EQ(all.size() % 65, 0) << "dropped in whole blocks";
}

TEST(VoiceReceive, AnotherCodecReconfiguresPlaybackOnly) {
    Rig rig;
    rig.engine.ApplyRoomCodec("GSM1");
    ASSERT_TRUE(rig.engine.StartTalking());
    rig.engine.ReceiveFrame(packet("GSM1            ", QByteArray(650, 'g')));
    rig.engine.ReceiveFrame(packet("SPEEX_WB        ", QByteArray(70, 's')));
    EXPECT_TRUE(rig.engine.Talking()) << "capture keeps running";
    EXPECT_EQ(rig.engine.SendCodec(), "GSM1");
    EXPECT_EQ(rig.engine.PlaybackCodec(), "SPEEX_WB");
    EXPECT_EQ(rig.engine.ReceivedBytes(), 70) << "the old codec's bytes are dropped";
}

TEST(VoiceSend, MissingFormatFileDisablesVoiceWithAMessage) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Data/ini");
    QFile::copy(DataDir + "/Data/ini/GSM1.dat", dir.path() + "/Data/ini/GSM1.dat");
    Rig rig(true, dir.path());
    rig.engine.ApplyRoomCodec("SPEEX_NB"); // missing, and so is the fallback GSM2
    ASSERT_EQ(rig.errors.size(), 1);
    EXPECT_EQ(rig.errors.first().at(0).toString(),
              "No codec ini file found for codec \"GSM2\" - voice is disabled for this room.");
    EXPECT_TRUE(rig.engine.VoiceDisabled());
    EXPECT_FALSE(rig.engine.StartTalking());
    // The room's codec arriving later enables it again.
    rig.engine.ApplyRoomCodec("GSM1");
    EXPECT_FALSE(rig.engine.VoiceDisabled());
    EXPECT_TRUE(rig.engine.StartTalking());
}

TEST(VoiceSend, UnknownRoomCodecFallsBackToGsm2AndLowSpeedForcesGsm1) {
    Rig high(true);
    high.engine.ApplyRoomCodec("NOFILE");
    EXPECT_EQ(high.engine.SendCodec(), "GSM2");
    EXPECT_EQ(high.engine.PrebufferMs(), 2500);
    Rig low(false);
    low.engine.ApplyRoomCodec("GSM2");
    EXPECT_EQ(low.engine.SendCodec(), "GSM1");
    VoiceEngine restricted(VoiceSettings{DataDir, true, {}, true}, nullptr, nullptr);
    restricted.ApplyRoomCodec("GSM2");
    EXPECT_TRUE(restricted.SendCodec().isEmpty());
    EXPECT_FALSE(restricted.StartTalking());
}

// Talks `seconds` of a tone through the engine and returns the packets sent.
QList<QByteArray> talk(Rig& rig, double seconds, bool connected = true) {
    rig.engine.SetSoundConnected(connected);
    EXPECT_TRUE(rig.engine.StartTalking());
    const int rate = int(rig.engine.SendFormat().samplesPerSec);
    const Pcm tone = Tone(rate, 1000, seconds);
    for (std::size_t at = 0; at < tone.size(); at += 512)
        rig.engine.CaptureSamples(tone.data() + at, std::min<std::size_t>(512, tone.size() - at));
    rig.engine.StopTalking();
    return rig.sent();
}

TEST(VoiceSend, HighSpeedSendsBothStreamsLowSpeedOnlyGsm1) {
    for (const bool highSpeed : {true, false}) {
        Rig rig(highSpeed);
        rig.engine.ApplyRoomCodec("SPEEX_WB");
        int hq = 0, lq = 0;
        qsizetype lqAudio = 0;
        const QList<QByteArray> sent = talk(rig, 3.0);
        for (qsizetype i = 0; i < sent.size(); ++i) {
            const auto p = korvex::net::ParseVoicePacket(sent[i]);
            ASSERT_TRUE(p);
            const bool last = i >= sent.size() - 2;
            if (p->lowQuality) {
                ++lq;
                lqAudio += p->audio.size();
                EXPECT_EQ(sent[i].mid(1, 16), "GSM1           ~");
                if (!last) {
                    EXPECT_GE(p->audio.size(), 625);
                }
                EXPECT_EQ(p->audio.size() % 65, 0);
            } else {
                ++hq;
                EXPECT_EQ(sent[i].mid(1, 16), "SPEEX_WB        ");
                if (!last) {
                    EXPECT_GE(p->audio.size(), 1250);
                }
            }
        }
        EXPECT_EQ(hq > 0, highSpeed);
        EXPECT_GT(lq, 0);
        // Every sample went out, the last shorter packet included: 3 s of GSM1 is 75 blocks.
        EXPECT_EQ(lqAudio, 75 * 65) << "highSpeed=" << highSpeed;
    }
}

TEST(VoiceSend, NothingGoesOutWithoutTheSoundConnection) {
    Rig rig;
    rig.engine.ApplyRoomCodec("GSM1");
    EXPECT_TRUE(talk(rig, 2.0, false).isEmpty());
}

TEST(VoiceLoop, WhatOneEngineSendsAnotherPlays) {
    for (const char* codec : {"GSM1", "SPEEX_NB", "MP3_32_16000M", "OPUS_16000M", "GSM3"}) {
        Rig sender, receiver;
        sender.engine.ApplyRoomCodec(codec);
        receiver.engine.ApplyRoomCodec(codec);
        for (const QByteArray& p : talk(sender, 3.0))
            if (!korvex::net::ParseVoicePacket(p)->lowQuality) receiver.engine.ReceiveFrame(p);
        ASSERT_TRUE(receiver.engine.PlaybackStarted()) << codec;
        Pcm out(16000 * 4);
        const std::size_t got = receiver.engine.ReadPlayback(out.data(), out.size());
        out.resize(got);
        EXPECT_GE(got, 16000u * 2) << codec;
        EXPECT_GT(ToneShare(Pcm(out.begin() + 4000, out.end() - 4000), 16000, 1000), 0.7) << codec;
    }
}

TEST(VoiceSend, EchoShapesWhatIsSent) {
    Rig plain, echo;
    for (Rig* r : {&plain, &echo})
        r->engine.ApplyRoomCodec("GSM1");
    ReverbPreset p;
    p.taps = {{100, -80}};
    echo.engine.SetEcho(p);
    EXPECT_TRUE(echo.engine.EchoOn());
    const auto a = talk(plain, 1.0), b = talk(echo, 1.0);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_NE(a, b);
    echo.engine.SetEcho(std::nullopt);
    EXPECT_FALSE(echo.engine.EchoOn());
}

} // namespace

namespace {

TEST(VoiceSend, NoiseSuppressionIsOffByDefaultAndDampsSteadyNoise) {
    // Steady noise at 16 kHz; after the estimator settles the suppressor removes most of it.
    Pcm noise(16000 * 3);
    std::uint32_t seed = 1;
    for (std::int16_t& s : noise) {
        seed = seed * 1664525u + 1013904223u;
        s = std::int16_t(int(seed >> 20) - 2048);
    }
    auto energy = [](const Pcm& p, std::size_t from) {
        double e = 0;
        for (std::size_t i = from; i < p.size(); ++i)
            e += double(p[i]) * p[i];
        return e;
    };
    Preprocessor pre(16000);
    Pcm out;
    pre.Process(noise.data(), noise.size(), out);
    ASSERT_EQ(out.size(), noise.size());
    EXPECT_LT(energy(out, 32000), 0.25 * energy(noise, 32000));

    // The engine sends the same bytes with the stage unset as with it switched off.
    Rig a, b;
    for (Rig* r : {&a, &b})
        r->engine.ApplyRoomCodec("GSM1");
    b.engine.SetNoiseSuppression(true);
    b.engine.SetNoiseSuppression(false);
    EXPECT_EQ(talk(a, 1.0), talk(b, 1.0));
}

} // namespace

namespace {

TEST(VoiceDevices, NullDevicesKeepTheEngineWorkingWithoutSound) {
    VoiceSettings settings{DataDir, true, [](const QByteArray&) { return 0; }};
    VoiceEngine sender(settings, CreateNullCapture(), CreateNullPlayback());
    VoiceEngine receiver(settings, CreateNullCapture(), CreateNullPlayback());
    QSignalSpy packets(&sender, &VoiceEngine::PacketReady);
    sender.ApplyRoomCodec("GSM1");
    receiver.ApplyRoomCodec("GSM1");
    sender.SetSoundConnected(true);
    ASSERT_TRUE(sender.StartTalking());
    // The null capture delivers silence in real time: 0.4 s fill one low-quality packet.
    QTRY_VERIFY_WITH_TIMEOUT(!packets.isEmpty(), 3000);
    sender.StopTalking();
    QCoreApplication::processEvents();
    for (const auto& args : packets)
        receiver.ReceiveFrame(args.at(0).toByteArray());
    EXPECT_TRUE(receiver.PlaybackStarted());
    // The null playback consumes what was received.
    QTRY_COMPARE_WITH_TIMEOUT(receiver.ReceivedBytes(), 0, 3000);
}

} // namespace
