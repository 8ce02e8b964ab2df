// Bytes on the line become queued, announced packages.
#include "layer_fixture.h"
#include "memory_port.h"

namespace {

const Bytes sentinel{0x11, 0xAA, 0x13};
const Bytes sentinelPayload{0xAA};

Bytes seq(std::uint8_t from, std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = std::uint8_t(from + i);
    return b;
}

Bytes frameOf(const Bytes& payload) {
    Bytes f{0x11};
    f.insert(f.end(), payload.begin(), payload.end());
    f.push_back(0x13);
    return f;
}

} // namespace

TEST_F(LayerOnPty, WholeFrameIsQueuedAndAnnouncedOnce) {
    activate();
    pty.send({0x11, 0x06, 0x13});
    ASSERT_TRUE(eventually([&] { return announced.countWith(EV_RXCHAR) == 1; }));
    EXPECT_EQ(layer->ReadPackage(nullptr, 0), 1u) << "the null form tells the length";
    EXPECT_EQ(layer->ReceiveQueue.Count(), 1u) << "and leaves the package queued";
    std::uint8_t buf[16] = {};
    EXPECT_EQ(layer->ReadPackage(buf, sizeof buf), 1u);
    EXPECT_EQ(buf[0], 0x06);
    EXPECT_EQ(layer->ReadPackage(buf, sizeof buf), 0u) << "queue empty";

    // Nothing more was announced for that frame: the next frame brings exactly one more.
    pty.send(sentinel);
    EXPECT_EQ(packagesUntil(sentinelPayload), std::vector<Bytes>{sentinelPayload});
    // Queued before announced: wait for the announcement, then for the port event behind it.
    ASSERT_TRUE(eventually([&] { return announced.countWith(EV_RXCHAR) >= 2; }));
    ASSERT_TRUE(eventually([&] { return portEvents.countWith(EV_RXCHAR) >= 2; }));
    EXPECT_EQ(announced.countWith(EV_RXCHAR), 2u);
}

TEST_F(LayerOnPty, FrameByteByByteIsAnnouncedOnlyAfterItsTail) {
    activate();
    const Bytes frame{0x11, 0x06, 0x13};
    for (std::size_t i = 0; i < frame.size(); ++i) {
        const std::size_t before = portEvents.countWith(EV_RXCHAR);
        pty.send({frame[i]});
        ASSERT_TRUE(eventually([&] { return portEvents.countWith(EV_RXCHAR) > before; }));
        const std::size_t expected = i + 1 < frame.size() ? 0 : 1;
        EXPECT_EQ(announced.countWith(EV_RXCHAR), expected) << "after byte " << i;
    }
    std::uint8_t buf[16];
    EXPECT_EQ(layer->ReadPackage(buf, sizeof buf), 1u);
    EXPECT_EQ(buf[0], 0x06);
}

TEST_F(LayerOnPty, TwoFramesInOneReadAreBothQueued) {
    activate();
    pty.send({0x11, 0x01, 0x13, 0x11, 0x02, 0x13});
    ASSERT_TRUE(eventually([&] { return layer->ReceiveQueue.Count() == 2; }));
    // The layer announces before it passes the port event on, so let both logs settle.
    EXPECT_TRUE(eventually([&] {
        return announced.countWith(EV_RXCHAR) <= portEvents.countWith(EV_RXCHAR);
    })) << "at most one announcement per port event";
    std::uint8_t buf[16];
    ASSERT_EQ(layer->ReadPackage(buf, sizeof buf), 1u);
    EXPECT_EQ(buf[0], 0x01);
    EXPECT_EQ(layer->ReceiveQueue.Count(), 1u) << "one read per event leaves the second queued";
    ASSERT_EQ(layer->ReadPackage(buf, sizeof buf), 1u);
    EXPECT_EQ(buf[0], 0x02);
}

