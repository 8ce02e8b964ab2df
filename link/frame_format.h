// The frame format: encoding a payload into a frame and the byte-by-byte state machine that cuts
// frames out of a received stream. Pure functions of their inputs; no threads, no allocation.
#pragma once

#include "CommTypes.h"

#include <cstddef>
#include <cstdint>

struct FrameFormat {
    std::uint8_t head = DefaultFrameHead;
    std::uint8_t tail = DefaultFrameTail;
    std::uint8_t ctrl = DefaultFrameCtrl;
    bool doubleMark = true;
    std::uint32_t packageSize = 4096;
};

// Longest frame a payload of packageSize bytes can give: every byte escaped, marks doubled.
constexpr std::uint32_t maxFrameLength(std::uint32_t packageSize) { return 2 * packageSize + 4; }

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

    void reset() { *this = FrameReceiverState{}; }
};

// Feeds bytes through the state machine. For each finished frame calls onFrame(payload, length);
// the payload pointer is valid only during the call.
template <typename OnFrame>
void feedFrameBytes(FrameReceiverState& st, std::uint8_t* payload, const FrameFormat& fmt,
                    const std::uint8_t* bytes, std::size_t n, OnFrame&& onFrame) {
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t b = bytes[i];
        if (!st.escapePending && b == fmt.head) {
            st.length = 0;
            st.inFrame = true;
        } else if (st.inFrame) {
            if (st.escapePending) {
                if (st.length < fmt.packageSize)
                    payload[st.length++] = b;
                st.escapePending = false;
            } else if (b == fmt.ctrl) {
                st.escapePending = true;
            } else if (b == fmt.tail) {
                onFrame(static_cast<const std::uint8_t*>(payload), st.length);
                st.length = 0;
                st.inFrame = false;
            } else {
                if (st.length < fmt.packageSize)
                    payload[st.length++] = b;
                st.escapePending = false;
            }
        } else {
            st.escapePending = !st.escapePending && b == fmt.ctrl;
        }
    }
}
