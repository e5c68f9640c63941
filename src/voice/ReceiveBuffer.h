#pragma once

#include <QByteArray>
#include <mutex>

namespace korvex::voice {

// Encoded audio received and not yet played. The socket side appends, the playback side drains; one lock
// guards every operation. A cap keeps a stalled playback from collecting audio without bound: the oldest
// bytes go first, in whole codec blocks so the decoder stays aligned.
class ReceiveBuffer {
public:
    // 0 = no cap. blockAlign: the unit in which the oldest bytes are dropped.
    void SetCap(qsizetype capBytes, int blockAlign);
    // Returns how many old bytes were dropped to stay under the cap.
    qsizetype Append(const QByteArray& bytes);
    // Takes up to maxBytes from the start.
    QByteArray Drain(qsizetype maxBytes);
    void Clear();
    qsizetype Size() const;

private:
    mutable std::mutex m_lock;
    QByteArray m_data;
    qsizetype m_start = 0; // consumed prefix, compacted now and then to keep draining cheap
    qsizetype m_cap = 0;
    int m_block = 1;
};

} // namespace korvex::voice
