// The window's thread reads, writes, purges, resizes and toggles while the port's event thread
// receives a steady stream of frames and drains sent ones. Run under ThreadSanitizer this proves
// the receive ring, the serialized send step and the queue resets free of races; afterwards the
// layer must still deliver frames intact.
#include "layer_fixture.h"

#include <atomic>
#include <thread>

TEST_F(LayerOnPty, WindowThreadChurnAgainstAStreamOfFrames) {
    std::atomic<int> announcements{0};
    layer->PackageNotify = [&](void*, std::uint32_t) { announcements.fetch_add(1); };
    activate();

    std::atomic<bool> stop{false};
    std::thread producer([&] {
        std::uint8_t n = 0;
        while (!stop.load()) {
            Bytes frames;
            for (int f = 0; f < 8; ++f, ++n) {
                frames.insert(frames.end(), {0x11, 0x12, 0x11, n, 0x30, 0x31, 0x32, 0x13});
            }
            pty.send(frames);
            std::this_thread::yield();
        }
    });
    // Takes whatever the port sends so that its writes never stall.
    std::atomic<std::size_t> sentBytes{0};
    std::thread sink([&] {
        while (!stop.load())
            sentBytes.fetch_add(pty.receive(4096, std::chrono::milliseconds(20)).size());
    });

    const std::uint8_t cmd[] = {0x01, 0x73};
    // At least 4000 rounds; on a loaded machine the port's threads may not have run by then, so
    // go on (yielding) until the window side has read and heard something, within a deadline.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int reads = 0;
    for (int i = 0; (i < 4000 || reads == 0 || announcements.load() == 0) &&
                    std::chrono::steady_clock::now() < deadline;
         ++i) {
        if (i >= 4000)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::uint8_t buf[16];
        if (layer->ReadPackage(buf, sizeof buf) != 0)
            ++reads;
        layer->WritePackage(cmd, sizeof cmd);
        switch (i % 97) {
        case 10:
            layer->PurgeRead();
            break;
        case 20:
            layer->PurgeWrite();
            break;
        case 30:
            layer->fSetActive(false);
            layer->fSetActive(true);
            break;
        case 40:
            layer->fSetQueueSize(i % 2 ? 4 : 16);
            break;
        case 50:
            layer->fSetFrameCtrl(0x12);
            break;
        default:
            break;
        }
        if (i % 997 == 500) {
            port.Close();
            port.Open();
        }
    }
    stop.store(true);
    producer.join();
    sink.join();
    EXPECT_GT(reads, 0);
    EXPECT_GT(announcements.load(), 0);

    // Let the line fall quiet, then start from an empty layer of the usual size.
    ASSERT_TRUE(eventually([&] {
        const std::size_t before = portEvents.countWith(EV_RXCHAR);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return portEvents.countWith(EV_RXCHAR) == before;
    }));
    layer->fSetQueueSize(16);

    // Whatever was cut short above, the next frames arrive whole and in order.
    pty.send({0x11, 0xF1, 0x13, 0x11, 0xF2, 0x13, 0x11, 0xF3, 0x13});
    std::vector<Bytes> tail;
    for (const Bytes& p : packagesUntil({0xF3}))
        if (p.size() == 1 && p[0] >= 0xF1)
            tail.push_back(p);
    EXPECT_EQ(tail, (std::vector<Bytes>{{0xF1}, {0xF2}, {0xF3}}));
}
