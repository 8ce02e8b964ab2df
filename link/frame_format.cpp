#include "frame_format.h"

#include <algorithm>

std::uint32_t encodeFrame(const std::uint8_t* payload, std::uint32_t n, std::uint8_t* out,
                          const FrameFormat& fmt) {
    n = std::min(n, fmt.packageSize);
    std::uint32_t w = 0;
    if (fmt.doubleMark)
        out[w++] = fmt.head;
    out[w++] = fmt.head;
    // Runs of ordinary bytes go out in one copy; each frame byte gets its control byte.
    const std::uint8_t* p = payload;
    const std::uint8_t* const end = payload + n;
    while (p != end) {
        const std::uint8_t* const mark = findFrameByte(p, end, fmt.head, fmt.tail, fmt.ctrl);
        copyBytes(out + w, p, std::size_t(mark - p));
        w += std::uint32_t(mark - p);
        if (mark == end)
            break;
        out[w++] = fmt.ctrl;
        out[w++] = *mark;
        p = mark + 1;
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
