// The simulator's run: one thread, one poll loop over the pty master and the signal pipe.
#pragma once

#include "balance_responder.h"
#include "fault_injector.h"
#include "frame_log.h"
#include "line_pacer.h"
#include "pty_device.h"
#include "scale_model.h"
#include "signal_pipe.h"
#include "sim_options.h"

#include <frame_format.h>

#include <cstdint>
#include <optional>
#include <vector>

class BalanceSim {
public:
    explicit BalanceSim(const SimOptions& options);
    // Exit status: 0 after SIGINT or SIGTERM, 1 when the device cannot be set up.
    int run();

private:
    bool setUp();
    // None when nothing is due: wait for the line or a signal alone.
    std::optional<SimClock::duration> pollTimeout(SimClock::time_point now) const;
    void readFromClient(SimClock::time_point now);
    void receiveBytes(const std::uint8_t* bytes, std::size_t n, SimClock::time_point now);
    void onFrame(const std::uint8_t* payload, std::size_t length, SimClock::time_point now);
    void sendDue(SimClock::time_point now);
    void maybeHangUp(SimClock::time_point now);

    SimOptions options;
    FrameFormat format;
    ScaleModel scale;
    BalanceResponder responder;
    FaultInjector faults;
    LinePacer pacer;
    FrameLog log;
    PtyDevice pty;
    SignalPipe signals;

    FrameReceiverState receiver;
    std::vector<std::uint8_t> payload;
    // The frame as it came over the line, for the log.
    std::vector<std::uint8_t> rawFrame;

    bool writeBlocked = false;
    // After a line error, the master is left alone for a while instead of being polled hot.
    SimClock::time_point quietUntil{};
    long repliesSent = 0;
    bool hangUpPending = false;
    SimClock::time_point hangUpNotBefore{};
    SimClock::time_point hangUpDeadline{};
};
