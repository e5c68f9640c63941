// CPU cost of room voice per second of audio, for the capture path (reverb off, send-codec encoder, "GSM1"
// branch resampled and encoded, both packetisers) and the playback path (decoder, resampling to 16 kHz), and
// the engine's own latency from a captured sample to the same sample leaving the playback path.
#include "support/Ratio.h"
#include "voice/CaptureChain.h"
#include "voice/VoiceEngine.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <cmath>

using namespace korvex::voice;

namespace {

QString dataDir() {
    return QStringLiteral(KORVEX_DATA_DIR);
}

struct Codec {
    const char* label; // as in the RATIO name
    const char* name;  // format file
};
const Codec Codecs[] = {{"gsm1", "GSM1"},
                        {"gsm2", "GSM2"},
                        {"mp3", "MP3_32_16000M"},
                        {"speex", "SPEEX_WB"},
                        {"opus", "OPUS_16000M"}};

Pcm voiceLike(int rate, double seconds) {
    Pcm s(std::size_t(rate * seconds));
    double phase = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / rate, f0 = 150 + 30 * std::sin(2 * M_PI * 1.3 * t);
        phase += 2 * M_PI * f0 / rate;
        double v = 0;
        for (int h = 1; h * f0 < 3400 && h < 30; ++h)
            v += std::sin(h * phase) / h;
        s[i] = std::int16_t(4000 * (0.55 + 0.45 * std::sin(2 * M_PI * 4 * t)) * v);
    }
    return s;
}

