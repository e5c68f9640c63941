#pragma once

#include "voice/AudioDevice.h"
#include "voice/CaptureChain.h"
#include "voice/ReceiveBuffer.h"
#include "voice/WaveFormat.h"

#include <QObject>
#include <atomic>
#include <functional>

namespace korvex::voice {

// What the engine needs from the session, passed in by the owner.
struct VoiceSettings {
    QString programDir; // holds "Data/ini/<codec>.dat"
    bool highSpeed =
        true; // without it the send codec is forced to "GSM1" and only the low-quality copy goes out
    // The session's prebuffer time for a codec name (GetCodecBufferSize); 2500 ms when not set.
    std::function<int(const QByteArray& codec)> codecBufferSize;
    bool restrictNoVoice = false; // the account may not use voice: the room's codec is never set up
};

// The indicator's state: square while collecting the prebuffer, circle while playing; colour by fill level.
struct BufferStatus {
    enum class Shape { Square, Circle };
    enum class Colour : std::uint32_t {
        Lime = 0x00FF00,
        Yellow = 0x00FFFF,
        Red = 0x0000FF
    }; // Windows BGR values
    bool visible = false;
    Shape shape = Shape::Square;
    Colour colour = Colour::Red;
    int fillLevel = 0; // percent of the prebuffer target
    bool operator==(const BufferStatus&) const = default;
};

// Room voice of the media room window without the window: codec set-up, capture → packets, received packets
// → prebuffered playback. Packets leave through PacketReady on the engine's thread; the owner sends them on
// the sound connection. A null device pointer leaves that side to the owner, who then pushes captured
// samples (CaptureSamples) and pulls playback samples (ReadPlayback) itself.
class VoiceEngine : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultPrebufferMs = 4096; // until the first codec set-up
    static constexpr int CapSeconds = 5;            // receive buffer: prebuffer target plus this much audio
    static inline const QByteArray FallbackCodec = QByteArrayLiteral("GSM2");

    VoiceEngine(VoiceSettings settings, std::unique_ptr<AudioCapture> capture,
                std::unique_ptr<AudioPlayback> playback, QObject* parent = nullptr);
    ~VoiceEngine() override;

    // Room codec from the join reply or "SetCodec".
    void ApplyRoomCodec(const QByteArray& codec);
    // fromSoundConnection: a received packet's codec (playback side only); otherwise the room's send codec.
    void SetupCodec(const QByteArray& codec, bool fromSoundConnection);
    void StopAudio();

    // Talk start: empties the send buffers, starts capture, stops playback. False when voice is disabled or
    // the device cannot start (the reason goes out as WaveInError).
    bool StartTalking();
    // Talk stop: stops capture; what the encoders and send buffers still hold goes out as last packets.
    void StopTalking();
    bool Talking() const { return m_talking; }

    void SetSoundConnected(bool connected) { m_connected = connected; }
    bool SoundConnected() const { return m_connected; }

    // One frame of the sound connection. False when it is not a voice packet (logged and dropped).
    bool ReceiveFrame(const QByteArray& frame);
    void PlaybackStartCheck();
    // "DelMic": play the rest of what was received even below the prebuffer target.
    void StartPlaybackIfBuffered();
    // One load of the playback chain: at most one second of the playback codec's audio from the buffer.
    QByteArray DSPOutBufferLoad();
    BufferStatus DisplayBufferStatus(bool othersHoldMic) const;

    qint64 PrebufferTarget() const;
    int PrebufferMs() const { return m_prebufferMs; }
    qsizetype ReceivedBytes() const { return m_received.Size(); }
    bool PlaybackStarted() const { return m_playing; }
    bool VoiceDisabled() const { return m_disabled; }
    const QByteArray& SendCodec() const { return m_sendCodec; }
    const QByteArray& PlaybackCodec() const { return m_playbackCodec; }
    const WaveFormat& SendFormat() const { return m_sendFormat; }
    const WaveFormat& PlaybackFormat() const { return m_playbackFormat; }

    // Echo: a preset switches the reverb on, nullopt switches it off.
    void SetEcho(const std::optional<ReverbPreset>& preset) { m_capture.SetReverb(preset); }
    bool EchoOn() const { return m_capture.ReverbEnabled(); }
    void SetNoiseSuppression(bool on) { m_capture.SetNoiseSuppression(on); }

    // Playback output pulled by the device (16,000 Hz mono); public for tests and the latency benchmark.
    std::size_t ReadPlayback(std::int16_t* out, std::size_t n);
    // Captured samples pushed by the device; public for tests and benchmarks.
    void CaptureSamples(const std::int16_t* pcm, std::size_t n);

signals:
    void PacketReady(const QByteArray& frame);
    void DebugLog(const QByteArray& line);
    void VoiceError(const QString& message);
    void WaveInError(const QString& message);
    void PlaybackStateChanged(bool playing);

private:
    int bufferSizeFor(const QByteArray& codec) const;
    bool setupPlayback(const QByteArray& name, const WaveFormat& format);
    void stopPlayback();
    void startPlayback();
    void updateCap();
    void emitPacket(const QByteArray& packet, Packetiser::Kind kind);

    VoiceSettings m_settings;
    std::unique_ptr<AudioCapture> m_captureDevice;
    std::unique_ptr<AudioPlayback> m_playbackDevice;
    CaptureChain m_capture;
    PlaybackChain m_playback;
    ReceiveBuffer m_received;

    QByteArray m_sendCodec;
    QByteArray m_playbackCodec;
    WaveFormat m_sendFormat;
    WaveFormat m_playbackFormat;
    WaveFormat m_lowFormat;
    int m_prebufferMs = DefaultPrebufferMs;
    bool m_disabled = false;
    bool m_talking = false;
    bool m_playing = false;
    std::atomic<bool> m_connected{false};
};

} // namespace korvex::voice
