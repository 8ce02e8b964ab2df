// Encoding payloads into frames and reading frames back out of a byte stream.
#include "frame_format.h"
#include "reference_receiver.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

FrameFormat linkFormat(bool doubleMark = false, std::uint32_t packageSize = 4096) {
    return FrameFormat{0x11, 0x13, 0x12, doubleMark, packageSize};
}

Bytes encode(const Bytes& payload, const FrameFormat& fmt) {
    std::vector<std::uint8_t> src(TCommPackageHead::HeaderSize + payload.size());
    TCommPackageHead in{src.data()};
    in.SetLength(static_cast<std::uint32_t>(payload.size()));
    std::copy(payload.begin(), payload.end(), in.Data());
    std::vector<std::uint8_t> dst(TCommPackageHead::HeaderSize + maxFrameLength(fmt.packageSize));
    TCommPackageHead out{dst.data()};
    const std::uint32_t n = _EncodePackage(out, in, fmt);
    EXPECT_EQ(n, out.Length());
    return Bytes(out.Data(), out.Data() + n);
}

// Feeds the reads one after another through one receiver; returns every finished payload.
std::vector<Bytes> decode(const std::vector<Bytes>& reads, const FrameFormat& fmt) {
    FrameReceiverState state;
    std::vector<std::uint8_t> payload(fmt.packageSize);
    std::vector<Bytes> frames;
    for (const Bytes& r : reads)
        feedFrameBytes(
            state, payload.data(), fmt, r.data(), r.size(),
            [&](const std::uint8_t* p, std::uint32_t n) { frames.emplace_back(p, p + n); });
    return frames;
}

struct EncodeCase {
    const char* name;
    Bytes payload;
    bool doubleMark;
    Bytes frame;
};

