#include "voice/ReverbPresets.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace korvex::voice;

namespace {

const QString DataDir = QStringLiteral(KORVEX_DATA_DIR);

std::vector<std::int16_t> impulseResponse(const ReverbPreset& preset, int rate, std::size_t length) {
    Reverb r(rate);
    r.SetPreset(preset);
    r.SetEnabled(true);
    std::vector<std::int16_t> s(length, 0);
    s[0] = 10000;
    // In odd pieces: the delay line must carry across calls.
    for (std::size_t at = 0; at < length; at += 333)
        r.Process(s.data() + at, std::min<std::size_t>(333, length - at));
    return s;
}

std::vector<std::pair<std::size_t, int>> nonZero(const std::vector<std::int16_t>& s) {
    std::vector<std::pair<std::size_t, int>> out;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (s[i] != 0) out.emplace_back(i, s[i]);
    return out;
}

ReverbPreset shippedPreset(const char* name) {
    ReverbPresetFile file(ReverbPresetFile::PathIn(DataDir));
    const auto p = file.Load(name);
    EXPECT_TRUE(p) << name;
    return p.value_or(ReverbPreset{});
}

TEST(Reverb, ImpulseResponseHasTheTapsAtTheirDelaysAndSigns) {
    using Taps = std::vector<std::pair<std::size_t, int>>;
    // Input gain 80 %, output 100 %: the dry impulse comes out as 8000.
    // "Simple Echo": 150 ms at 63 %, no feedback.
    EXPECT_EQ(nonZero(impulseResponse(shippedPreset("Simple Echo"), 16000, 8000)),
              (Taps{{0, 8000}, {2400, 5040}}));
    // "Long Echo": 350 ms at -50 % with 50 % feedback: -4000, then the fed-back -2000 through the tap again.
    EXPECT_EQ(nonZero(impulseResponse(shippedPreset("Reverb.Long Echo"), 8000, 8000)),
              (Taps{{0, 8000}, {2800, -4000}, {5600, 1000}}));
    // "Bass Bost": a tap without delay adds 60 % of the dry signal at once.
    EXPECT_EQ(nonZero(impulseResponse(shippedPreset("Bass Bost"), 8000, 1000)), (Taps{{0, 12800}}));
    // "Distance Echo" at 8 kHz: taps at 160 and 300 ms, positive.
    const auto d = impulseResponse(shippedPreset("Distance Echo"), 8000, 2500);
    EXPECT_EQ(d[1280], 2400);
    EXPECT_EQ(d[2400], 4000);
    EXPECT_EQ(d[1279], 0);
}

TEST(Reverb, DisabledPassesThroughAndClippingIsReported) {
    Reverb r(8000);
    r.SetPreset(shippedPreset("Heavy Bass Boost"));
    std::vector<std::int16_t> s = {1000, -1000, 30000};
    r.Process(s.data(), s.size());
    EXPECT_EQ(s, (std::vector<std::int16_t>{1000, -1000, 30000}));
    r.SetEnabled(true);
    r.Process(s.data(), s.size());
    EXPECT_EQ(s[0], 2000); // 0.8 x 2.5
    EXPECT_EQ(s[2], 32767);
    EXPECT_TRUE(r.TakeOverflow());
    EXPECT_FALSE(r.TakeOverflow());
}

TEST(Reverb, StrongFeedbackStaysBounded) {
    ReverbPreset p = shippedPreset("Hall Reverb Big");
    p.feedBack = 99;
    p.taps = {{10, 100}, {11, 100}};
    Reverb r(8000);
    r.SetPreset(p);
    r.SetEnabled(true);
    std::vector<std::int16_t> s(80000, 20000);
    r.Process(s.data(), s.size());
    EXPECT_TRUE(r.TakeOverflow());
    EXPECT_EQ(s.back(), 32767);
}

TEST(ReverbPresets, DefaultsAreTheShippedFileByteForByte) {
    QFile shipped(ReverbPresetFile::PathIn(DataDir));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    EXPECT_EQ(ReverbPresetFile::DefaultContents(), shipped.readAll());

    QTemporaryDir dir;
    ReverbPresetFile file(ReverbPresetFile::PathIn(dir.path()));
    EXPECT_FALSE(file.Exists());
    EXPECT_TRUE(file.List().isEmpty());
    EXPECT_FALSE(file.Load("Distance Echo"));
    ASSERT_TRUE(file.WriteDefaults());
    QFile written(file.path());
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), ReverbPresetFile::DefaultContents());

    const QList<QByteArray> names = file.List();
    ASSERT_EQ(names.size(), 24);
    EXPECT_EQ(names.first(), "Distance Echo");
    EXPECT_EQ(names[14], "FeedBack Overload");
    EXPECT_EQ(names.last(), "Big Room");
}

