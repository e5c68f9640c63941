#include "voice/VoiceEngine.h"

#include "net/MediaPackets.h"

namespace korvex::voice {

namespace {
constexpr int PlaybackRate = PlaybackChain::OutputRate;
constexpr int UnknownCodecBufferMs = 2500;
} // namespace

VoiceEngine::VoiceEngine(VoiceSettings settings, std::unique_ptr<AudioCapture> capture,
                         std::unique_ptr<AudioPlayback> playback, QObject* parent)
    : QObject(parent), m_settings(std::move(settings)), m_captureDevice(std::move(capture)),
      m_playbackDevice(std::move(playback)) {}

VoiceEngine::~VoiceEngine() {
    if (m_captureDevice) m_captureDevice->Stop();
    if (m_playbackDevice) m_playbackDevice->Stop();
}

int VoiceEngine::bufferSizeFor(const QByteArray& codec) const {
    return m_settings.codecBufferSize ? m_settings.codecBufferSize(codec) : UnknownCodecBufferMs;
}

void VoiceEngine::ApplyRoomCodec(const QByteArray& codec) {
    StopAudio();
    if (!m_settings.restrictNoVoice) SetupCodec(codec, false);
}

void VoiceEngine::SetupCodec(const QByteArray& codec, bool fromSoundConnection) {
    const QString& dir = m_settings.programDir;
    m_prebufferMs = bufferSizeFor(codec);
    // A name that is not a plain codec name, or has no format file, never reaches a path: it becomes "GSM2".
    QByteArray name = CodecFormatExists(dir, codec) ? codec : FallbackCodec;

    if (fromSoundConnection) {
        // Another speaker's codec changes what we play, never what we record.
        if (name != m_playbackCodec) {
            if (const auto format = LoadCodecFormat(dir, name)) {
                stopPlayback();
                m_received.Clear();
                setupPlayback(name, *format);
            }
        }
        updateCap();
        return;
    }

    if (!m_settings.highSpeed) name = net::LowQualityCodec;
    QString why;
    auto format = LoadCodecFormat(dir, name, &why);
    auto low = format ? LoadCodecFormat(dir, net::LowQualityCodec, &why) : std::nullopt;
    if (!format || !low) {
        // The room cannot be heard or spoken to without its codec; the rest of the program carries on.
        m_disabled = true;
        const QByteArray missing = format ? net::LowQualityCodec : name;
        emit VoiceError(
            QStringLiteral("No codec ini file found for codec \"%1\" - voice is disabled for this room.")
                .arg(QString::fromLatin1(missing)));
        emit DebugLog(why.toLocal8Bit());
        return;
    }
    m_sendFormat = *format;
    m_lowFormat = *low;
    m_sendCodec = name;
    if (!m_capture.Configure(m_sendFormat, m_sendCodec, m_lowFormat, m_settings.highSpeed, &why)) {
        m_disabled = true;
        emit VoiceError(QStringLiteral("Codec \"%1\" cannot be used: %2 - voice is disabled for this room.")
                            .arg(QString::fromLatin1(name), why));
        return;
    }
    m_disabled = false;
    if (name != m_playbackCodec || !m_playback.Configured()) {
        stopPlayback();
        m_received.Clear();
        setupPlayback(name, m_sendFormat);
    }
    updateCap();
}

bool VoiceEngine::setupPlayback(const QByteArray& name, const WaveFormat& format) {
    QString why;
    if (!m_playback.Configure(format, &why)) {
        emit DebugLog("Cannot play codec " + name + ": " + why.toLocal8Bit());
        return false;
    }
    m_playbackCodec = name;
    m_playbackFormat = format;
    return true;
}

void VoiceEngine::updateCap() {
    const qint64 cap = PrebufferTarget() + qint64(CapSeconds) * m_playbackFormat.avgBytesPerSec;
    m_received.SetCap(m_playbackFormat.avgBytesPerSec ? qsizetype(cap) : 0, m_playbackFormat.blockAlign);
}

qint64 VoiceEngine::PrebufferTarget() const {
    // The rate of the codec that is actually buffered: the send codec's rate would mis-size the prebuffer by
    // the ratio of the two (2.5 s of an MP3 rate is over 10 s of "GSM1").
    return qint64(m_prebufferMs) * qint64(m_playbackFormat.avgBytesPerSec) / 1000;
}

void VoiceEngine::StopAudio() {
    if (m_captureDevice && m_captureDevice->IsStarted()) m_captureDevice->Stop();
    m_talking = false;
    stopPlayback();
}

void VoiceEngine::stopPlayback() {
    if (m_playbackDevice && m_playbackDevice->IsStarted()) m_playbackDevice->Stop();
    if (m_playing) {
        m_playing = false;
        emit PlaybackStateChanged(false);
    }
    m_playback.Reset();
}

void VoiceEngine::startPlayback() {
    if (m_playing || !m_playback.Configured()) return;
    QString why;
    if (m_playbackDevice &&
        !m_playbackDevice->Start(
            PlaybackRate, [this](std::int16_t* out, std::size_t n) { return ReadPlayback(out, n); },
            [this](const QString& message) {
                QMetaObject::invokeMethod(
                    this, [this, message] { emit DebugLog(message.toLocal8Bit()); }, Qt::QueuedConnection);
            },
            &why)) {
        emit DebugLog("Playback cannot start: " + why.toLocal8Bit());
        return;
    }
    m_playing = true;
    emit PlaybackStateChanged(true);
}

bool VoiceEngine::StartTalking() {
    if (m_disabled || !m_capture.Configured()) return false;
    m_capture.Start();
    stopPlayback();
    QString why;
    if (m_captureDevice && !m_captureDevice->Start(
                               m_capture.CaptureRate(),
                               [this](const std::int16_t* pcm, std::size_t n) { CaptureSamples(pcm, n); },
                               [this](const QString& message) {
                                   QMetaObject::invokeMethod(
                                       this, [this, message] { emit WaveInError(message); },
                                       Qt::QueuedConnection);
                               },
                               &why)) {
        emit WaveInError(why);
        return false;
    }
    m_talking = true;
    return true;
}

void VoiceEngine::StopTalking() {
    if (m_captureDevice && m_captureDevice->IsStarted()) m_captureDevice->Stop();
    if (!m_talking) return;
    m_talking = false;
    m_capture.Finish(m_connected, [this](const QByteArray& p, Packetiser::Kind k) { emitPacket(p, k); });
}

void VoiceEngine::CaptureSamples(const std::int16_t* pcm, std::size_t n) {
    m_capture.Process(pcm, n, m_connected,
                      [this](const QByteArray& p, Packetiser::Kind k) { emitPacket(p, k); });
}

void VoiceEngine::emitPacket(const QByteArray& packet, Packetiser::Kind kind) {
    if (kind == Packetiser::Kind::HighQuality && !m_settings.highSpeed) return;
    // Sockets belong to the owner's thread: the packet crosses over as a queued call.
    QMetaObject::invokeMethod(
        this, [this, packet] { emit PacketReady(packet); }, Qt::QueuedConnection);
}

bool VoiceEngine::ReceiveFrame(const QByteArray& frame) {
    if (frame.isEmpty()) return false;
    const auto packet = net::ParseVoicePacket(frame);
    if (!packet) {
        emit DebugLog("Invalid sound data - ignoring.");
        return false;
    }
    emit DebugLog("NewCode=" + packet->codec);
    SetupCodec(packet->codec, true);
    if (!packet->audio.isEmpty()) {
        if (const qsizetype dropped = m_received.Append(packet->audio); dropped > 0)
            emit DebugLog("Receive buffer full: dropped " + QByteArray::number(dropped) + " old bytes");
    }
    PlaybackStartCheck();
    return true;
}

void VoiceEngine::PlaybackStartCheck() {
    if (m_playing) return;
    if (m_received.Size() >= PrebufferTarget()) startPlayback();
}

void VoiceEngine::StartPlaybackIfBuffered() {
    if (!m_playing && m_received.Size() > 0) startPlayback();
}

QByteArray VoiceEngine::DSPOutBufferLoad() {
    return m_received.Drain(qsizetype(m_playbackFormat.avgBytesPerSec));
}

std::size_t VoiceEngine::ReadPlayback(std::int16_t* out, std::size_t n) {
    return m_playback.Read(out, n, [this] { return DSPOutBufferLoad(); });
}

BufferStatus VoiceEngine::DisplayBufferStatus(bool othersHoldMic) const {
    BufferStatus s;
    s.visible = othersHoldMic;
    s.shape = m_playing ? BufferStatus::Shape::Circle : BufferStatus::Shape::Square;
    const qint64 target = PrebufferTarget();
    s.fillLevel = target > 0 ? int(qint64(m_received.Size()) * 100 / target) : 100;
    s.colour = s.fillLevel >= 40  ? BufferStatus::Colour::Lime
               : s.fillLevel >= 1 ? BufferStatus::Colour::Yellow
                                  : BufferStatus::Colour::Red;
    return s;
}

} // namespace korvex::voice