TEST(FrameEncode, WorkedExamples) {
    const std::vector<EncodeCase> cases = {
        {"command s to balance 1", {0x01, 0x73}, false, {0x11, 0x01, 0x73, 0x13}},
        {"balance 17 escapes the head", {0x11, 0x74}, false, {0x11, 0x12, 0x11, 0x74, 0x13}},
        {"ctrl and tail escaped", {0x12, 0x13}, false, {0x11, 0x12, 0x12, 0x12, 0x13, 0x13}},
        {"acknowledge", {0x06}, false, {0x11, 0x06, 0x13}},
        {"NUL passes as it is", {0x00}, false, {0x11, 0x00, 0x13}},
        {"empty payload", {}, false, {0x11, 0x13}},
        {"doubled marks", {0x01, 0x73}, true, {0x11, 0x11, 0x01, 0x73, 0x13, 0x13}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(encode(c.payload, linkFormat(c.doubleMark)), c.frame) << c.name;
}

TEST(FrameEncode, PayloadIsCutAtPackageSize) {
    const Bytes payload = {0x01, 0x02, 0x11, 0x04, 0x05};
    EXPECT_EQ(encode(payload, linkFormat(false, 3)), (Bytes{0x11, 0x01, 0x02, 0x12, 0x11, 0x13}));
}

TEST(FrameEncode, WorstCaseFitsTheLongestFrame) {
    const Bytes payload(16, 0x12);
    const Bytes frame = encode(payload, linkFormat(true, 16));
    EXPECT_EQ(frame.size(), maxFrameLength(16));
}

TEST(FrameEncode, EveryByteValueRoundTrips) {
    Bytes payload;
    for (int b = 0; b < 256; ++b)
        payload.push_back(static_cast<std::uint8_t>(b));
    for (bool doubleMark : {false, true}) {
        const auto fmt = linkFormat(doubleMark);
        EXPECT_EQ(decode({encode(payload, fmt)}, fmt), std::vector<Bytes>{payload});
    }
}

struct DecodeCase {
    const char* name;
    std::vector<Bytes> reads;
    std::vector<Bytes> frames;
};

TEST(FrameDecode, ReadingExamples) {
    const std::vector<DecodeCase> cases = {
        {"escaped head in payload", {{0x11, 0x12, 0x11, 0x74, 0x13}}, {{0x11, 0x74}}},
        {"second head drops what was gathered", {{0x11, 0x05, 0x11, 0x06, 0x13}}, {{0x06}}},
        {"ctrl at the end of one read escapes the next",
         {{0x11, 0x01, 0x12}, {0x13, 0x02, 0x13}},
         {{0x01, 0x13, 0x02}}},
        {"empty frame", {{0x11, 0x13}}, {{}}},
        {"doubled marks read like single ones",
         {{0x11, 0x11, 0x01, 0x73, 0x13, 0x13}},
         {{0x01, 0x73}}},
        {"bytes outside a frame and a lone tail are ignored",
         {{0x05, 0x13, 0x07, 0x11, 0x06, 0x13, 0x08}},
         {{0x06}}},
        {"escaped head outside a frame begins nothing",
         {{0x12, 0x11, 0x05, 0x13, 0x11, 0x06, 0x13}},
         {{0x06}}},
        {"frame split over single-byte reads", {{0x11}, {0x06}, {0x13}}, {{0x06}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decode(c.reads, linkFormat()), c.frames) << c.name;
}

TEST(FrameDecode, LongFrameYieldsItsFirstPackageSizeBytes) {
    const auto fmt = linkFormat(false, 4);
    EXPECT_EQ(decode({{0x11, 1, 2, 3, 4, 5, 6, 0x13, 0x11, 9, 0x13}}, fmt),
              (std::vector<Bytes>{{1, 2, 3, 4}, {9}}));
}

Bytes encodeByteByByte(const Bytes& payload, const FrameFormat& fmt) {
    Bytes frame;
    if (fmt.doubleMark)
        frame.push_back(fmt.head);
    frame.push_back(fmt.head);
    for (std::size_t i = 0; i < payload.size() && i < fmt.packageSize; ++i) {
        const std::uint8_t b = payload[i];
        if (b == fmt.head || b == fmt.tail || b == fmt.ctrl)
            frame.push_back(fmt.ctrl);
        frame.push_back(b);
    }
    if (fmt.doubleMark)
        frame.push_back(fmt.tail);
    frame.push_back(fmt.tail);
    return frame;
}

// Random frame bytes (sometimes sharing a value), package sizes around the 16-byte blocks the
// search works in, and streams of ordinary runs of any length mixed with frame bytes.
struct StreamMaker {
    std::mt19937 rng{20240611};

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    FrameFormat format() {
        const std::uint32_t sizes[] = {0, 1, 7, 15, 16, 17, 31, 33, 64, 4096};
        if (below(3) == 0)
            return FrameFormat{std::uint8_t(0x11 + below(3)), std::uint8_t(0x11 + below(3)),
                               std::uint8_t(0x11 + below(3)), below(2) == 1, sizes[below(10)]};
        return FrameFormat{0x11, 0x13, 0x12, below(2) == 1, sizes[below(10)]};
    }

    Bytes stream(const FrameFormat& fmt) {
        Bytes s;
        const int pieces = 1 + below(40);
        for (int i = 0; i < pieces; ++i) {
            const int run = below(4) == 0 ? below(80) : below(20);
            for (int k = 0; k < run; ++k)
                s.push_back(std::uint8_t(0x20 + below(0x60)));
            const std::uint8_t frameBytes[] = {fmt.head, fmt.tail, fmt.ctrl};
            s.push_back(frameBytes[below(3)]);
        }
        return s;
    }

    std::vector<Bytes> split(const Bytes& s) {
        std::vector<Bytes> reads;
        for (std::size_t at = 0; at < s.size();) {
            const std::size_t n =
                std::min<std::size_t>(s.size() - at, 1 + below(below(4) ? 40 : 3));
            reads.emplace_back(s.begin() + std::ptrdiff_t(at), s.begin() + std::ptrdiff_t(at + n));
            at += n;
        }
        return reads;
    }
};

TEST(FrameDecode, BulkRunsAgreeWithTheReferenceAtEveryReadBoundary) {
    StreamMaker make;
    for (int trial = 0; trial < 3000; ++trial) {
        const FrameFormat fmt = make.format();
        const Bytes stream = make.stream(fmt);
        ReferenceReceiver expected{fmt};
        std::vector<Bytes> expectedFrames;
        FrameReceiverState state;
        Bytes payload(fmt.packageSize);
        std::vector<Bytes> frames;
        for (const Bytes& r : make.split(stream)) {
            feedFrameBytes(
                state, payload.data(), fmt, r.data(), r.size(),
                [&](const std::uint8_t* p, std::uint32_t n) { frames.emplace_back(p, p + n); });
            for (std::uint8_t b : r)
                expected.feed(b, [&](const Bytes& p) { expectedFrames.push_back(p); });
            // A frame left open must be gathered, since the next read carries on with it.
            ASSERT_EQ(state.inFrame, expected.inFrame) << "trial " << trial;
            ASSERT_EQ(state.escapePending, expected.escapePending) << "trial " << trial;
            ASSERT_EQ(Bytes(payload.begin(), payload.begin() + state.length), expected.gathered)
                << "trial " << trial;
            ASSERT_EQ(frames, expectedFrames) << "trial " << trial;
        }
    }
}

TEST(FrameEncode, BulkRunsAgreeWithByteByByteEncoding) {
    StreamMaker make;
    for (int trial = 0; trial < 2000; ++trial) {
        const FrameFormat fmt = make.format();
        // The stream maker's mix of runs and frame bytes, used here as a payload.
        const Bytes payload = make.stream(fmt);
        EXPECT_EQ(encode(payload, fmt), encodeByteByByte(payload, fmt)) << "trial " << trial;
    }
}

} // namespace
