#include "Frame.h"

#include <QDebug>

#include <exception>

namespace korvex::net {

QByteArray PrefixLength(const QByteArray& text) {
    QByteArray header = QByteArray::number(text.size());
    if (header.size() < FrameHeaderSize) header.prepend(FrameHeaderSize - header.size(), '0');
    return header + text;
}

namespace {
// Value of a seven-digit header, or 0 when any byte is not a digit.
int headerValue(const char* p) {
    int value = 0;
    for (int i = 0; i < FrameHeaderSize; ++i) {
        if (p[i] < '0' || p[i] > '9') return 0;
        value = value * 10 + (p[i] - '0');
    }
    return value;
}
} // namespace

void FrameAssembler::Reset() {
    m_frameLen = 0;
    m_frameBuf.clear();
}

void FrameAssembler::deliverBody(const QByteArray& body, const Deliver& deliver) {
    // The state is cleared first so a handler that throws cannot leave a half-delivered frame behind.
    m_frameLen = 0;
    m_frameBuf.clear();
    try {
        deliver(body);
    } catch (const std::exception& e) {
        qWarning("frame handler failed: %s", e.what());
    } catch (...) {
        qWarning("frame handler failed");
    }
}

FrameAssembler::Status FrameAssembler::Feed(const QByteArray& chunk, const Deliver& deliver,
                                            const std::function<bool()>& keepGoing) {
    qsizetype pos = 0;
    const qsizetype size = chunk.size();
    while (pos < size) {
        if (m_frameLen == 0) {
            const qsizetype kept = m_frameBuf.size();
            if (kept + (size - pos) < FrameHeaderSize) {
                m_frameBuf.append(chunk.constData() + pos, size - pos);
                return Status::Ok;
            }
            char header[FrameHeaderSize];
            const qsizetype fromChunk = FrameHeaderSize - kept;
            std::copy_n(m_frameBuf.constData(), kept, header);
            std::copy_n(chunk.constData() + pos, fromChunk, header + kept);
            pos += fromChunk;
            m_frameBuf.clear();
            m_frameLen = headerValue(header);
            if (m_frameLen == 0) return Status::BadHeader;
            // A header that ends the read keeps its length: the body follows in the next read.
            if (pos == size) return Status::Ok;
            const qsizetype available = size - pos;
            if (available < m_frameLen) {
                m_frameBuf.reserve(std::min<qsizetype>(m_frameLen, 1 << 20));
                m_frameBuf.append(chunk.constData() + pos, available);
                return Status::Ok;
            }
            const QByteArray body = chunk.mid(pos, m_frameLen);
            pos += m_frameLen;
            deliverBody(body, deliver);
        } else {
            const qsizetype missing = m_frameLen - m_frameBuf.size();
            const qsizetype available = size - pos;
            if (available < missing) {
                m_frameBuf.append(chunk.constData() + pos, available);
                return Status::Ok;
            }
            m_frameBuf.append(chunk.constData() + pos, missing);
            pos += missing;
            const QByteArray body = std::move(m_frameBuf);
            deliverBody(body, deliver);
        }
        if (keepGoing && !keepGoing()) {
            Reset();
            return Status::Ok;
        }
    }
    return Status::Ok;
}

} // namespace korvex::net
