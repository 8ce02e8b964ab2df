// Arbitrary byte streams, cut at arbitrary points, through the package layer's receiver. Checks
// its invariants after every step and compares every package with a plain reference decoder.
//
// Input layout: [package size] [queue size] [frame bytes switch] [head] [tail] [ctrl], then ops:
//   0x00-0xBF  a chunk of (op % 48) + 1 stream bytes arrives; the port notifies 0x1
//   0xC0-0xEF  ReadPackage with a buffer of the next byte's size (0: ask the length only)
//   0xF0-0xF7  the layer is switched off and on again (all state dropped)
//   0xF8-0xFD  WritePackage of (op - 0xF7) * 5 stream bytes; the port notifies 0x4
//   0xFE       a notification with no receive bit
//   0xFF       the rest of the input arrives as one chunk (may exceed the 2048-byte read)
#include <Comm32.h>
#include <Tcommpkg.h>
#include <reference_receiver.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <vector>

namespace {

#define CHECK(cond)                                                                                \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "invariant failed: %s (line %d)\n", #cond, __LINE__);             \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// A port whose receive side is whatever the fuzzer hands it and whose send side takes all.
class MemoryPort : public TComm32 {
public:
    std::uint32_t Read(void* Buffer, std::uint32_t n) override {
        const std::uint32_t take = std::min<std::uint32_t>(n, std::uint32_t(end - next));
        std::copy(next, next + take, static_cast<std::uint8_t*>(Buffer));
        next += take;
        return take;
    }
    std::uint32_t Write(const void* Buffer, std::uint32_t n) override {
        const auto* b = static_cast<const std::uint8_t*>(Buffer);
        written.insert(written.end(), b, b + n);
        return n;
    }

    const std::uint8_t* next = nullptr;
    const std::uint8_t* end = nullptr;
    std::vector<std::uint8_t> written;
};

struct Model {
    ReferenceReceiver decoder;
    std::deque<std::vector<std::uint8_t>> queue;
    std::uint32_t capacity;

    void receive(const std::uint8_t* bytes, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i)
            decoder.feed(bytes[i], [&](const std::vector<std::uint8_t>& p) {
                // A full queue loses the newest package.
                if (queue.size() < capacity)
                    queue.push_back(p);
            });
    }
};

void checkState(const TCommPackage& layer, const Model& model) {
    const TCommPackageQueue& q = layer.ReceiveQueue;
    CHECK(q.Count() <= q.SlotCount - 1);
    CHECK(q.Count() == model.queue.size());
    const std::uint32_t gathered =
        TCommPackageHead{const_cast<std::uint8_t*>(layer.ReceiveBuffer.data())}.Length();
    CHECK(gathered <= layer.PackageSize);
    CHECK(layer.InFrame || gathered == 0);
    CHECK(layer.InFrame == model.decoder.inFrame);
    CHECK(layer.EscapePending == model.decoder.escapePending);
    CHECK(gathered == model.decoder.gathered.size());
}

// The port reads from static storage: one layer for the whole run, reconfigured per input.
MemoryPort& port() {
    static MemoryPort p;
    return p;
}

TCommPackage& layer() {
    static TCommPackage l(&port());
    return l;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6)
        return 0;
    TCommPackage& pkg = layer();
    MemoryPort& comm = port();

    const std::uint32_t packageSize = (data[0] & 0x40) ? 4096 : (data[0] & 0x3F) + 1;
    const std::uint32_t queueSize = data[1] % 8;
    const bool ownFrameBytes = data[2] & 1;
    const std::uint8_t head = ownFrameBytes ? data[3] : 0x11;
    const std::uint8_t tail = ownFrameBytes ? data[4] : 0x13;
    const std::uint8_t ctrl = ownFrameBytes ? data[5] : 0x12;
    data += 6;
    size -= 6;

    pkg.fSetActive(false);
    pkg.fSetPackageType(cptFrameHeadTail);
    pkg.fSetPackageSize(packageSize);
    pkg.fSetQueueSize(queueSize);
    pkg.fSetFrameHead(head);
    pkg.fSetFrameTail(tail);
    pkg.fSetFrameCtrl(ctrl);
    pkg.fSetDoubleFrameMark(false);
    pkg.fSetActive(true);
    CHECK(pkg.ReceiveQueue.SlotCount == std::max<std::uint32_t>(queueSize, 2));
    comm.written.clear();

    Model model{ReferenceReceiver{FrameFormat{head, tail, ctrl, false, packageSize}},
                {},
                pkg.ReceiveQueue.SlotCount - 1};
    std::vector<std::vector<std::uint8_t>> sent;
    std::vector<std::uint8_t> out(4200);

    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t op = data[i++];
        if (op < 0xC0 || op == 0xFF) {
            const std::size_t n =
                op == 0xFF ? size - i : std::min<std::size_t>(op % 48 + 1, size - i);
            comm.next = data + i;
            comm.end = data + i + n;
            pkg.fNewCommNotify(&comm, EV_RXCHAR);
            CHECK(comm.next == comm.end);
            model.receive(data + i, n);
            i += n;
        } else if (op < 0xF0) {
            const std::uint32_t length = i < size ? data[i++] : 0;
            const std::uint32_t got = pkg.ReadPackage(out.data(), length);
            if (length == 0) {
                CHECK(got == (model.queue.empty() ? 0 : model.queue.front().size()));
                CHECK(pkg.ReceiveQueue.Count() == model.queue.size());
                continue;
            }
            if (model.queue.empty()) {
                CHECK(got == 0);
                continue;
            }
            const std::vector<std::uint8_t>& expected = model.queue.front();
            CHECK(got <= packageSize);
            CHECK(got == std::min<std::size_t>(length, expected.size()));
            CHECK(std::equal(out.begin(), out.begin() + got, expected.begin()));
            model.queue.pop_front();
        } else if (op < 0xF8) {
            pkg.fSetActive(false);
            pkg.fSetActive(true);
            model.queue.clear();
            model.decoder.reset();
        } else if (op < 0xFE) {
            const std::size_t n = std::min<std::size_t>(std::size_t(op - 0xF7) * 5, size - i);
            const std::uint32_t taken = pkg.WritePackage(data + i, std::uint32_t(n));
            CHECK(taken == std::min<std::size_t>(n, packageSize));
            if (taken != 0)
                sent.emplace_back(data + i, data + i + taken);
            pkg.fNewCommNotify(&comm, EV_TXEMPTY);
            i += n;
        } else {
            pkg.fNewCommNotify(&comm, EV_CTS);
        }
        checkState(pkg, model);
    }

    // Everything the port took reads back as the packages written, when the frame bytes differ
    // (with equal ones no framing can be undone).
    if (head != tail && head != ctrl && tail != ctrl) {
        ReferenceReceiver back{FrameFormat{head, tail, ctrl, false, packageSize}};
        std::vector<std::vector<std::uint8_t>> received;
        for (std::uint8_t b : comm.written)
            back.feed(b, [&](const std::vector<std::uint8_t>& p) { received.push_back(p); });
        CHECK(received == sent);
    }
    return 0;
}
