#include "Timer.h"

#include "Application.h"

#include <QTimer>
#include <climits>

namespace {

bool manualTimers = false;

} // namespace

TTimer::TTimer() : timer(std::make_unique<QTimer>()) {
    // A 10 ms sampling tick must stay 10 ms; the default coarse timers drift by 5 %.
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer.get(), &QTimer::timeout, timer.get(), [this] {
        if (!manualTimers)
            Fire();
    });
}

TTimer::~TTimer() = default;

void TTimer::SetInterval(std::uint32_t Ms) {
    if (Ms == interval)
        return;
    interval = Ms;
    if (enabled && interval > 0)
        beginPeriod();
    else
        timer->stop();
}

void TTimer::SetEnabled(bool Value) {
    if (Value == enabled)
        return;
    enabled = Value;
    if (enabled && interval > 0)
        beginPeriod();
    else
        timer->stop();
}

void TTimer::beginPeriod() {
    ++periodStarts;
    if (manualTimers)
        return;
    // Qt counts in int: an interval beyond that (a negative setting read as unsigned) waits
    // the longest it can instead of wrapping to a short one.
    timer->start(static_cast<int>(std::min<std::uint32_t>(interval, INT_MAX)));
}

bool TTimer::Fire() {
    if (!enabled || interval == 0)
        return false;
    invokeGuarded(OnTimer);
    return true;
}

void TTimer::setManualForTesting(bool Manual) {
    manualTimers = Manual;
}
