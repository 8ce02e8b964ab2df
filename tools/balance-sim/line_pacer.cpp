#include "line_pacer.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

LinePacer::LinePacer(std::uint32_t baud) {
    if (baud > 0)
        byteTime = std::chrono::duration_cast<SimClock::duration>(
            std::chrono::nanoseconds(static_cast<std::int64_t>(10'000'000'000LL / baud)));
}

bool LinePacer::schedule(Transmission t, SimClock::time_point earliest) {
    if (queue.size() >= MaxQueued)
        return false;
    const SimClock::time_point start = std::max(earliest, lineFreeAt);
    lineFreeAt = start + byteTime * static_cast<std::int64_t>(t.bytes.size());
    queue.push_back(Entry{std::move(t), start});
    return true;
}

std::optional<SimClock::time_point> LinePacer::nextDue() const {
    if (queue.empty())
        return std::nullopt;
    const Entry& e = queue.front();
    return e.start + byteTime * static_cast<std::int64_t>(e.sent + 1);
}

std::size_t LinePacer::dueCount(const Entry& e, SimClock::time_point now) const {
    if (now < e.start)
        return 0;
    if (byteTime.count() == 0)
        return e.t.bytes.size();
    // A byte reaches the far end with its stop bit, at the end of its slot. Handing it over at the
    // start would make every transmission a byte early, and a client answering its last byte
    // would find the line still busy for one more byte time.
    const auto byteSlots = static_cast<std::size_t>((now - e.start) / byteTime);
    return std::min(byteSlots, e.t.bytes.size());
}

LinePacer::PumpResult LinePacer::pump(int fd, SimClock::time_point now,
                                      const std::function<void(const Transmission&)>& onSent) {
    while (!queue.empty()) {
        Entry& e = queue.front();
        const std::size_t due = dueCount(e, now);
        if (due > e.sent) {
            const ssize_t n = ::write(fd, e.t.bytes.data() + e.sent, due - e.sent);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return errno == EAGAIN ? PumpResult::Blocked : PumpResult::Failed;
            }
            e.sent += static_cast<std::size_t>(n);
        }
        if (e.sent < e.t.bytes.size()) {
            // A write cut short by a full buffer is blocked; otherwise the rest is not yet due.
            return e.sent < due ? PumpResult::Blocked : PumpResult::Ok;
        }
        onSent(e.t);
        queue.pop_front();
    }
    return PumpResult::Ok;
}