// Each line is sent, then a sentinel frame; the packages read up to the sentinel must match.
TEST_F(LayerOnPty, ByteStreamsGiveTheirPackages) {
    struct Case {
        const char* name;
        Bytes line;
        std::vector<Bytes> packages; // as ReadPackage(buffer, 16) copies them
    };
    const Bytes eleven = seq(0x30, 11);
    const Bytes twenty = seq(0x40, 20);
    const std::vector<Case> cases = {
        {"weight reply of 11 bytes", frameOf(eleven), {eleven}},
        {"20 bytes read into 16 lose the last 4", frameOf(twenty), {seq(0x40, 16)}},
        {"empty frame", {0x11, 0x13}, {{}}},
        {"second head drops what was gathered", {0x11, 0x01, 0x02, 0x11, 0x06, 0x13}, {{0x06}}},
        {"escaped head outside a frame begins nothing", {0x12, 0x11, 0x06, 0x13}, {}},
        {"escaped marks inside a frame are payload",
         {0x11, 0x12, 0x11, 0x74, 0x12, 0x13, 0x13},
         {{0x11, 0x74, 0x13}}},
        {"doubled marks read like single ones",
         {0x11, 0x11, 0x01, 0x73, 0x13, 0x13},
         {{0x01, 0x73}}},
        {"lone tail and noise outside a frame", {0x13, 0x00, 0x55, 0x13}, {}},
    };
    activate();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes line = c.line;
        line.insert(line.end(), sentinel.begin(), sentinel.end());
        pty.send(line);
        std::vector<Bytes> expected = c.packages;
        expected.push_back(sentinelPayload);
        EXPECT_EQ(packagesUntil(sentinelPayload), expected);
    }
}

TEST_F(LayerOnPty, ControlByteEndingOneReadEscapesTheFirstOfTheNext) {
    activate();
    pty.send({0x11, 0x01, 0x12});
    ASSERT_TRUE(eventually([&] { return portEvents.countWith(EV_RXCHAR) > 0; }));
    pty.send({0x13, 0x02, 0x13});
    EXPECT_EQ(packagesUntil({0x01, 0x13, 0x02}), (std::vector<Bytes>{{0x01, 0x13, 0x02}}));
}

TEST_F(LayerOnPty, FrameLongerThanPackageSizeIsCut) {
    layer->fSetPackageSize(8);
    activate();
    pty.send(frameOf(seq(0x20, 12)));
    pty.send(sentinel);
    EXPECT_EQ(packagesUntil(sentinelPayload), (std::vector<Bytes>{seq(0x20, 8), sentinelPayload}));
}

TEST(PackageReceiver, FullQueueDropsTheNewestPackage) {
    MemoryPort port;
    TCommPackage layer(&port);
    layer.fSetPackageType(cptFrameHeadTail);
    layer.fSetFrameHead(0x11);
    layer.fSetFrameTail(0x13);
    layer.fSetFrameCtrl(0x12);
    NotifyLog announced;
    layer.PackageNotify = [&](void*, std::uint32_t bits) { announced.add(bits); };
    layer.fSetActive(true);

    for (std::uint8_t i = 1; i <= 16; ++i) {
        const Bytes f = frameOf({i});
        port.pending.insert(port.pending.end(), f.begin(), f.end());
    }
    layer.fNewCommNotify(&port, EV_RXCHAR);
    EXPECT_EQ(layer.ReceiveQueue.Count(), 15u);
    EXPECT_EQ(announced.bits(), std::vector<std::uint32_t>{EV_RXCHAR});

    // A later frame is dropped too while nobody reads; the waiting ones are announced again.
    port.pending = frameOf({0x20});
    layer.fNewCommNotify(&port, EV_RXCHAR);
    EXPECT_EQ(announced.countWith(EV_RXCHAR), 2u);

    for (std::uint8_t i = 1; i <= 15; ++i) {
        std::uint8_t buf[16];
        ASSERT_EQ(layer.ReadPackage(buf, sizeof buf), 1u);
        EXPECT_EQ(buf[0], i);
    }
    EXPECT_EQ(layer.ReceiveQueue.Count(), 0u);
}

