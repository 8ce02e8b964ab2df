#include "balance_sim.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t CommandPackageSize = 256;
constexpr std::size_t RawFrameCap = maxFrameLength(CommandPackageSize);
constexpr auto LineErrorPause = std::chrono::milliseconds(100);
// Before hanging up, the client gets this long to read the last reply.
constexpr auto HangUpGrace = std::chrono::milliseconds(50);
constexpr auto HangUpMaxWait = std::chrono::seconds(2);
constexpr auto HangUpRecheck = std::chrono::milliseconds(10);
constexpr auto BlockedWriteRecheck = std::chrono::milliseconds(100);

constexpr SimClock::duration MaxPollWait = std::chrono::seconds(60);

// Kept to the nanosecond: a byte takes about a millisecond at 9600 bit/s, so a wait rounded up to
// whole milliseconds would send each paced byte up to a millisecond late.
SimClock::duration until(SimClock::time_point when, SimClock::time_point now) {
    if (when <= now)
        return SimClock::duration::zero();
    return std::min<SimClock::duration>(when - now, MaxPollWait);
}

timespec toTimespec(SimClock::duration d) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
    return timespec{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

} // namespace

BalanceSim::BalanceSim(const SimOptions& options)
    : options(options), format(balanceLinkFormat(CommandPackageSize)),
      scale(options.baseGrams, options.pieceGrams, options.seed), responder(options.number, scale),
      faults(options.faults, options.seed + 1), pacer(options.pacing ? options.baud : 0),
      payload(CommandPackageSize) {
    rawFrame.reserve(RawFrameCap);
}

bool BalanceSim::setUp() {
    std::string error;
    if (!signals.install()) {
        std::fprintf(stderr, "balance-sim: cannot set up signal handling\n");
        return false;
    }
    if (!log.open(options.logPath)) {
        std::fprintf(stderr, "balance-sim: cannot write log %s\n", options.logPath.c_str());
        return false;
    }
    if (!pty.open(error) || (!options.linkPath.empty() && !pty.makeLink(options.linkPath, error))) {
        std::fprintf(stderr, "balance-sim: %s\n", error.c_str());
        return false;
    }
    std::printf("%s\n", pty.slavePath().c_str());
    std::fflush(stdout);
    if (options.hangupAfter && *options.hangupAfter == 0)
        pty.hangUp();
    return true;
}

int BalanceSim::run() {
    if (!setUp())
        return 1;
    for (;;) {
        const SimClock::time_point now = SimClock::now();
        pollfd fds[2] = {{signals.fd(), POLLIN, 0}, {-1, 0, 0}};
        if (pty.isOpen() && now >= quietUntil)
            fds[1] = {pty.masterFd(), static_cast<short>(POLLIN | (writeBlocked ? POLLOUT : 0)), 0};
        const auto wait = pollTimeout(now);
        const timespec waitSpec = toTimespec(wait.value_or(SimClock::duration::zero()));
        if (::ppoll(fds, 2, wait ? &waitSpec : nullptr, nullptr) < 0 && errno != EINTR) {
            std::perror("balance-sim: poll");
            return 1;
        }
        if (fds[0].revents & POLLIN)
            return 0;
        const SimClock::time_point woke = SimClock::now();
        if (fds[1].revents & POLLIN)
            readFromClient(woke);
        else if (fds[1].revents & (POLLHUP | POLLERR))
            quietUntil = woke + LineErrorPause;
        if (pty.isOpen())
            sendDue(woke);
        maybeHangUp(woke);
    }
}

std::optional<SimClock::duration> BalanceSim::pollTimeout(SimClock::time_point now) const {
    if (!pty.isOpen())
        return std::nullopt;
    std::optional<SimClock::duration> timeout;
    const auto consider = [&](SimClock::duration d) { timeout = std::min(timeout.value_or(d), d); };
    if (now < quietUntil)
        consider(until(quietUntil, now));
    if (const auto due = pacer.nextDue())
        // A blocked write waits for POLLOUT; the cap only guards against a missed wake-up.
        consider(writeBlocked ? BlockedWriteRecheck : until(*due, now));
    if (hangUpPending)
        consider(HangUpRecheck);
    return timeout;
}

void BalanceSim::readFromClient(SimClock::time_point now) {
    std::uint8_t buf[4096];
    // Bounded per wake-up so a flooding client cannot starve signals and replies.
    for (int i = 0; i < 16; ++i) {
        const ssize_t n = ::read(pty.masterFd(), buf, sizeof buf);
        if (n > 0) {
            receiveBytes(buf, static_cast<std::size_t>(n), now);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || errno != EAGAIN)
            quietUntil = now + LineErrorPause;
        return;
    }
}

void BalanceSim::receiveBytes(const std::uint8_t* bytes, std::size_t n, SimClock::time_point now) {
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t b = bytes[i];
        if (!receiver.escapePending && b == format.head)
            rawFrame.clear();
        if ((receiver.inFrame || b == format.head) && rawFrame.size() < RawFrameCap)
            rawFrame.push_back(b);
        feedFrameBytes(receiver, payload.data(), format, &b, 1,
                       [&](const std::uint8_t* p, std::uint32_t len) { onFrame(p, len, now); });
    }
}

void BalanceSim::onFrame(const std::uint8_t* framePayload, std::size_t length,
                         SimClock::time_point now) {
    log.write("rx", rawFrame.data(), rawFrame.size());
    rawFrame.clear();
    auto reply = responder.answer(framePayload, length);
    if (!reply || faults.dropReply())
        return;
    faults.maybeBreakLength(*reply);
    const SimClock::time_point earliest = now + std::chrono::milliseconds(options.delayMs);
    std::vector<std::uint8_t> noise = faults.noise(format.head, format.ctrl);
    if (!noise.empty())
        pacer.schedule({LinePacer::Kind::Noise, std::move(noise)}, earliest);
    std::vector<std::uint8_t> frame(maxFrameLength(static_cast<std::uint32_t>(reply->size())));
    frame.resize(encodeFrame(reply->data(), static_cast<std::uint32_t>(reply->size()), frame.data(),
                             format));
    pacer.schedule({LinePacer::Kind::Reply, std::move(frame)}, earliest);
}

void BalanceSim::sendDue(SimClock::time_point now) {
    const auto result = pacer.pump(pty.masterFd(), now, [&](const LinePacer::Transmission& t) {
        const bool isReply = t.kind == LinePacer::Kind::Reply;
        log.write(isReply ? "tx" : "noise", t.bytes.data(), t.bytes.size());
        if (!isReply)
            return;
        ++repliesSent;
        if (options.hangupAfter && repliesSent >= *options.hangupAfter && !hangUpPending) {
            hangUpPending = true;
            hangUpNotBefore = now + HangUpGrace;
            hangUpDeadline = now + HangUpMaxWait;
        }
    });
    writeBlocked = result == LinePacer::PumpResult::Blocked;
    if (result == LinePacer::PumpResult::Failed) {
        pacer.clear();
        quietUntil = now + LineErrorPause;
    }
}

void BalanceSim::maybeHangUp(SimClock::time_point now) {
    if (!hangUpPending || now < hangUpNotBefore)
        return;
    if (pty.unreadByClient() > 0 && now < hangUpDeadline)
        return;
    hangUpPending = false;
    pacer.clear();
    pty.hangUp();
}
