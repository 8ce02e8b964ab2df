// How true the window's timers keep their period: the 10 ms sampling tick and the 500 ms wait
// are read by the operator as time, so their periods are measured here, not asserted in tests.
#include "Application.h"
#include "Timer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <benchmark/benchmark.h>

namespace {

// One iteration is one period of a running timer; the reported real time per iteration is the
// mean period, and the counters give the shortest and longest single period in milliseconds.
void BM_TimerPeriod(benchmark::State& state) {
    TTimer timer;
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    timer.SetInterval(static_cast<std::uint32_t>(state.range(0)));
    timer.SetEnabled(true);
    QElapsedTimer clock;
    clock.start();
    double shortest = 1e9, longest = 0;
    qint64 last = clock.nsecsElapsed();
    for (auto _ : state) {
        const int before = ticks;
        while (ticks == before)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const qint64 now = clock.nsecsElapsed();
        const double period = static_cast<double>(now - last) / 1e6;
        shortest = std::min(shortest, period);
        longest = std::max(longest, period);
        last = now;
    }
    timer.SetEnabled(false);
    state.counters["min_ms"] = shortest;
    state.counters["max_ms"] = longest;
}
BENCHMARK(BM_TimerPeriod)->Arg(10)->Iterations(200)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TimerPeriod)->Arg(500)->Iterations(6)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
