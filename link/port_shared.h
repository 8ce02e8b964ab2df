// What the port's threads share with the port object. Threads hold it by shared_ptr, so a thread
// that outlives a late Close (or the port itself) still finds everything it touches alive.
#pragma once

#include "CommTypes.h"
#include "byte_queue.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

// The one replaceable handler. Calls are serialized (the package layer's receiver and send step
// assume one caller at a time) and the handler is swapped by pointer, so a call neither copies
// nor allocates. Recursive: a handler may notify again, e.g. by closing the port.
class PortNotifier {
public:
    void set(TCommNotifyEvent Handler);
    TCommNotifyEvent get() const;
    // Exceptions from the handler are dropped; the calling thread goes on.
    void call(void* Sender, std::uint32_t Bits);

private:
    std::recursive_mutex callMutex_;
    mutable std::mutex swapMutex_;
    std::shared_ptr<const TCommNotifyEvent> handler_;
};

// Lives as long as the port object or its longest-running thread.
struct PortCore {
    void* sender = nullptr;
    PortNotifier notifier;
    ByteQueue receiveQueue;
    ByteQueue sendQueue;
    // Counts send-side purges, so the write thread drops the bytes it had already taken.
    std::atomic<unsigned> writePurges{0};
};

// One opening of the device.
struct PortSession {
    PortSession() = default;
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;
    ~PortSession();

    int fd = -1;
    int receiveWake = -1; // stop signal for the event and timer threads
    int sendWake = -1;    // new bytes to send, or stop, for the write thread
    bool hasModemLines = false;
    std::uint32_t baud = 9600;

    std::atomic<bool> stop{false};
    // The device went away: writes are refused, the threads wait only for their stop signal.
    std::atomic<bool> lost{false};
    std::atomic<bool> lostNotified{false};
    std::atomic<bool> eventThreadDone{false};
    std::atomic<bool> timerThreadDone{false};
    std::atomic<bool> writeThreadDone{false};

    // Notifies EV_DEVICE_LOST once, from whichever thread sees the loss first.
    void markLost(PortCore& Core);
};

void runEventThread(std::shared_ptr<PortCore> Core, std::shared_ptr<PortSession> Session);
void runTimerThread(std::shared_ptr<PortCore> Core, std::shared_ptr<PortSession> Session);
void runWriteThread(std::shared_ptr<PortCore> Core, std::shared_ptr<PortSession> Session);
