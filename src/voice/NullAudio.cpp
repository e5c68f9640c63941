#include "voice/AudioDevice.h"

#include <QElapsedTimer>
#include <QTimer>
#include <vector>

namespace korvex::voice {

namespace {

constexpr int TickMs = 20;

// Moves `rate` samples per second of wall time through the callback, whatever the timer's jitter.
class RealTimePump {
public:
    template <typename F> void start(int rate, F&& tick) {
        m_rate = rate;
        m_done = 0;
        m_clock.start();
        m_timer.setInterval(TickMs);
        QObject::disconnect(m_conn);
        m_conn = QObject::connect(&m_timer, &QTimer::timeout, [this, tick = std::forward<F>(tick)] {
            const qint64 due = m_clock.elapsed() * m_rate / 1000;
            if (due > m_done) {
                tick(std::size_t(due - m_done));
                m_done = due;
            }
        });
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    bool running() const { return m_timer.isActive(); }

private:
    QTimer m_timer;
    QMetaObject::Connection m_conn;
    QElapsedTimer m_clock;
    qint64 m_done = 0;
    int m_rate = 0;
};

class NullCapture : public AudioCapture {
public:
    bool Start(int sampleRate, Sink sink, ErrorHandler, QString*) override {
        m_pump.start(sampleRate, [this, sink = std::move(sink)](std::size_t n) {
            m_silence.assign(n, 0);
            sink(m_silence.data(), n);
        });
        return true;
    }
    void Stop() override { m_pump.stop(); }
    bool IsStarted() const override { return m_pump.running(); }

private:
    RealTimePump m_pump;
    std::vector<std::int16_t> m_silence;
};

class NullPlayback : public AudioPlayback {
public:
    bool Start(int sampleRate, Source source, ErrorHandler, QString*) override {
        m_pump.start(sampleRate, [this, source = std::move(source)](std::size_t n) {
            m_buf.resize(n);
            source(m_buf.data(), n);
        });
        return true;
    }
    void Stop() override { m_pump.stop(); }
    bool IsStarted() const override { return m_pump.running(); }

private:
    RealTimePump m_pump;
    std::vector<std::int16_t> m_buf;
};

} // namespace

std::unique_ptr<AudioCapture> CreateNullCapture() {
    return std::make_unique<NullCapture>();
}
std::unique_ptr<AudioPlayback> CreateNullPlayback() {
    return std::make_unique<NullPlayback>();
}

} // namespace korvex::voice
