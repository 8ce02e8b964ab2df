// The receiver's table applied one byte at a time, written apart from the link's fast paths, for
// the tests and the fuzzer to check them against.
#pragma once

#include "frame_format.h"

#include <cstdint>
#include <vector>

struct ReferenceReceiver {
    explicit ReferenceReceiver(const FrameFormat& format) : fmt(format) {}

    FrameFormat fmt;
    bool inFrame = false;
    bool escapePending = false;
    std::vector<std::uint8_t> gathered;

    // Calls out(payload) for each frame that ends.
    template <typename Out> void feed(std::uint8_t b, Out&& out) {
        const auto append = [&] {
            if (gathered.size() < fmt.packageSize)
                gathered.push_back(b);
        };
        if (!escapePending && b == fmt.head) {
            gathered.clear();
            inFrame = true;
        } else if (inFrame && escapePending) {
            append();
            escapePending = false;
        } else if (inFrame && b == fmt.ctrl) {
            escapePending = true;
        } else if (inFrame && b == fmt.tail) {
            out(gathered);
            gathered.clear();
            inFrame = false;
        } else if (inFrame) {
            append();
            escapePending = false;
        } else if (escapePending) {
            escapePending = false;
        } else {
            escapePending = b == fmt.ctrl;
        }
    }

    void reset() {
        inFrame = escapePending = false;
        gathered.clear();
    }
};
