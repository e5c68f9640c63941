#include "contacts/TypingNotices.h"

namespace korvex::contacts {

void TypingNotices::SetTyping(const QByteArray& nick, bool stopped, const QDateTime& now) {
    const QDateTime t = stopped ? now.addDays(-1) : now;
    for (Entry& e : m_entries)
        if (e.nick == nick) {
            e.time = t;
            return;
        }
    m_entries.append({nick, t});
}

QByteArray TypingNotices::Refresh(const QDateTime& now) {
    QList<QByteArray> nicks;
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i)
        if (m_entries[i].time.msecsTo(now) >= LifetimeMs) m_entries.removeAt(i);
    for (const Entry& e : m_entries)
        nicks.append(e.nick);
    return StatusText(nicks);
}

QByteArray TypingNotices::StatusText(const QList<QByteArray>& nicks) {
    if (nicks.isEmpty()) return {};
    if (nicks.size() == 1) return nicks[0] + " is busy typing...";
    if (nicks.size() >= 4) return QByteArray::number(nicks.size()) + " folks are busy typing...";
    QByteArray text;
    for (qsizetype i = 0; i < nicks.size(); ++i) {
        if (i > 0) text += i == nicks.size() - 1 ? " and " : ", ";
        text += nicks[i];
    }
    return text + " are busy typing...";
}

bool TypingSender::KeyPressed(const QDateTime& now) {
    const bool send = !m_lastKey.isValid() || m_lastKey.msecsTo(now) > TypingNotices::LifetimeMs;
    m_lastKey = now;
    return send;
}

} // namespace korvex::contacts
