// The frame format: encoding a payload into a frame and the byte-by-byte state machine that cuts
// frames out of a received stream. Pure functions of their inputs; no threads, no allocation.
#pragma once

#include "CommTypes.h"
#include "byte_runs.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

struct FrameFormat {
    std::uint8_t head = DefaultFrameHead;
    std::uint8_t tail = DefaultFrameTail;
    std::uint8_t ctrl = DefaultFrameCtrl;
    bool doubleMark = true;
    std::uint32_t packageSize = 4096;
};

// The balance link's frames: head 0x11 (XON), tail 0x13 (XOFF), control 0x12, single marks.
inline constexpr std::uint8_t BalanceFrameHead = 0x11;
inline constexpr std::uint8_t BalanceFrameTail = 0x13;
inline constexpr std::uint8_t BalanceFrameCtrl = 0x12;

constexpr FrameFormat balanceLinkFormat(std::uint32_t packageSize = 4096) {
    return FrameFormat{BalanceFrameHead, BalanceFrameTail, BalanceFrameCtrl, false, packageSize};
}

// Longest frame a payload of packageSize bytes can give: every byte escaped, marks doubled.
constexpr std::uint32_t maxFrameLength(std::uint32_t packageSize) {
    return 2 * packageSize + 4;
}

// Writes the frame for src's payload (cut at packageSize) into dest's record, sets dest's length
// and returns it. dest must hold maxFrameLength(packageSize) bytes of data.
std::uint32_t _EncodePackage(TCommPackageHead dest, TCommPackageHead src, const FrameFormat& fmt);

// Convenience over raw bytes: encodes n payload bytes into out (room for maxFrameLength(n)).
std::uint32_t encodeFrame(const std::uint8_t* payload, std::uint32_t n, std::uint8_t* out,
                          const FrameFormat& fmt);

// Receiver state carried across reads. The payload is gathered into caller-owned storage of
// packageSize bytes.
struct FrameReceiverState {
    bool inFrame = false;
    bool escapePending = false;
    std::uint32_t length = 0;
};

// Feeds bytes through the state machine. For each finished frame calls onFrame(payload, length);
// the payload pointer (into the gathered payload or straight into bytes) is valid only during
// the call, and st is brought up to date on return.
//
// Runs of ordinary bytes between frame bytes are found in bulk and moved (or, outside a frame,
// skipped) whole; each frame byte then gets exactly the per-byte rule of the state machine.
template <typename OnFrame>
void feedFrameBytes(FrameReceiverState& st, std::uint8_t* payload, const FrameFormat& fmt,
                    const std::uint8_t* bytes, std::size_t n, OnFrame&& onFrame) {
    // Locals rather than st: every store into payload might alias st and force reloads.
    bool inFrame = st.inFrame;
    bool escapePending = st.escapePending;
    std::uint32_t length = st.length;
    const std::uint8_t head = fmt.head;
    const std::uint8_t tail = fmt.tail;
    const std::uint8_t ctrl = fmt.ctrl;
    const std::uint32_t size = fmt.packageSize;
    const std::uint8_t* p = bytes;
    const std::uint8_t* const end = bytes + n;

    // Appends what still fits; the rest of an oversized frame is dropped.
    const auto appendRun = [&](const std::uint8_t* from, std::size_t count) {
        const std::size_t take = std::min<std::size_t>(count, size - length);
        copyBytes(payload + length, from, take);
        length += std::uint32_t(take);
    };
    const auto appendByte = [&](std::uint8_t b) {
        if (length < size)
            payload[length++] = b;
    };

    // The byte after an unescaped control byte is payload in a frame and ignored outside one,
    // whatever its value.
    if (escapePending && p != end) {
        if (inFrame)
            appendByte(*p);
        ++p;
        escapePending = false;
    }
    while (p != end) {
        const std::uint8_t* const mark = findFrameByte(bytes, p, end, head, tail, ctrl);
        if (mark == end) {
            if (inFrame)
                appendRun(p, std::size_t(end - p));
            break;
        }
        const std::uint8_t b = *mark;
        const std::size_t run = std::size_t(mark - p);
        // Tested in the machine's order, so frame bytes that share a value act as the first.
        if (b == head) {
            // What was gathered, the run included, is dropped.
            length = 0;
            inFrame = true;
            p = mark + 1;
        } else if (b == ctrl) {
            if (inFrame)
                appendRun(p, run);
            p = mark + 1;
            if (p == end) {
                escapePending = true;
                break;
            }
            if (inFrame) {
                appendByte(*p++);
                // Escaped bytes back to back, the worst case, go without a search each. (Here the
                // control byte differs from the head, or it would have been taken as one.)
                const std::uint8_t* const last = end - 1;
                while (p < last && *p == ctrl) {
                    appendByte(p[1]);
                    p += 2;
                }
            } else {
                ++p;
            }
        } else {
            if (inFrame) {
                if (length == 0) {
                    // The whole payload is the run: hand it over from where it lies.
                    onFrame(p, std::uint32_t(std::min<std::size_t>(run, size)));
                } else {
                    appendRun(p, run);
                    onFrame(static_cast<const std::uint8_t*>(payload), length);
                }
                length = 0;
                inFrame = false;
            }
            p = mark + 1;
            // Frames mostly come back to back: take the next head without a search.
            if (p != end && *p == head) {
                inFrame = true;
                ++p;
            }
        }
    }

    st.inFrame = inFrame;
    st.escapePending = escapePending;
    st.length = length;
}
