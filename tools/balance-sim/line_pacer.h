// Outgoing bytes timed like a serial line: each byte takes ten bit times (start, eight data,
// stop) and is handed over when they have passed, and the line carries one thing after another.
// Nothing here blocks: the main loop asks when the next byte is due and pumps what is due.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

using SimClock = std::chrono::steady_clock;

class LinePacer {
public:
    // 0 means no pacing: everything is due at once.
    explicit LinePacer(std::uint32_t baud);

    enum class Kind { Reply, Noise };
    struct Transmission {
        Kind kind;
        std::vector<std::uint8_t> bytes;
    };

    // Queued to start no earlier than `earliest`, and after what is already on the line. False,
    // and dropped, when a client that does not read has let MaxQueued transmissions pile up.
    bool schedule(Transmission t, SimClock::time_point earliest);
    static constexpr std::size_t MaxQueued = 1024;
    std::optional<SimClock::time_point> nextDue() const;
    bool idle() const { return queue.empty(); }
    // The line went away: whatever was still to go is lost.
    void clear() { queue.clear(); }

    enum class PumpResult { Ok, Blocked, Failed };
    // Writes every byte due by `now` to fd (non-blocking); calls onSent for each transmission
    // that has fully left. Blocked: the client's buffer is full, try again when writable.
    PumpResult pump(int fd, SimClock::time_point now,
                    const std::function<void(const Transmission&)>& onSent);

private:
    struct Entry {
        Transmission t;
        SimClock::time_point start;
        std::size_t sent = 0;
    };
    std::size_t dueCount(const Entry& e, SimClock::time_point now) const;

    SimClock::duration byteTime{};
    SimClock::time_point lineFreeAt{};
    std::deque<Entry> queue;
};
