#include "Clock.h"

#include <atomic>

namespace korvex::net {

namespace {
std::atomic<const Clock*> installed{nullptr};
}

QDateTime Clock::Now() {
    const Clock* clock = installed.load(std::memory_order_acquire);
    return clock ? clock->now() : QDateTime::currentDateTime();
}

qint64 Clock::NowMs() {
    const Clock* clock = installed.load(std::memory_order_acquire);
    return clock ? clock->now().toMSecsSinceEpoch() : QDateTime::currentMSecsSinceEpoch();
}

void Clock::Install(const Clock* clock) {
    installed.store(clock, std::memory_order_release);
}

} // namespace korvex::net
