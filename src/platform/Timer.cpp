#include "platform/Timer.h"

#include "net/Clock.h"

namespace korvex::platform {

Timer::Timer(int intervalMs, QObject* parent) : QObject(parent), m_interval(intervalMs) {
    TimerHub::Instance().add(this);
}

Timer::~Timer() {
    TimerHub::Instance().remove(this);
}

void Timer::SetInterval(int ms) {
    m_interval = ms;
    if (m_enabled) SetEnabled(true);
}

void Timer::SetEnabled(bool enabled) {
    m_enabled = enabled && m_interval > 0;
    if (m_enabled) m_due = net::Clock::NowMs() + m_interval;
    TimerHub::Instance().reschedule();
}

TimerHub& TimerHub::Instance() {
    static TimerHub* hub = new TimerHub; // lives to the end: timers may be destroyed during static teardown
    return *hub;
}

TimerHub::TimerHub() {
    m_wake.setSingleShot(true);
    m_wake.setTimerType(Qt::PreciseTimer);
    connect(&m_wake, &QTimer::timeout, this, [this] { fireDue(net::Clock::NowMs()); });
}

void TimerHub::add(Timer* t) {
    m_timers.append(t);
}

void TimerHub::remove(Timer* t) {
    m_timers.removeAll(t);
    reschedule();
}

void TimerHub::SetManual(bool manual) {
    if (manual && !m_manual) {
        m_clock.set(net::Clock::Now());
        net::Clock::Install(&m_clock);
    } else if (!manual && m_manual) {
        net::Clock::Install(nullptr);
    }
    m_manual = manual;
    reschedule();
}

void TimerHub::reschedule() {
    if (m_manual) {
        m_wake.stop();
        return;
    }
    qint64 earliest = -1;
    for (Timer* t : m_timers)
        if (t->m_enabled && (earliest < 0 || t->m_due < earliest)) earliest = t->m_due;
    if (earliest < 0) {
        m_wake.stop();
        return;
    }
    const qint64 wait = qMax<qint64>(0, earliest - net::Clock::NowMs());
    m_wake.start(int(qMin<qint64>(wait, 24 * 3600 * 1000)));
}

void TimerHub::fireDue(qint64 now) {
    // A handler may enable, disable or delete any timer, so the earliest due one is looked up afresh each
    // time.
    for (;;) {
        Timer* next = nullptr;
        for (Timer* t : m_timers)
            if (t->m_enabled && t->m_due <= now && (!next || t->m_due < next->m_due)) next = t;
        if (!next) break;
        if (next->m_singleShot)
            next->m_enabled = false;
        else
            next->m_due += next->m_interval;
        emit next->OnTimer();
    }
    reschedule();
}

void TimerHub::Advance(qint64 ms) {
    if (!m_manual) return;
    const qint64 target = net::Clock::NowMs() + ms;
    for (;;) {
        qint64 next = -1;
        for (Timer* t : m_timers)
            if (t->m_enabled && t->m_due <= target && (next < 0 || t->m_due < next)) next = t->m_due;
        if (next < 0) break;
        m_clock.set(QDateTime::fromMSecsSinceEpoch(next));
        fireDue(next);
    }
    m_clock.set(QDateTime::fromMSecsSinceEpoch(target));
}

} // namespace korvex::platform
