#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>

namespace korvex::contacts {

// Who is typing in one window: nickname -> time of the last notice. A notice counts for 4 seconds.
class TypingNotices {
public:
    static constexpr qint64 LifetimeMs = 4000;

    // Records a notice at now (a stopped notice is dated a day back, so it lapses at the next refresh).
    void SetTyping(const QByteArray& nick, bool stopped, const QDateTime& now);
    // Drops lapsed entries and returns the status text for the rest.
    QByteArray Refresh(const QDateTime& now);
    bool IsEmpty() const { return m_entries.isEmpty(); }

    // "a is busy typing...", "a and b are busy typing...", "a, b and c ...", "4 folks are busy typing...".
    static QByteArray StatusText(const QList<QByteArray>& nicks);

private:
    struct Entry {
        QByteArray nick;
        QDateTime time;
    };
    QList<Entry> m_entries;
};

// The outgoing side: one "Typing" at the start of a burst of keys; a pause of more than 4 seconds re-arms it.
class TypingSender {
public:
    // A key other than Enter at now: true when a notice is to be sent.
    bool KeyPressed(const QDateTime& now);
    // After sending or when the peer stopped: the next key sends at once.
    void Rearm(const QDateTime& now) { m_lastKey = now.addDays(-1); }

private:
    QDateTime m_lastKey;
};

} // namespace korvex::contacts
