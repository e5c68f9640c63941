#pragma once

#include "net/Clock.h"

#include <QList>
#include <QObject>
#include <QTimer>

namespace korvex::platform {

// A timer that reads the one program clock (net::Clock). In normal runs a single Qt timer wakes the hub at
// the earliest due time; when a test drives time by hand (TimerHub::SetManual), nothing fires until Advance
// moves the clock, and then every due timer fires in time order.
class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(int intervalMs = 1000, QObject* parent = nullptr);
    ~Timer() override;

    int Interval() const { return m_interval; }
    // Changing the interval of an enabled timer restarts its period, as it does for a VCL timer.
    void SetInterval(int ms);
    bool Enabled() const { return m_enabled; }
    // Enabling (also re-enabling) starts a full period from now.
    void SetEnabled(bool enabled);
    void SetSingleShot(bool singleShot) { m_singleShot = singleShot; }
    qint64 DueMs() const { return m_due; }

signals:
    void OnTimer();

private:
    friend class TimerHub;
    int m_interval;
    bool m_enabled = false;
    bool m_singleShot = false;
    qint64 m_due = 0;
};

class TimerHub : public QObject {
    Q_OBJECT
public:
    static TimerHub& Instance();

    // Manual mode: the hub installs its own net::ManualClock as the program clock and time moves only by
    // Advance; no Qt timer runs. Leaving manual mode restores the system clock.
    void SetManual(bool manual);
    bool Manual() const { return m_manual; }
    // Moves the installed manual clock forward by ms, firing every timer that falls due on the way, in order,
    // with the clock set to each timer's due time while it fires.
    void Advance(qint64 ms);

    void add(Timer* t);
    void remove(Timer* t);
    void reschedule();

private:
    TimerHub();
    void fireDue(qint64 now);

    net::ManualClock m_clock;
    QList<Timer*> m_timers;
    QTimer m_wake;
    bool m_manual = false;
};

} // namespace korvex::platform
