#include "Timer.h"
#include "message_capture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// Restart rules are checked on the count of periods begun, so no clock is involved.
class TimerRules : public ::testing::Test {
protected:
    void SetUp() override { TTimer::setManualForTesting(true); }
    void TearDown() override { TTimer::setManualForTesting(false); }
};

TEST_F(TimerRules, OnlyAChangedIntervalOrAStartFromStoppedBeginsAPeriod) {
    TTimer timer;
    EXPECT_FALSE(timer.Enabled());
    timer.SetInterval(500);
    EXPECT_EQ(timer.PeriodStarts(), 0u);
    timer.SetEnabled(true);
    EXPECT_EQ(timer.PeriodStarts(), 1u);
    timer.SetEnabled(true); // already running
    timer.SetInterval(500); // the interval it has
    EXPECT_EQ(timer.PeriodStarts(), 1u);
    timer.SetInterval(100); // changed while running
    EXPECT_EQ(timer.PeriodStarts(), 2u);
    timer.SetEnabled(false);
    timer.SetInterval(500); // changed while stopped
    EXPECT_EQ(timer.PeriodStarts(), 2u);
    timer.SetEnabled(true);
    EXPECT_EQ(timer.PeriodStarts(), 3u);
}

TEST_F(TimerRules, FiresOnlyWhileRunning) {
    TTimer timer;
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    EXPECT_FALSE(timer.Fire());
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Fire());
    timer.SetInterval(0);
    EXPECT_FALSE(timer.Fire());
    EXPECT_EQ(ticks, 1);
}

TEST_F(TimerRules, AHandlerThatStopsItsTimerFiresOnce) {
    TTimer timer;
    int ticks = 0;
    timer.OnTimer = [&] {
        ++ticks;
        timer.SetEnabled(false);
    };
    timer.SetEnabled(true);
    timer.Fire();
    EXPECT_FALSE(timer.Fire());
    EXPECT_EQ(ticks, 1);
}

TEST_F(TimerRules, AnExceptionIsReportedAndTheTimerKeepsRunning) {
    MessageCapture capture;
    TTimer timer;
    timer.OnTimer = [] { throw std::runtime_error("tick failed"); };
    timer.SetEnabled(true);
    timer.Fire();
    EXPECT_TRUE(timer.Enabled());
    EXPECT_TRUE(timer.Fire());
    ASSERT_EQ(capture.shown.size(), 2u);
    EXPECT_EQ(capture.shown[0].second, "tick failed.");
}

TEST(TimerExpiry, RealTimersFireOnTheWindowThreadAndStopWhenTold) {
    TTimer timer;
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    timer.SetInterval(10);
    timer.SetEnabled(true);
    QElapsedTimer elapsed;
    elapsed.start();
    QDeadlineTimer deadline(10000);
    while (ticks < 5 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_GE(ticks, 5);
    // Five periods of 10 ms cannot pass in less than 40 ms.
    EXPECT_GE(elapsed.elapsed(), 40);
    timer.SetEnabled(false);
    const int stoppedAt = ticks;
    QDeadlineTimer quiet(100);
    while (!quiet.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(ticks, stoppedAt);
}

TEST(TimerExpiry, AnIntervalBeyondQtsRangeWaitsInsteadOfWrapping) {
    TTimer timer;
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    timer.SetInterval(static_cast<std::uint32_t>(-5)); // a negative setting read as unsigned
    timer.SetEnabled(true);
    QDeadlineTimer quiet(100);
    while (!quiet.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(ticks, 0);
}

} // namespace
