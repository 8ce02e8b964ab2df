// Packages written leave the port as frames; the drain of the port's output is announced.
#include "balance_frames.h"
#include "layer_fixture.h"
#include "memory_port.h"

TEST_F(LayerOnPty, WritePackageBeforeActivationSendsNothing) {
    const std::uint8_t cmd[] = {0x01, 0x73};
    EXPECT_EQ(layer->WritePackage(cmd, sizeof cmd), 0u);
    EXPECT_EQ(layer->SendQueue.Count(), 0u);
}

TEST_F(LayerOnPty, PackagesLeaveAsTheirFrames) {
    struct Case {
        Bytes payload;
        Bytes frame;
    };
    const std::vector<Case> cases = {
        {{0x01, 0x73}, {0x11, 0x01, 0x73, 0x13}},
        {{0x11, 0x74}, {0x11, 0x12, 0x11, 0x74, 0x13}},
        {{0x12, 0x13}, {0x11, 0x12, 0x12, 0x12, 0x13, 0x13}},
        {{0x00, 0xFF}, {0x11, 0x00, 0xFF, 0x13}},
    };
    activate();
    for (const Case& c : cases) {
        EXPECT_EQ(layer->WritePackage(c.payload.data(), std::uint32_t(c.payload.size())),
                  c.payload.size());
        EXPECT_EQ(pty.receive(c.frame.size()), c.frame);
    }
}

TEST_F(LayerOnPty, BackToBackPackagesAllLeaveInOrder) {
    activate();
    Bytes expected;
    for (std::uint8_t i = 1; i <= 10; ++i) {
        const std::uint8_t cmd[] = {i, 0x73};
        ASSERT_EQ(layer->WritePackage(cmd, sizeof cmd), 2u);
        expected.insert(expected.end(), {0x11, i, 0x73, 0x13});
    }
    EXPECT_EQ(pty.receive(expected.size()), expected);
}

TEST_F(LayerOnPty, DoubleMarksAndCutAtPackageSize) {
    layer->fSetDoubleFrameMark(true);
    layer->fSetPackageSize(3);
    activate();
    const std::uint8_t payload[] = {0x01, 0x02, 0x03, 0x04, 0x05};
    EXPECT_EQ(layer->WritePackage(payload, sizeof payload), 3u);
    EXPECT_EQ(pty.receive(7), (Bytes{0x11, 0x11, 0x01, 0x02, 0x03, 0x13, 0x13}));
}

TEST(PackageSender, TheLayersEncoderUsesItsOwnFrameBytes) {
    MemoryPort port;
    TCommPackage layer(&port);
    layer.fSetFrameHead(0x02);
    layer.fSetFrameTail(0x03);
    layer.fSetFrameCtrl(0x10);
    layer.fSetDoubleFrameMark(true);
    layer.fSetPackageSize(4);
    std::uint8_t src[4 + 5] = {5, 0, 0, 0, 0x41, 0x02, 0x10, 0x03, 0x42};
    std::uint8_t dest[4 + 12] = {};
    const Bytes frame{0x02, 0x02, 0x41, 0x10, 0x02, 0x10, 0x10, 0x10, 0x03, 0x03, 0x03};
    EXPECT_EQ(layer._EncodePackage({dest}, {src}), frame.size());
    EXPECT_EQ(TCommPackageHead{dest}.Length(), frame.size());
    EXPECT_EQ(Bytes(dest + 4, dest + 4 + frame.size()), frame) << "cut at 4, escaped, doubled";
}

TEST_F(LayerOnPty, EmptyWriteQueuesNothing) {
    activate();
    const std::uint8_t cmd[] = {0x01};
    EXPECT_EQ(layer->WritePackage(nullptr, 1), 0u);
    EXPECT_EQ(layer->WritePackage(cmd, 0), 0u);
    EXPECT_EQ(layer->SendQueue.Count(), 0u);
}

