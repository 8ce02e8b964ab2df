// The link's hot paths without a device: bytes in through the receiver to ReadPackage out, and
// frames out through the encoder and the send step.
#include "memory_port.h"

#include <Tcommpkg.h>
#include <benchmark/benchmark.h>
#include <frame_format.h>

#include <cstring>
#include <vector>

namespace {

FrameFormat linkFormat(std::uint32_t packageSize) {
    return FrameFormat{0x11, 0x13, 0x12, false, packageSize};
}

std::vector<std::uint8_t> frameOf(const std::vector<std::uint8_t>& payload) {
    std::vector<std::uint8_t> frame(maxFrameLength(std::uint32_t(payload.size())));
    frame.resize(
        encodeFrame(payload.data(), std::uint32_t(payload.size()), frame.data(), linkFormat(4096)));
    return frame;
}

// A layer set up as the link runs it, but with the given queue and package sizes.
struct Link {
    MemoryPort port;
    TCommPackage layer{&port};

    Link(std::uint32_t queueSize, std::uint32_t packageSize) {
        layer.fSetPackageType(cptFrameHeadTail);
        layer.fSetPackageSize(packageSize);
        layer.fSetQueueSize(queueSize);
        layer.fSetFrameHead(0x11);
        layer.fSetFrameTail(0x13);
        layer.fSetFrameCtrl(0x12);
        layer.fSetDoubleFrameMark(false);
        layer.fSetActive(true);
    }
};

// Feeds `stream` (as many frames as the queue holds) per notification and reads every package
// out, as the window would; counts the stream's bytes.
void receiveStream(benchmark::State& state, Link& link, const std::vector<std::uint8_t>& stream,
                   std::size_t framesPerStream) {
    std::vector<std::uint8_t> out(link.layer.PackageSize);
    std::size_t packages = 0;
    for (auto _ : state) {
        link.port.serve(stream.data(), stream.size());
        link.layer.fNewCommNotify(&link.port, EV_RXCHAR);
        for (std::size_t i = 0; i < framesPerStream; ++i)
            packages += link.layer.ReadPackage(out.data(), std::uint32_t(out.size())) != 0;
        benchmark::DoNotOptimize(out.data());
    }
    if (packages != framesPerStream * state.iterations())
        state.SkipWithError("packages lost");
    state.SetBytesProcessed(std::int64_t(state.iterations() * stream.size()));
    state.SetItemsProcessed(std::int64_t(packages));
}

// Weight replies ("+0012.3456g" framed: 13 bytes). Arg 0: queue slots; the link runs with 16.
void BM_ReceiveWeightFrames(benchmark::State& state) {
    const auto slots = std::uint32_t(state.range(0));
    Link link(slots, 4096);
    const char* text = "+0012.3456g";
    const std::vector<std::uint8_t> frame = frameOf({text, text + 11});
    std::vector<std::uint8_t> stream;
    for (std::uint32_t i = 0; i + 1 < slots; ++i)
        stream.insert(stream.end(), frame.begin(), frame.end());
    receiveStream(state, link, stream, slots - 1);
}
BENCHMARK(BM_ReceiveWeightFrames)->Arg(16)->Arg(1024);

// Worst case: every payload byte a frame byte, so every one comes escaped. Arg 0: payload size.
void BM_ReceiveAllEscaped(benchmark::State& state) {
    const auto payloadSize = std::uint32_t(state.range(0));
    Link link(16, 4096);
    std::vector<std::uint8_t> payload(payloadSize);
    for (std::uint32_t i = 0; i < payloadSize; ++i)
        payload[i] = std::uint8_t(0x11 + i % 3);
    const std::vector<std::uint8_t> frame = frameOf(payload);
    std::vector<std::uint8_t> stream;
    for (int i = 0; i < 15; ++i)
        stream.insert(stream.end(), frame.begin(), frame.end());
    receiveStream(state, link, stream, 15);
}
BENCHMARK(BM_ReceiveAllEscaped)->Arg(11)->Arg(4096);

// The encoder alone on a two-byte command message.
void BM_EncodeCommandFrame(benchmark::State& state) {
    std::uint8_t payload[2] = {0x11, 's'};
    std::uint8_t frame[maxFrameLength(2)];
    const FrameFormat fmt = linkFormat(4096);
    for (auto _ : state) {
        benchmark::DoNotOptimize(encodeFrame(payload, 2, frame, fmt));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()));
}
BENCHMARK(BM_EncodeCommandFrame);

// The encoder on a full 4096-byte package of plain bytes.
void BM_EncodeLargeFrame(benchmark::State& state) {
    std::vector<std::uint8_t> payload(4096, 0x30);
    std::vector<std::uint8_t> frame(maxFrameLength(4096));
    const FrameFormat fmt = linkFormat(4096);
    for (auto _ : state) {
        benchmark::DoNotOptimize(encodeFrame(payload.data(), 4096, frame.data(), fmt));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()));
    state.SetBytesProcessed(std::int64_t(state.iterations() * 4096));
}
BENCHMARK(BM_EncodeLargeFrame);

// The window's send path: WritePackage queues, frames and hands the frame to the port.
void BM_WriteCommandPackage(benchmark::State& state) {
    Link link(16, 4096);
    const std::uint8_t payload[2] = {0x01, 's'};
    for (auto _ : state) {
        if (link.layer.WritePackage(payload, 2) != 2) {
            state.SkipWithError("package refused");
            break;
        }
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()));
}
BENCHMARK(BM_WriteCommandPackage);

} // namespace

BENCHMARK_MAIN();
