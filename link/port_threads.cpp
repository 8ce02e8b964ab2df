// The port's three threads. None of them spins: each sleeps in poll until the device or its wake
// descriptor has something, and after the device is lost only the wake descriptor is watched.
#include "port_shared.h"
#include "serial_device.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr std::size_t readChunk = 2048;
constexpr std::size_t writeChunk = 4096;
// Linux has no wait for modem-line changes that works on every driver, so the timer thread
// looks at CTS, DSR, carrier detect and ring this often.
constexpr int modemLinePeriodMs = 200;

// poll that survives signals and, on a resource failure, backs off instead of spinning.
int pollOnce(pollfd* Fds, nfds_t Count, int TimeoutMs) {
    const int rc = poll(Fds, Count, TimeoutMs);
    if (rc < 0 && errno != EINTR)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return rc;
}

// Sleeps until Wake is signalled or the time is up; consumes the signal.
void waitForWake(int Wake, int TimeoutMs) {
    pollfd p{Wake, POLLIN, 0};
    if (pollOnce(&p, 1, TimeoutMs) > 0 && (p.revents & POLLIN)) {
        eventfd_t value;
        eventfd_read(Wake, &value);
    }
}

// Moves everything the driver holds into the receive queue; what does not fit is dropped so the
// thread never waits for the reader. Gone is set when the device reports that it has gone.
std::uint32_t drainInput(PortCore& Core, int Fd, std::uint8_t* Chunk, bool& Gone) {
    const std::uint32_t capacity = Core.receiveQueue.capacity();
    const std::uint32_t nearlyFull = capacity - capacity / 5;
    const std::uint32_t before = Core.receiveQueue.used();
    // A sender faster than this loop must not keep the notification from ever going out; a few
    // queues' worth in one go is far more than any line brings between two looks.
    const std::uint32_t budget = 4 * std::max<std::uint32_t>(capacity, readChunk);
    std::uint32_t taken = 0;
    std::uint32_t bits = 0;
    while (taken < budget) {
        const ssize_t n = read(Fd, Chunk, readChunk);
        if (n > 0) {
            bits |= EV_RXCHAR;
            if (std::memchr(Chunk, 0, static_cast<std::size_t>(n)) != nullptr)
                bits |= EV_RXFLAG;
            Core.receiveQueue.push(Chunk, static_cast<std::uint32_t>(n));
            taken += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            Gone = true;
        break;
    }
    if (capacity > 0 && before < nearlyFull && Core.receiveQueue.used() >= nearlyFull)
        bits |= EV_RX80FULL;
    return bits;
}

constexpr int maxDrainWaitMs = 100;

// How long the driver needs for Pending bytes at the line's rate (10 bits a byte), bounded so a
// wrong guess costs little.
int drainWaitMs(int Pending, std::uint32_t Baud) {
    const long long ms =
        static_cast<long long>(Pending) * 10 * 1000 / std::max<std::uint32_t>(Baud, 1);
    return static_cast<int>(std::clamp<long long>(ms, 2, maxDrainWaitMs));
}

} // namespace

void PortSession::markLost(PortCore& Core) {
    lost = true;
    if (!lostNotified.exchange(true))
        Core.notifier.call(Core.sender, EV_DEVICE_LOST);
}

