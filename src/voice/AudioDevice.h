#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace korvex::voice {

// Sound devices, always mono 16-bit. Callbacks may run on a thread of the device's own; the engine guards
// what they touch.
class AudioCapture {
public:
    using Sink = std::function<void(const std::int16_t* pcm, std::size_t samples)>;
    using ErrorHandler = std::function<void(const QString& message)>;
    virtual ~AudioCapture() = default;
    // Opens and starts the device; false with the reason in *error when it cannot.
    virtual bool Start(int sampleRate, Sink sink, ErrorHandler onError, QString* error) = 0;
    virtual void Stop() = 0;
    virtual bool IsStarted() const = 0;
};

class AudioPlayback {
public:
    // Fills up to `samples` samples and returns how many it wrote; the device plays silence for the rest.
    using Source = std::function<std::size_t(std::int16_t* pcm, std::size_t samples)>;
    using ErrorHandler = AudioCapture::ErrorHandler;
    virtual ~AudioPlayback() = default;
    virtual bool Start(int sampleRate, Source source, ErrorHandler onError, QString* error) = 0;
    virtual void Stop() = 0;
    virtual bool IsStarted() const = 0;
};

// For machines without sound: capture delivers silence in real time, playback consumes in real time and
// discards. Driven by a timer of the thread that creates them.
std::unique_ptr<AudioCapture> CreateNullCapture();
std::unique_ptr<AudioPlayback> CreateNullPlayback();

// Qt Multimedia (QAudioSource / QAudioSink) on the default devices, each in a thread of its own whose event
// loop runs the callbacks. bufferMs: the device buffer requested.
std::unique_ptr<AudioCapture> CreateQtCapture(int bufferMs = 40);
std::unique_ptr<AudioPlayback> CreateQtPlayback(int bufferMs = 100);

} // namespace korvex::voice