TEST_F(LayerOnPty, ReactivationDropsAHalfReceivedFrameAndTheQueue) {
    activate();
    pty.send({0x11, 0x07, 0x13, 0x11, 0x01, 0x02});
    ASSERT_TRUE(eventually([&] { return layer->ReceiveQueue.Count() == 1; }));
    layer->fSetActive(false);
    EXPECT_EQ(layer->ReadPackage(nullptr, 0), 0u) << "an inactive layer hands out nothing";
    layer->fSetActive(true);
    EXPECT_EQ(layer->ReceiveQueue.Count(), 0u);
    pty.send({0x03, 0x13, 0x11, 0x05, 0x13});
    EXPECT_EQ(packagesUntil({0x05}), (std::vector<Bytes>{{0x05}}));
}

TEST_F(LayerOnPty, PurgeReadEmptiesTheQueueButKeepsTheFrameBeingReceived) {
    activate();
    pty.send({0x11, 0x07, 0x13});
    ASSERT_TRUE(eventually([&] { return layer->ReceiveQueue.Count() == 1; }));
    // One byte per port event, so each is known to be through the receiver before the purge.
    for (std::uint8_t b : {0x11, 0x01}) {
        const std::size_t before = portEvents.countWith(EV_RXCHAR);
        pty.send({b});
        ASSERT_TRUE(eventually([&] { return portEvents.countWith(EV_RXCHAR) > before; }));
    }
    layer->PurgeRead();
    EXPECT_EQ(layer->ReceiveQueue.Count(), 0u);
    pty.send({0x02, 0x13});
    EXPECT_EQ(packagesUntil({0x01, 0x02}), (std::vector<Bytes>{{0x01, 0x02}}));
}

TEST_F(LayerOnPty, QueueSizeChangeWhileActiveRebuildsAndStaysActive) {
    activate();
    pty.send({0x11, 0x07, 0x13});
    ASSERT_TRUE(eventually([&] { return layer->ReceiveQueue.Count() == 1; }));
    layer->fSetQueueSize(3);
    EXPECT_TRUE(layer->fGetActive());
    EXPECT_EQ(layer->ReceiveQueue.Count(), 0u) << "a rebuilt queue starts empty";
    EXPECT_EQ(layer->ReceiveQueue.SlotCount, 3u);
    Bytes line;
    for (std::uint8_t i = 1; i <= 3; ++i) {
        const Bytes f = frameOf({i});
        line.insert(line.end(), f.begin(), f.end());
    }
    pty.send(line);
    ASSERT_TRUE(eventually([&] { return layer->ReceiveQueue.Count() == 2; }));
    EXPECT_EQ(packagesUntil({0x02}), (std::vector<Bytes>{{0x01}, {0x02}}));
}

TEST(PackageReceiver, SettingWhatIsAlreadySetKeepsWaitingPackagesAndAHalfFrame) {
    MemoryPort port;
    TCommPackage layer(&port);
    useBalanceFrames(layer);
    layer.fSetActive(true);
    port.pending = frameOf({0x01});
    port.pending.insert(port.pending.end(), {0x11, 0x02});
    layer.fNewCommNotify(&port, EV_RXCHAR);
    ASSERT_EQ(layer.ReceiveQueue.Count(), 1u);

    layer.fSetPackageType(cptFrameHeadTail);
    layer.fSetQueueSize(layer.QueueSize);
    layer.fSetPackageSize(layer.PackageSize);

    port.pending = {0x13};
    layer.fNewCommNotify(&port, EV_RXCHAR);
    ASSERT_EQ(layer.ReceiveQueue.Count(), 2u);
    std::uint8_t buf[16];
    ASSERT_EQ(layer.ReadPackage(buf, sizeof buf), 1u);
    EXPECT_EQ(buf[0], 0x01);
    ASSERT_EQ(layer.ReadPackage(buf, sizeof buf), 1u);
    EXPECT_EQ(buf[0], 0x02) << "the frame begun before the settings completes after them";
}
