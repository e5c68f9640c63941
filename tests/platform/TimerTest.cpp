#include "platform/Timer.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace korvex::platform;

namespace {
struct ManualTime {
    ManualTime() { TimerHub::Instance().SetManual(true); }
    ~ManualTime() { TimerHub::Instance().SetManual(false); }
};
} // namespace

TEST(Timer, RepeatingAndSingleShotFireInOrderAsTimeAdvances) {
    ManualTime time;
    Timer every(1000), once(2500);
    once.SetSingleShot(true);
    QList<QByteArray> fired;
    QObject::connect(&every, &Timer::OnTimer,
                     [&] { fired << "1s@" + QByteArray::number(korvex::net::Clock::NowMs() % 100000); });
    QObject::connect(&once, &Timer::OnTimer, [&] { fired << "once"; });
    const qint64 start = korvex::net::Clock::NowMs();
    every.SetEnabled(true);
    once.SetEnabled(true);
    TimerHub::Instance().Advance(999);
    EXPECT_TRUE(fired.isEmpty());
    TimerHub::Instance().Advance(2001);
    ASSERT_EQ(fired.size(), 4);
    EXPECT_EQ(fired[2], "once");
    EXPECT_FALSE(once.Enabled());
    EXPECT_EQ(korvex::net::Clock::NowMs() - start, 3000);
}

TEST(Timer, HandlerThatDisablesAndReenablesRestartsThePeriod) {
    ManualTime time;
    Timer t(10000);
    int ticks = 0;
    QObject::connect(&t, &Timer::OnTimer, [&] {
        ++ticks;
        t.SetEnabled(false);
        t.SetEnabled(true);
    });
    t.SetEnabled(true);
    TimerHub::Instance().Advance(35000);
    EXPECT_EQ(ticks, 3);
    t.SetEnabled(false);
    TimerHub::Instance().Advance(60000);
    EXPECT_EQ(ticks, 3);
}

TEST(Timer, RealClockModeFires) {
    Timer t(20);
    t.SetSingleShot(true);
    QSignalSpy spy(&t, &Timer::OnTimer);
    t.SetEnabled(true);
    EXPECT_TRUE(spy.wait(2000));
}
