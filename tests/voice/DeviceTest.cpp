#include "Signals.h"
#include "net/MediaPackets.h"
#include "voice/VoiceEngine.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace korvex::voice;
using namespace korvex::voice::test;

namespace {

const QString DataDir = QStringLiteral(KORVEX_DATA_DIR);

// scripts/services/pulseaudio.sh runs a private server: a null sink "korvex_speakers" with a 440 Hz sine
// playing into it, and its monitor remapped as the default microphone "korvex_mic".
bool soundServer() {
    return !qEnvironmentVariableIsEmpty("PULSE_SERVER");
}

TEST(SoundDevices, QtSeesTheTestServersDevices) {
    if (!soundServer())
        GTEST_SKIP()
            << "no sound server (PULSE_SERVER unset: scripts/services/pulseaudio.sh did not start one)";
    const QAudioDevice in = QMediaDevices::defaultAudioInput();
    const QAudioDevice out = QMediaDevices::defaultAudioOutput();
    ASSERT_FALSE(in.isNull());
    ASSERT_FALSE(out.isNull());
    EXPECT_TRUE(in.id().contains("korvex_mic")) << in.id().toStdString();
    EXPECT_TRUE(out.id().contains("korvex_speakers")) << out.id().toStdString();
}

TEST(SoundDevices, CapturedToneIsEncodedDecodedAndPlayed) {
    if (!soundServer())
        GTEST_SKIP()
            << "no sound server (PULSE_SERVER unset: scripts/services/pulseaudio.sh did not start one)";
    VoiceSettings settings{DataDir, true, {}};
    VoiceEngine sender(settings, CreateQtCapture(), nullptr);
    VoiceEngine receiver(settings, nullptr, CreateQtPlayback());
    QSignalSpy packets(&sender, &VoiceEngine::PacketReady);
    QSignalSpy captureErrors(&sender, &VoiceEngine::WaveInError);
    sender.ApplyRoomCodec("GSM1");
    receiver.ApplyRoomCodec("GSM1");
    sender.SetSoundConnected(true);
    ASSERT_TRUE(sender.StartTalking())
        << (captureErrors.isEmpty() ? "" : captureErrors.first().at(0).toString().toStdString());
    // Real time: 1.5 s of the tone, i.e. 1.5 s of GSM1 low-quality packets. The null sink starts with a
    // long block (up to 2 s) before its monitor delivers anything, hence the generous limit.
    QTRY_VERIFY_WITH_TIMEOUT(packets.size() >= 8, 8000);
    sender.StopTalking();
    QCoreApplication::processEvents();
    ASSERT_TRUE(captureErrors.isEmpty()) << captureErrors.first().at(0).toString().toStdString();

    // What was sent decodes to the server's 440 Hz tone.
    PlaybackChain check;
    ASSERT_TRUE(check.Configure(*LoadCodecFormat(DataDir, "GSM1"), nullptr));
    Pcm decoded;
    qsizetype received = 0;
    for (const auto& args : packets) {
        const QByteArray frame = args.at(0).toByteArray();
        const auto p = korvex::net::ParseVoicePacket(frame);
        ASSERT_TRUE(p);
        if (p->lowQuality) continue;
        check.DecodeAll(p->audio, decoded);
        received += p->audio.size();
        receiver.ReceiveFrame(frame);
    }
    ASSERT_GT(decoded.size(), 16000u);
    EXPECT_GT(ToneShare(Pcm(decoded.begin() + 4000, decoded.end()), 16000, 440), 0.6);

    // Played to the null sink: the sink pulls the whole buffer (prebuffer target lowered by the small
    // amount received; playback starts below it when the speaker leaves, as after "DelMic").
    receiver.StartPlaybackIfBuffered();
    ASSERT_TRUE(receiver.PlaybackStarted());
    QTRY_COMPARE_WITH_TIMEOUT(receiver.ReceivedBytes(), 0, 5000);
    EXPECT_GT(received, 0);
    receiver.StopAudio();
}

} // namespace

namespace {

TEST(SoundDevices, AFormatTheDeviceRefusesIsAnErrorNotACrash) {
    if (!soundServer())
        GTEST_SKIP()
            << "no sound server (PULSE_SERVER unset: scripts/services/pulseaudio.sh did not start one)";
    auto capture = CreateQtCapture();
    QString why;
    EXPECT_FALSE(capture->Start(
        0, [](const std::int16_t*, std::size_t) {}, {}, &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(capture->IsStarted());
    auto playback = CreateQtPlayback();
    why.clear();
    EXPECT_FALSE(playback->Start(
        0, [](std::int16_t*, std::size_t) { return std::size_t(0); }, {}, &why));
    EXPECT_FALSE(why.isEmpty());
}

} // namespace
