#include "voice/AudioDevice.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QAudioSource>
#include <QIODevice>
#include <QMediaDevices>
#include <QThread>
#include <atomic>
#include <vector>

namespace korvex::voice {

namespace {

QAudioFormat monoFormat(int rate) {
    QAudioFormat f;
    f.setSampleRate(rate);
    f.setChannelCount(1);
    f.setSampleFormat(QAudioFormat::Int16);
    return f;
}

QString describe(QAudio::Error e) {
    switch (e) {
    case QAudio::OpenError:
        return QStringLiteral("the sound device cannot be opened");
    case QAudio::IOError:
        return QStringLiteral("the sound device stopped delivering data");
    case QAudio::UnderrunError:
        return QStringLiteral("the sound device ran out of data");
    case QAudio::FatalError:
        return QStringLiteral("the sound device failed");
    default:
        return {};
    }
}

// Each device runs in a thread of its own with its own event loop, so that sound keeps flowing while the
// owner's thread is busy (a long repaint, a modal box): the capture path runs there and hands packets over
// with a queued call; the playback path pulls there and only takes the receive buffer's lock.
class AudioThread {
public:
    AudioThread() {
        m_thread.setObjectName(QStringLiteral("korvex-audio"));
        m_context.moveToThread(&m_thread);
        m_thread.start();
    }
    ~AudioThread() {
        m_thread.quit();
        m_thread.wait();
    }
    AudioThread(const AudioThread&) = delete;
    AudioThread& operator=(const AudioThread&) = delete;

    // Runs f in the audio thread and waits for it.
    template <typename F> void run(F&& f) {
        if (QThread::currentThread() == &m_thread)
            f();
        else
            QMetaObject::invokeMethod(&m_context, std::forward<F>(f), Qt::BlockingQueuedConnection);
    }

private:
    QThread m_thread;
    QObject m_context;
};

class QtCapture : public AudioCapture {
public:
    explicit QtCapture(int bufferMs) : m_bufferMs(bufferMs) {}
    ~QtCapture() override { Stop(); }

    bool Start(int sampleRate, Sink sink, ErrorHandler onError, QString* error) override {
        bool ok = false;
        m_thread.run([&] { ok = startHere(sampleRate, std::move(sink), std::move(onError), error); });
        m_started = ok;
        return ok;
    }
    void Stop() override {
        m_thread.run([this] { stopHere(); });
        m_started = false;
    }
    bool IsStarted() const override { return m_started; }

private:
    bool startHere(int sampleRate, Sink sink, ErrorHandler onError, QString* error) {
        stopHere();
        const QAudioDevice device = QMediaDevices::defaultAudioInput();
        if (device.isNull()) {
            if (error) *error = QStringLiteral("no sound input device");
            return false;
        }
        m_sink = std::move(sink);
        m_source = std::make_unique<QAudioSource>(device, monoFormat(sampleRate));
        m_source->setBufferSize(qsizetype(sampleRate) * 2 * m_bufferMs / 1000);
        QObject::connect(m_source.get(), &QAudioSource::stateChanged, [this, onError](QAudio::State) {
            if (m_source && m_source->error() != QAudio::NoError &&
                m_source->error() != QAudio::UnderrunError && onError)
                onError(describe(m_source->error()));
        });
        m_io = m_source->start();
        if (!m_io || m_source->error() != QAudio::NoError) {
            if (error) *error = describe(m_source ? m_source->error() : QAudio::OpenError);
            m_source.reset();
            return false;
        }
        QObject::connect(m_io, &QIODevice::readyRead, [this] { pull(); });
        return true;
    }
    void stopHere() {
        if (!m_source) return;
        m_source->stop();
        m_source.reset();
        m_io = nullptr;
        m_carry.clear();
    }
    void pull() {
        if (!m_io) return;
        const QByteArray bytes = m_io->readAll();
        m_carry.append(bytes);
        const qsizetype whole = m_carry.size() / 2 * 2;
        if (whole == 0) return;
        m_samples.resize(std::size_t(whole / 2));
        std::memcpy(m_samples.data(), m_carry.constData(), std::size_t(whole));
        m_carry.remove(0, whole);
        if (m_sink) m_sink(m_samples.data(), m_samples.size());
    }

    int m_bufferMs;
    std::atomic<bool> m_started{false};
    Sink m_sink;
    std::unique_ptr<QAudioSource> m_source;
    QIODevice* m_io = nullptr;
    QByteArray m_carry;
    std::vector<std::int16_t> m_samples;
    AudioThread m_thread; // last: stopped first, before the members its work uses
};

// The sink pulls from this device; it asks the engine's playback path for samples and pads with silence, so
// playback keeps running while the receive buffer is empty.
class PullDevice : public QIODevice {
public:
    explicit PullDevice(AudioPlayback::Source source) : m_source(std::move(source)) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return 1 << 16; }

protected:
    qint64 readData(char* data, qint64 maxlen) override {
        const std::size_t samples = std::size_t(maxlen / 2);
        auto* pcm = reinterpret_cast<std::int16_t*>(data);
        const std::size_t got = m_source ? std::min(m_source(pcm, samples), samples) : 0;
        std::fill(pcm + got, pcm + samples, std::int16_t(0));
        return qint64(samples * 2);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    AudioPlayback::Source m_source;
};

class QtPlayback : public AudioPlayback {
public:
    explicit QtPlayback(int bufferMs) : m_bufferMs(bufferMs) {}
    ~QtPlayback() override { Stop(); }

    bool Start(int sampleRate, Source source, ErrorHandler onError, QString* error) override {
        bool ok = false;
        m_thread.run([&] { ok = startHere(sampleRate, std::move(source), std::move(onError), error); });
        m_started = ok;
        return ok;
    }
    void Stop() override {
        m_thread.run([this] { stopHere(); });
        m_started = false;
    }
    bool IsStarted() const override { return m_started; }

private:
    bool startHere(int sampleRate, Source source, ErrorHandler onError, QString* error) {
        stopHere();
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) {
            if (error) *error = QStringLiteral("no sound output device");
            return false;
        }
        m_io = std::make_unique<PullDevice>(std::move(source));
        m_io->open(QIODevice::ReadOnly);
        m_sink = std::make_unique<QAudioSink>(device, monoFormat(sampleRate));
        m_sink->setBufferSize(qsizetype(sampleRate) * 2 * m_bufferMs / 1000);
        QObject::connect(m_sink.get(), &QAudioSink::stateChanged, [this, onError](QAudio::State) {
            if (m_sink && m_sink->error() != QAudio::NoError && m_sink->error() != QAudio::UnderrunError &&
                onError)
                onError(describe(m_sink->error()));
        });
        m_sink->start(m_io.get());
        if (m_sink->error() != QAudio::NoError && m_sink->error() != QAudio::UnderrunError) {
            if (error) *error = describe(m_sink->error());
            stopHere();
            return false;
        }
        return true;
    }
    void stopHere() {
        if (m_sink) m_sink->stop();
        m_sink.reset();
        m_io.reset();
    }

    int m_bufferMs;
    std::atomic<bool> m_started{false};
    std::unique_ptr<PullDevice> m_io;
    std::unique_ptr<QAudioSink> m_sink;
    AudioThread m_thread; // last: stopped first, before the members its work uses
};

} // namespace

std::unique_ptr<AudioCapture> CreateQtCapture(int bufferMs) {
    return std::make_unique<QtCapture>(bufferMs);
}
std::unique_ptr<AudioPlayback> CreateQtPlayback(int bufferMs) {
    return std::make_unique<QtPlayback>(bufferMs);
}

} // namespace korvex::voice