void runEventThread(std::shared_ptr<PortCore> Core, std::shared_ptr<PortSession> Session) {
    std::uint8_t chunk[readChunk];
    while (!Session->stop) {
        pollfd fds[2] = {{Session->receiveWake, POLLIN, 0},
                         {Session->lost ? -1 : Session->fd, POLLIN, 0}};
        if (pollOnce(fds, 2, -1) <= 0 || Session->stop)
            continue;
        if (fds[1].revents == 0)
            continue;
        bool gone = (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        const std::uint32_t bits = drainInput(*Core, Session->fd, chunk, gone);
        if (bits != 0)
            Core->notifier.call(Core->sender, bits);
        if (gone)
            Session->markLost(*Core);
    }
    Session->eventThreadDone = true;
}

void runTimerThread(std::shared_ptr<PortCore> Core, std::shared_ptr<PortSession> Session) {
    std::uint64_t errors = 0;
    const bool countsErrors = readLineErrorCount(Session->fd, errors);
    bool watching = Session->hasModemLines || countsErrors;
    int lastLines = 0;
    bool linesKnown = false;
    while (!Session->stop) {
        pollfd wake{Session->receiveWake, POLLIN, 0};
        const bool active = watching && !Session->lost;
        pollOnce(&wake, 1, active ? modemLinePeriodMs : -1);
        if (Session->stop || !active)
            continue;
        std::uint32_t bits = 0;
        int lines = 0;
        const bool haveLines = Session->hasModemLines && readModemLines(Session->fd, lines);
        if (haveLines) {
            const int changed = linesKnown ? lines ^ lastLines : 0;
            if (changed & TIOCM_CTS)
                bits |= EV_CTS;
            if (changed & TIOCM_DSR)
                bits |= EV_DSR;
            if (changed & TIOCM_CD)
                bits |= EV_RLSD;
            if ((changed & TIOCM_RI) && (lines & TIOCM_RI))
                bits |= EV_RING;
            lastLines = lines;
            linesKnown = true;
        }
        std::uint64_t count = 0;
        const bool haveCount = countsErrors && readLineErrorCount(Session->fd, count);
        if (haveCount) {
            if (count != errors)
                bits |= EV_ERR;
            errors = count;
        }
        watching = haveLines || haveCount;
        if (bits != 0)
            Core->notifier.call(Core->sender, bits);
    }
    Session->timerThreadDone = true;
}

void runWriteThread(std::shared_ptr<PortCore> Core, std::shared_ptr<PortSession> Session) {
    // Bytes taken out of the send queue but not yet accepted by the driver. Taking them out (not
    // peeking) keeps a purge from cutting bytes queued after it; a purge drops them by generation.
    std::uint8_t chunk[writeChunk];
    std::uint32_t chunkLength = 0;
    std::uint32_t chunkSent = 0;
    unsigned generation = Core->writePurges;
    bool draining = false;
    int lastPending = -1;
    int stuckWaitMs = 0;
    while (!Session->stop) {
        if (Session->lost) {
            Core->sendQueue.clear();
            chunkLength = chunkSent = 0;
            waitForWake(Session->sendWake, -1);
            continue;
        }
        if (generation != Core->writePurges) {
            generation = Core->writePurges;
            chunkLength = chunkSent = 0;
        }
        if (chunkSent == chunkLength) {
            chunkLength = Core->sendQueue.pop(chunk, sizeof chunk);
            chunkSent = 0;
        }
        if (chunkSent < chunkLength) {
            pollfd fds[2] = {{Session->sendWake, POLLIN, 0}, {Session->fd, POLLOUT, 0}};
            if (pollOnce(fds, 2, -1) <= 0 || Session->stop)
                continue;
            if (fds[0].revents & POLLIN) {
                eventfd_t value;
                eventfd_read(Session->sendWake, &value);
            }
            if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
                Session->markLost(*Core);
            } else if (fds[1].revents & POLLOUT) {
                const ssize_t written =
                    write(Session->fd, chunk + chunkSent, chunkLength - chunkSent);
                if (written > 0) {
                    chunkSent += static_cast<std::uint32_t>(written);
                    draining = true;
                } else if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK &&
                           errno != EINTR) {
                    Session->markLost(*Core);
                }
            }
            continue;
        }
        if (draining) {
            int pending = 0;
            if (readOutputPending(Session->fd, pending) && pending > 0) {
                // Output that does not move (the far end not reading) is looked at ever less
                // often, up to the longest wait, instead of every few milliseconds for good.
                stuckWaitMs = pending == lastPending ? std::min(stuckWaitMs * 2, maxDrainWaitMs)
                                                     : drainWaitMs(pending, Session->baud);
                lastPending = pending;
                waitForWake(Session->sendWake, stuckWaitMs);
                continue;
            }
            lastPending = -1;
            draining = false;
            if (Core->sendQueue.used() == 0)
                Core->notifier.call(Core->sender, EV_TXEMPTY);
            continue;
        }
        waitForWake(Session->sendWake, -1);
    }
    Session->writeThreadDone = true;
}