TEST(ReverbPresets, ParticularLinesOfTheDefaults) {
    const QByteArray text = ReverbPresetFile::DefaultContents();
    EXPECT_TRUE(text.startsWith("[Reverb.Distance Echo]\r\nMaxDelay=1000\r\nInputGain=80\r\nInputPan=0\r\n"
                                "OutputGain=100\r\nFeedBack=75\r\nFilter=0\r\nDelay0=160\r\nGain0=30\r\n"
                                "Delay1=300\r\nGain1=50\r\n\r\n[Reverb.Air Duct Reverb]\r\n"));
    EXPECT_TRUE(text.contains("[Reverb.Hagel]\r\nMaxDelay=1000\r\nInputGain=80\r\nInputPan=01\r\n"));
    EXPECT_TRUE(text.contains("Gain0=39\r\nDelay1=150\r\nDelay2=200\r\n"))
        << "tap 1 of FeedBack Overload has no gain";
    EXPECT_TRUE(text.endsWith("Delay5=170\r\nGain5=31\r\n"));
    EXPECT_EQ(text.count("\r\n\r\n"), 23);

    const ReverbPreset overload = shippedPreset("FeedBack Overload");
    ASSERT_EQ(overload.taps.size(), 4u);
    EXPECT_EQ(overload.taps[1], (ReverbTap{150, 0}));
    EXPECT_EQ(overload.feedBack, 78);
    EXPECT_EQ(shippedPreset("Hagel").inputPan, 1);
}

TEST(ReverbPresets, SaveOverwriteAndDeleteKeepTheOtherSections) {
    QTemporaryDir dir;
    ReverbPresetFile file(ReverbPresetFile::PathIn(dir.path()));
    ASSERT_TRUE(file.WriteDefaults());
    ReverbPreset mine;
    mine.inputGain = 55;
    mine.feedBack = -20;
    mine.taps = {{30, -40}, {60, 25}};
    ASSERT_TRUE(file.Save("Mine", mine));
    EXPECT_EQ(file.List().size(), 25);
    EXPECT_EQ(file.List().last(), "Mine");
    EXPECT_EQ(file.Load("reverb.mine"), mine) << "prefix and case do not matter";

    // Overwriting a preset in the middle keeps everything around it byte for byte.
    ReverbPreset echo;
    echo.taps = {{200, 10}};
    ASSERT_TRUE(file.Save("Reverb.Simple Echo", echo));
    EXPECT_EQ(file.Load("Simple Echo"), echo);
    EXPECT_EQ(file.Load("Long Echo"), shippedPreset("Long Echo"));
    EXPECT_EQ(file.List().size(), 25);

    ASSERT_TRUE(file.Delete("Simple Echo"));
    ASSERT_TRUE(file.Delete("Reverb.Mine"));
    EXPECT_FALSE(file.Load("Simple Echo"));
    QList<QByteArray> expected = ReverbPresetFile(ReverbPresetFile::PathIn(DataDir)).List();
    expected.removeAll("Simple Echo");
    EXPECT_EQ(file.List(), expected);
    // Deleting the defaults' own section leaves the rest as the defaults wrote them.
    QFile f(file.path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray withoutSimple = ReverbPresetFile::DefaultContents();
    const qsizetype at = withoutSimple.indexOf("[Reverb.Simple Echo]");
    withoutSimple.remove(at, withoutSimple.indexOf("[Reverb.Long Echo]") - at);
    EXPECT_EQ(f.readAll(), withoutSimple);
    EXPECT_TRUE(file.Delete("Not There"));
}

TEST(ReverbPresets, OddValuesFallBackToDefaults) {
    const ReverbPreset p = ReverbPresetFile::ParseSection(
        {"MaxDelay=abc", "InputGain = 50", "FeedBack=", "Delay0=20", "Gain0=x", "Delay2=40", "junk line"});
    EXPECT_EQ(p.maxDelay, 1000);
    EXPECT_EQ(p.inputGain, 50);
    EXPECT_EQ(p.feedBack, 0);
    ASSERT_EQ(p.taps.size(), 1u) << "taps end at the first missing index";
    EXPECT_EQ(p.taps[0], (ReverbTap{20, 0}));
}

} // namespace
