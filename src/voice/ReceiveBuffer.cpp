#include "voice/ReceiveBuffer.h"

namespace korvex::voice {

void ReceiveBuffer::SetCap(qsizetype capBytes, int blockAlign) {
    std::lock_guard lock(m_lock);
    m_cap = capBytes;
    m_block = blockAlign > 0 ? blockAlign : 1;
}

qsizetype ReceiveBuffer::Append(const QByteArray& bytes) {
    std::lock_guard lock(m_lock);
    m_data.append(bytes);
    qsizetype dropped = 0;
    const qsizetype size = m_data.size() - m_start;
    if (m_cap > 0 && size > m_cap) {
        dropped = (size - m_cap + m_block - 1) / m_block * m_block;
        dropped = std::min(dropped, size);
        m_start += dropped;
    }
    if (m_start > 65536 && m_start * 2 > m_data.size()) {
        m_data.remove(0, m_start);
        m_start = 0;
    }
    return dropped;
}

QByteArray ReceiveBuffer::Drain(qsizetype maxBytes) {
    std::lock_guard lock(m_lock);
    const qsizetype n = std::min(maxBytes, m_data.size() - m_start);
    if (n <= 0) return {};
    QByteArray out = m_data.mid(m_start, n);
    m_start += n;
    if (m_start == m_data.size()) {
        m_data.clear();
        m_start = 0;
    }
    return out;
}

void ReceiveBuffer::Clear() {
    std::lock_guard lock(m_lock);
    m_data.clear();
    m_start = 0;
}

qsizetype ReceiveBuffer::Size() const {
    std::lock_guard lock(m_lock);
    return m_data.size() - m_start;
}

} // namespace korvex::voice
