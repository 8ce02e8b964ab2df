#include "frame_format.h"

#include <algorithm>

std::uint32_t encodeFrame(const std::uint8_t* payload, std::uint32_t n, std::uint8_t* out,
                          const FrameFormat& fmt) {
    n = std::min(n, fmt.packageSize);
    std::uint32_t w = 0;
    if (fmt.doubleMark)
        out[w++] = fmt.head;
    out[w++] = fmt.head;
    const auto escapeAndWrite = [&](std::uint8_t b) {
        if (b == fmt.head || b == fmt.tail || b == fmt.ctrl)
            out[w++] = fmt.ctrl;
        out[w++] = b;
    };
    if (n < 16) {
        // A command message is a few bytes: testing each costs less than searching for runs.
        for (std::uint32_t i = 0; i < n; ++i)
            escapeAndWrite(payload[i]);
    } else {
        // Runs of ordinary bytes go out in one copy; each frame byte gets its control byte.
        const std::uint8_t* p = payload;
        const std::uint8_t* const end = payload + n;
        for (;;) {
            const std::uint8_t* const mark =
                findFrameByte(payload, p, end, fmt.head, fmt.tail, fmt.ctrl);
            copyBytes(out + w, p, std::size_t(mark - p));
            w += std::uint32_t(mark - p);
            if (mark == end)
                break;
            escapeAndWrite(*mark);
            p = mark + 1;
        }
    }
    if (fmt.doubleMark)
        out[w++] = fmt.tail;
    out[w++] = fmt.tail;
    return w;
}

std::uint32_t _EncodePackage(TCommPackageHead dest, TCommPackageHead src, const FrameFormat& fmt) {
    const std::uint32_t len = encodeFrame(src.Data(), src.Length(), dest.Data(), fmt);
    dest.SetLength(len);
    return len;
}
