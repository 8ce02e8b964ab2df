#include "frame_format.h"

#include <algorithm>

std::uint32_t encodeFrame(const std::uint8_t* payload, std::uint32_t n, std::uint8_t* out,
                          const FrameFormat& fmt) {
    n = std::min(n, fmt.packageSize);
    std::uint32_t w = 0;
    if (fmt.doubleMark)
        out[w++] = fmt.head;
    out[w++] = fmt.head;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint8_t b = payload[i];
        if (b == fmt.head || b == fmt.tail || b == fmt.ctrl)
            out[w++] = fmt.ctrl;
        out[w++] = b;
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
