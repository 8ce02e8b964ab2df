// A message-style periodic timer on the window's thread, with millisecond precision.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

class QTimer;

class TTimer {
public:
    // Created stopped, 1000 ms.
    TTimer();
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    // Starting a running timer or setting the interval it already has leaves its period alone;
    // only a changed interval or a start from stopped begins a new period. Interval 0 never fires.
    std::uint32_t Interval() const { return interval; }
    void SetInterval(std::uint32_t Ms);
    bool Enabled() const { return enabled; }
    void SetEnabled(bool Value);

    std::function<void()> OnTimer;

    // Test hooks. Fire runs OnTimer now as an expiry would, when the timer runs, and tells whether
    // it did. PeriodStarts counts the periods begun, so tests see a restart without a clock.
    bool Fire();
    std::uint64_t PeriodStarts() const { return periodStarts; }
    // While set, no timer fires by itself: tests drive every timer through Fire.
    static void setManualForTesting(bool Manual);

private:
    void beginPeriod();
    std::unique_ptr<QTimer> timer;
    std::uint32_t interval = 1000;
    bool enabled = false;
    std::uint64_t periodStarts = 0;
};
