#pragma once

#include <QByteArray>

#include <functional>

namespace korvex::net {

// Every connection carries frames: seven ASCII digits giving the body length, then the body.
inline constexpr int FrameHeaderSize = 7;
// Seven digits cannot say more; a longer body would need an eighth digit that no receiver reads.
inline constexpr qsizetype MaxFrameBody = 9'999'999;

// "%7.7d" of the text's length followed by the text. Lengths of eight digits or more are written as they are;
// callers that must stay readable refuse such bodies before framing (see SendStream).
QByteArray PrefixLength(const QByteArray& text);

// Cuts a received byte stream back into frames. The state survives between reads, so a frame split across any
// number of reads is delivered once its last byte arrives.
class FrameAssembler {
public:
    enum class Status { Ok, BadHeader };
    using Deliver = std::function<void(const QByteArray& body)>;

    // Feeds one received chunk; calls deliver for each complete frame, in order. An invalid or zero header
    // discards the rest of the chunk (the peer's framing cannot be trusted past it) and reports BadHeader.
    // deliver may return by exception; the frame state is reset and the remaining frames of the chunk go on.
    // keepGoing is asked after each frame; when it says no, the rest of the chunk is dropped (used when the
    // owner closed the connection from inside a handler).
    Status Feed(const QByteArray& chunk, const Deliver& deliver, const std::function<bool()>& keepGoing = {});

    void Reset();

    int FrameLen() const { return m_frameLen; }
    const QByteArray& FrameBuf() const { return m_frameBuf; }

private:
    void deliverBody(const QByteArray& body, const Deliver& deliver);

    int m_frameLen = 0;     // length of the body being collected; 0 while no header is accepted
    QByteArray m_frameBuf;  // body collected so far, or the start of a header that arrived incomplete
};

} // namespace korvex::net
