// The manual reading end to end: from the click on "手动采样" to the reply on display, against the
// simulated balance paced like a 9600 bit/s line. What matters is the time beyond the line's own.
#include "../tests/tools/sim_process.h"

#include "Tcommpkg.h"
#include "Unit1.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr double BitsPerByte = 10; // start, eight data, stop
constexpr double BitRate = 9600;
constexpr double ByteMs = BitsPerByte * 1000 / BitRate;
// The 4-byte command and the 13-byte reply, one after the other on a real line.
constexpr double LineMs = (4 + 13) * ByteMs;
// What the simulator paces: the reply only, since the command crosses the pty at once. The time
// beyond this is ours (plus the simulator's wake-up latency).
constexpr double PacedMs = 13 * ByteMs;

// A settings folder of its own, so the program's real cfg.ini is never touched.
class SettingsFolder {
public:
    SettingsFolder() {
        char name[] = "/tmp/weighdisplay-bench-XXXXXX";
        if (mkdtemp(name))
            path = name;
    }
    ~SettingsFolder() {
        std::error_code ec;
        if (!path.empty())
            std::filesystem::remove_all(path, ec);
    }
    SettingsFolder(const SettingsFolder&) = delete;
    SettingsFolder& operator=(const SettingsFolder&) = delete;

    std::string path;
};

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

void ManualRoundTrip(benchmark::State& state) {
    SettingsFolder folder;
    SimProcess sim({"--baud", "9600", "--delay", "0", "--seed", "3"});
    if (folder.path.empty() || sim.devicePath().empty()) {
        state.SkipWithError("no settings folder or no simulated balance");
        return;
    }
    Application->SetExeNameForTesting(folder.path + "/weighdisplay");
    std::ofstream(folder.path + "/cfg.ini") << "[ports]\nCOM1=" << sim.devicePath() << "\n";
    setMessageSinkForTesting([](TMessageKind, const std::string& text) {
        std::fprintf(stderr, "message box: %s\n", text.c_str());
    });

    auto form = std::make_unique<TForm1>();
    form->Show();
    if (!form->HsCommDevice1.fGetActive()) {
        state.SkipWithError("the link did not open");
        return;
    }
    // Two readings in a row can be equal, so the reply is told by its package event: the moment
    // the handler that took it has set Label2.
    long shown = 0;
    Clock::time_point shownAt;
    const auto original = form->HsCommDevice1.OnPackage;
    form->HsCommDevice1.OnPackage = [&](void* sender, std::uint32_t type) {
        const auto before = form->HsCommDevice1.Package().ReceiveQueue.Count();
        original(sender, type);
        if (form->HsCommDevice1.Package().ReceiveQueue.Count() < before) {
            shownAt = Clock::now();
            ++shown;
        }
    };

    std::vector<double> roundTrips;
    for (auto _ : state) {
        const long before = shown;
        const Clock::time_point clicked = Clock::now();
        form->Button6Click();
        // Sleeps in the event loop as the program does; the response wait's time-out wakes it
        // if the reply never comes.
        while (shown == before && form->Timer2.Enabled())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (shown == before) {
            state.SkipWithError("no reply within the response wait");
            break;
        }
        const Ms elapsed = shownAt - clicked;
        state.SetIterationTime(elapsed.count() / 1000);
        roundTrips.push_back(elapsed.count());
    }
    form.reset();
    setMessageSinkForTesting(nullptr);
    if (roundTrips.empty())
        return;

    const double median = percentile(roundTrips, 0.5);
    const double p99 = percentile(roundTrips, 0.99);
    state.counters["line_ms"] = LineMs;
    state.counters["paced_ms"] = PacedMs;
    state.counters["rt_med_ms"] = median;
    state.counters["rt_p99_ms"] = p99;
    state.counters["over_line_med"] = median - LineMs;
    state.counters["over_line_p99"] = p99 - LineMs;
    state.counters["over_paced_med"] = median - PacedMs;
    state.counters["over_paced_p99"] = p99 - PacedMs;
}

BENCHMARK(ManualRoundTrip)->Iterations(300)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    TApplication app(argc, argv);
    installFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
