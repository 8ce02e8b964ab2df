// The receive path allocates nothing once the sizes are set. This binary replaces the global
// allocation functions and counts what is allocated on the port's event thread while it runs
// the layer's notification.
#include "Comm32.h"
#include "Tcommpkg.h"
#include "balance_frames.h"
#include "pty_fixture.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

thread_local bool inNotification = false;
std::atomic<int> allocations{0};

void* allocate(std::size_t n) {
    if (inNotification)
        allocations.fetch_add(1);
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}

} // namespace

// These replace the global pair, so the pairing of malloc and free is ours; GCC cannot see that
// once it inlines them into a caller.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t n) {
    return allocate(n);
}
void* operator new[](std::size_t n) {
    return allocate(n);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

TEST(PackageAllocation, ReceiveAndDrainPathsAllocateNothing) {
    PtyPair pty;
    TComm32 port;
    port.SetPortResolver([path = pty.slavePath()](int) { return path; });
    port.fSetBaud(br9600);
    TCommPackage layer(&port);
    useBalanceFrames(layer);
    std::atomic<int> received{0};
    std::atomic<int> drained{0};
    layer.PackageNotify = [&](void*, std::uint32_t bits) {
        if (bits & EV_RXCHAR)
            received.fetch_add(1);
        if (bits & EV_TXEMPTY)
            drained.fetch_add(1);
    };
    std::atomic<int> gated{0};
    const TCommNotifyEvent layerHandler = port.GetOnCommNotify();
    port.SetOnCommNotify([&](void* sender, std::uint32_t bits) {
        inNotification = true;
        gated.fetch_add(1);
        layerHandler(sender, bits);
        inNotification = false;
    });
    port.Open();
    layer.fSetActive(true);

    // Weight replies, escaped bytes and empty frames, ten frames at a time so that the queue
    // never overflows, split across reads at odd places.
    int read = 0;
    auto readAll = [&] {
        std::uint8_t buf[16];
        while (layer.ReceiveQueue.Count() > 0) {
            layer.ReadPackage(buf, sizeof buf);
            ++read;
        }
    };
    for (int group = 0; group < 20; ++group) {
        Bytes line;
        for (int i = group * 10; i < group * 10 + 10; ++i) {
            line.push_back(0x11);
            const int n = i % 3 == 0 ? 11 : i % 17;
            for (int k = 0; k < n; ++k) {
                const std::uint8_t b = std::uint8_t(0x0F + (i + k) % 6); // 0x0F..0x14
                if (b >= 0x11 && b <= 0x13)
                    line.push_back(0x12);
                line.push_back(b);
            }
            line.push_back(0x13);
        }
        const std::size_t half = line.size() / 2 + std::size_t(group);
        pty.send(Bytes(line.begin(), line.begin() + long(half)));
        pty.send(Bytes(line.begin() + long(half), line.end()));
        ASSERT_TRUE(eventually([&] {
            readAll();
            return read == group * 10 + 10;
        })) << "group "
            << group << " read " << read;
    }

    const std::uint8_t cmd[] = {0x01, 0x73};
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(layer.WritePackage(cmd, sizeof cmd), 2u);
        EXPECT_EQ(pty.receive(4).size(), 4u);
    }
    ASSERT_TRUE(eventually([&] { return drained.load() > 0; }));

    port.SetOnCommNotify(layerHandler);
    port.Close();
    EXPECT_GT(received.load(), 0);
    EXPECT_GT(gated.load(), 0);
    EXPECT_EQ(allocations.load(), 0) << "allocations on the event thread inside the layer";
}