void BM_Capture(benchmark::State& state, const char* codec) {
    const WaveFormat send = *LoadCodecFormat(dataDir(), codec);
    const WaveFormat low = *LoadCodecFormat(dataDir(), "GSM1");
    CaptureChain chain;
    if (!chain.Configure(send, codec, low, true, nullptr)) return state.SkipWithError("configure failed");
    const int rate = int(send.samplesPerSec);
    const Pcm audio = voiceLike(rate, 1.0);
    const std::size_t chunk = std::size_t(rate / 50); // 20 ms device buffers
    qsizetype bytes = 0;
    const auto sink = [&](const QByteArray& p, Packetiser::Kind) { bytes += p.size(); };
    chain.Start();
    for (auto _ : state) {
        for (std::size_t at = 0; at < audio.size(); at += chunk)
            chain.Process(audio.data() + at, chunk, true, sink);
    }
    benchmark::DoNotOptimize(bytes);
    state.counters["audio_s_per_cpu_s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Playback(benchmark::State& state, const char* codec) {
    const WaveFormat format = *LoadCodecFormat(dataDir(), codec);
    const Pcm audio = voiceLike(int(format.samplesPerSec), 1.0);
    // One second of this codec's stream, as received.
    auto enc = CreateEncoder(format);
    QByteArray second;
    enc->Encode(audio.data(), audio.size(), second);
    PlaybackChain chain;
    if (!chain.Configure(format, nullptr)) return state.SkipWithError("configure failed");
    Pcm out;
    for (auto _ : state) {
        out.clear();
        // Loads of at most one second, played out in 100 ms device buffers.
        QByteArray pending = second;
        std::int16_t buf[1600];
        while (chain.Read(buf, 1600, [&] { return std::exchange(pending, QByteArray()); }) > 0)
            out.push_back(buf[0]);
    }
    benchmark::DoNotOptimize(out.data());
    state.counters["audio_s_per_cpu_s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_RoundTrip(benchmark::State& state, const char* codec) {
    const WaveFormat send = *LoadCodecFormat(dataDir(), codec);
    const WaveFormat low = *LoadCodecFormat(dataDir(), "GSM1");
    CaptureChain capture;
    PlaybackChain playback;
    if (!capture.Configure(send, codec, low, true, nullptr) || !playback.Configure(send, nullptr))
        return state.SkipWithError("configure failed");
    const int rate = int(send.samplesPerSec);
    const Pcm audio = voiceLike(rate, 1.0);
    const std::size_t chunk = std::size_t(rate / 50);
    QByteArray received;
    const auto sink = [&](const QByteArray& p, Packetiser::Kind k) {
        if (k == Packetiser::Kind::HighQuality) received += p.mid(18);
    };
    capture.Start();
    Pcm out;
    for (auto _ : state) {
        for (std::size_t at = 0; at < audio.size(); at += chunk)
            capture.Process(audio.data() + at, chunk, true, sink);
        out.clear();
        playback.DecodeAll(std::exchange(received, QByteArray()), out);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["audio_s_per_cpu_s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// Sender and receiver engines joined directly, stepped in 20 ms of sample time: a tone starts after silence;
// the latency is the time from its first captured sample to its first audible sample out of the playback
// path. Prebuffer 0 (excluded by definition); device buffers are not simulated and are reported separately.
void BM_Gsm1Latency(benchmark::State& state) {
    double latencyMs = 0;
    for (auto _ : state) {
        VoiceSettings settings{dataDir(), true, [](const QByteArray&) { return 0; }};
        VoiceEngine sender(settings, nullptr, nullptr), receiver(settings, nullptr, nullptr);
        sender.ApplyRoomCodec("GSM1");
        receiver.ApplyRoomCodec("GSM1");
        QObject::connect(&sender, &VoiceEngine::PacketReady, &receiver, [&](const QByteArray& p) {
            if (p.mid(1, 16).endsWith('~')) receiver.ReceiveFrame(p);
        });
        sender.SetSoundConnected(true);
        sender.StartTalking();
        const int onsetIn = 8000 + 37; // 1 s of silence, then the tone
        Pcm in(8000 * 4, 0);
        for (std::size_t i = onsetIn; i < in.size(); ++i)
            in[i] = std::int16_t(8000 * std::sin(2 * M_PI * 1000 * double(i) / 8000));
        Pcm out;
        std::int16_t buf[320];
        for (std::size_t at = 0; at < in.size(); at += 160) {
            sender.CaptureSamples(in.data() + at, 160);
            QCoreApplication::processEvents();
            const std::size_t got = receiver.PlaybackStarted() ? receiver.ReadPlayback(buf, 320) : 0;
            std::fill(buf + got, buf + 320, std::int16_t(0)); // the device plays silence meanwhile
            out.insert(out.end(), buf, buf + 320);
        }
        std::size_t onsetOut = out.size();
        for (std::size_t i = 0; i + 80 < out.size(); i += 16) {
            double e = 0;
            for (std::size_t k = 0; k < 80; ++k)
                e += double(out[i + k]) * out[i + k];
            if (std::sqrt(e / 80) > 1000) {
                onsetOut = i;
                break;
            }
        }
        latencyMs = double(onsetOut) / 16.0 - double(onsetIn) / 8.0;
    }
    state.counters["latency_ms"] = latencyMs;
    // The protocol's part: a low-quality packet goes out at 625 bytes, i.e. 10 GSM1 blocks of 40 ms.
    state.counters["threshold_ms"] = std::ceil(625.0 / 65.0) * 320.0 / 8.0;
    state.counters["device_buffers_ms"] = 40 + 100; // capture and playback buffers the Qt devices request
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    for (const Codec& c : Codecs) {
        const std::string label = c.label;
        benchmark::RegisterBenchmark(("Capture/" + label).c_str(), BM_Capture, c.name)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Playback/" + label).c_str(), BM_Playback, c.name)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("RoundTrip/" + label).c_str(), BM_RoundTrip, c.name)
            ->Unit(benchmark::kMillisecond);
        korvex::bench::DeclareCounterRatio("voice_" + label + "_realtime", "RoundTrip/" + label,
                                           "audio_s_per_cpu_s");
        korvex::bench::DeclareCounterRatio("voice_" + label + "_capture_realtime", "Capture/" + label,
                                           "audio_s_per_cpu_s");
        korvex::bench::DeclareCounterRatio("voice_" + label + "_playback_realtime", "Playback/" + label,
                                           "audio_s_per_cpu_s");
    }
    benchmark::RegisterBenchmark("Gsm1Latency", BM_Gsm1Latency)->Iterations(1);
    korvex::bench::DeclareCounterRatio("voice_gsm1_latency_ms", "Gsm1Latency/iterations:1", "latency_ms");
    korvex::bench::DeclareCounterRatio("voice_gsm1_threshold_ms", "Gsm1Latency/iterations:1", "threshold_ms");
    korvex::bench::DeclareCounterRatio("voice_device_buffers_ms", "Gsm1Latency/iterations:1",
                                       "device_buffers_ms");
    return korvex::bench::RunWithRatios(argc, argv);
}