TEST_F(LayerOnPty, DrainIsAnnouncedWithAnEmptyReceiveQueue) {
    activate();
    const std::uint8_t cmd[] = {0x01, 0x73};
    ASSERT_EQ(layer->WritePackage(cmd, sizeof cmd), 2u);
    EXPECT_EQ(pty.receive(4), (Bytes{0x11, 0x01, 0x73, 0x13}));
    ASSERT_TRUE(eventually([&] { return announced.countWith(EV_TXEMPTY) > 0; }));
    EXPECT_EQ(announced.countWith(EV_RXCHAR), 0u);
    std::uint8_t buf[16];
    EXPECT_EQ(layer->ReadPackage(buf, sizeof buf), 0u);
}

TEST_F(LayerOnPty, PurgeWriteDropsQueuedPackagesOnly) {
    activate();
    layer->PurgeWrite();
    EXPECT_EQ(layer->SendQueue.Count(), 0u);
    const std::uint8_t cmd[] = {0x02, 0x74};
    ASSERT_EQ(layer->WritePackage(cmd, sizeof cmd), 2u);
    EXPECT_EQ(pty.receive(4), (Bytes{0x11, 0x02, 0x74, 0x13}));
}

// The port takes only a few bytes per Write: the rest of a frame, and then the next package,
// go out one drain notification at a time.
TEST(PackageSender, FrameTooBigForThePortGoesOutOverSeveralDrains) {
    MemoryPort port;
    port.writeLimit = 3;
    TCommPackage layer(&port);
    useBalanceFrames(layer);
    NotifyLog announced;
    layer.PackageNotify = [&](void*, std::uint32_t bits) { announced.add(bits); };
    layer.fSetActive(true);

    const std::uint8_t first[] = {0x01, 0x02, 0x03, 0x04};
    const std::uint8_t second[] = {0x05};
    ASSERT_EQ(layer.WritePackage(first, sizeof first), 4u);
    EXPECT_EQ(port.written, (Bytes{0x11, 0x01, 0x02}));
    // The next send step finishes the frame begun and leaves the new package queued.
    ASSERT_EQ(layer.WritePackage(second, sizeof second), 1u);
    EXPECT_EQ(port.written, (Bytes{0x11, 0x01, 0x02, 0x03, 0x04, 0x13}));
    EXPECT_EQ(layer.SendQueue.Count(), 1u);

    layer.fNewCommNotify(&port, EV_TXEMPTY);
    EXPECT_EQ(port.written, (Bytes{0x11, 0x01, 0x02, 0x03, 0x04, 0x13, 0x11, 0x05, 0x13}));
    EXPECT_EQ(announced.bits(), std::vector<std::uint32_t>{EV_TXEMPTY}) << "send queue drained";

    // Purging the send side drops queued packages but keeps the rest of a frame begun.
    const std::uint8_t third[] = {0x06, 0x07, 0x08, 0x09, 0x0A};
    const std::uint8_t fourth[] = {0x0B};
    port.written.clear();
    ASSERT_EQ(layer.WritePackage(third, sizeof third), 5u);
    ASSERT_EQ(layer.WritePackage(fourth, sizeof fourth), 1u);
    layer.PurgeWrite();
    layer.fNewCommNotify(&port, EV_TXEMPTY);
    layer.fNewCommNotify(&port, EV_TXEMPTY);
    EXPECT_EQ(port.written, (Bytes{0x11, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x13}));
}

TEST(PackageSender, FullSendQueueRefusesThePackage) {
    MemoryPort port;
    port.writeLimit = 0; // nothing leaves, so everything waits in the queue
    TCommPackage layer(&port);
    layer.fSetPackageType(cptFrameHeadTail);
    layer.fSetQueueSize(4);
    layer.fSetActive(true);
    const std::uint8_t cmd[] = {0x01, 0x73};
    // The first is taken out for framing at once; three more fill the queue.
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(layer.WritePackage(cmd, sizeof cmd), 2u) << i;
    EXPECT_EQ(layer.WritePackage(cmd, sizeof cmd), 0u);
}
