#pragma once

#include <QDateTime>

namespace korvex::net {

// The one source of "now" for every timed behaviour. Tests install a manual clock and move it forward instead
// of sleeping through keep-alive and reconnection periods.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

    static QDateTime Now();
    // Milliseconds since the epoch; cheaper than Now() when no calendar date is needed.
    static qint64 NowMs();
    // Installs a clock (not owned); nullptr restores the system clock.
    static void Install(const Clock* clock);
};

// A clock that only moves when told to.
class ManualClock : public Clock {
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2026, 1, 1), QTime(12, 0))) : m_now(std::move(start)) {}
    QDateTime now() const override { return m_now; }
    void advance(qint64 ms) { m_now = m_now.addMSecs(ms); }
    void set(const QDateTime& when) { m_now = when; }

private:
    QDateTime m_now;
};

} // namespace korvex::net
