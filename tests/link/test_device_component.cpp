// The device component: the form's settings, activation order, reads and writes through the
// layer, and delivery of announcements on the window's thread.
#include "Comm32Error.h"
#include "device_fixture.h"

TEST_F(DeviceOnPty, StartsWithTheFormsSettings) {
    EXPECT_EQ(device->fGetPort(), 2);
    EXPECT_EQ(device->Comm().fGetBaud(), br9600);
    EXPECT_EQ(device->Comm().fGetParity(), ptNoParity);
    EXPECT_EQ(device->Comm().fGetByteSize(), 8);
    EXPECT_EQ(device->Comm().fGetStopBits(), sbOneStopBit);
    EXPECT_EQ(device->Comm().fGetFlowControl(), fcNone);
    const THsCommFrameSettings& f = device->FrameSettings();
    EXPECT_EQ(f.FrameHead, 0x11);
    EXPECT_EQ(f.FrameTail, 0x13);
    EXPECT_EQ(f.FrameCtrl, 0x12);
    EXPECT_FALSE(f.DoubleFrameMark);
    EXPECT_TRUE(device->fGetUsePackage());
    TCommPackage& layer = device->Package();
    EXPECT_EQ(layer.PackageType.load(), cptFrameHeadTail);
    EXPECT_EQ(layer.PackageSize, 4096u);
    EXPECT_EQ(layer.ReceiveQueue.SlotCount, 16u);
    EXPECT_EQ(layer.FrameHead, 0x11);
    EXPECT_FALSE(layer.DoubleFrameMark);
    EXPECT_FALSE(device->fGetActive());
}

TEST_F(DeviceOnPty, WriteBeforeTheFirstActivationSendsNothing) {
    const std::uint8_t cmd[] = {0x01, 0x73};
    EXPECT_EQ(device->Write(cmd, sizeof cmd), 0u);
    EXPECT_EQ(device->Package().SendQueue.Count(), 0u);
    std::uint8_t buf[16];
    EXPECT_EQ(device->ReadPackage(buf, sizeof buf), 0u);
}

TEST_F(DeviceOnPty, ReplyIsRaisedAsOnPackageAndReadOnTheWindowThread) {
    device->fSetActive(true);
    ASSERT_TRUE(device->fGetActive());
    pty.send({0x11, 0x06, 0x13});
    ASSERT_TRUE(tasks.pumpUntil([&] { return packages.countWith(EV_RXCHAR) == 1; }));
    std::uint8_t probe[1];
    EXPECT_EQ(device->ReadPackage(probe), 1u) << "a package with a payload waits";
    EXPECT_EQ(readOne(), Bytes{0x06});
    EXPECT_EQ(device->ReadPackage(probe), 0u);
}

TEST_F(DeviceOnPty, CommandLeavesAsAFrameAndItsDrainIsAnnounced) {
    device->fSetActive(true);
    const std::uint8_t cmd[] = {0x11, 0x74}; // balance 17, letter "t"
    EXPECT_EQ(device->Write(cmd, sizeof cmd), 2u);
    EXPECT_EQ(pty.receive(5), (Bytes{0x11, 0x12, 0x11, 0x74, 0x13}));
    ASSERT_TRUE(tasks.pumpUntil([&] { return packages.countWith(EV_TXEMPTY) > 0; }));
    EXPECT_EQ(readOne(), Bytes{}) << "the drain brings no package";
}

// Announcements made on another thread reach OnPackage one by one, in order, never merged.
TEST_F(DeviceOnPty, EveryAnnouncementIsOnePostingInOrder) {
    const std::vector<std::uint32_t> sent = {
        EV_RXCHAR, EV_RXCHAR, EV_TXEMPTY, EV_RXCHAR | EV_TXEMPTY, EV_RLSD, EV_RXCHAR};
    std::thread eventThread([&] {
        for (std::uint32_t bits : sent)
            device->Package().CallNotify(bits);
    });
    eventThread.join();
    EXPECT_EQ(packages.bits(), std::vector<std::uint32_t>{}) << "nothing runs before the pump";
    EXPECT_EQ(tasks.pump(), int(sent.size()));
    EXPECT_EQ(packages.bits(), sent);
}

TEST_F(DeviceOnPty, PostedTaskAfterTheComponentIsGoneDoesNothing) {
    int raised = 0;
    device->OnPackage = [&](void*, std::uint32_t) { ++raised; };
    device->fSetActive(true);
    device->Package().CallNotify(EV_RXCHAR);
    device.reset();
    tasks.pump();
    EXPECT_EQ(raised, 0);
}

TEST_F(DeviceOnPty, WithoutSyncEventsHandlersRunOnTheNotifyingThread) {
    device->fSetSyncEvents(false);
    std::thread::id ranOn;
    device->OnPackage = [&](void*, std::uint32_t) { ranOn = std::this_thread::get_id(); };
    std::thread other([&] { device->Package().CallNotify(EV_RXCHAR); });
    const std::thread::id otherId = other.get_id();
    other.join();
    EXPECT_EQ(ranOn, otherId);
    EXPECT_EQ(tasks.pump(), 0);
}

TEST_F(DeviceOnPty, PortEventsAreForwardedToOnCommNotify) {
    NotifyLog portEvents;
    device->OnCommNotify = [&](void* sender, std::uint32_t bits) {
        EXPECT_EQ(sender, device.get());
        EXPECT_EQ(std::this_thread::get_id(), windowThread);
        portEvents.add(bits);
    };
    device->fSetActive(true);
    pty.send({0x11, 0x06, 0x13});
    ASSERT_TRUE(tasks.pumpUntil([&] { return portEvents.countWith(EV_RXCHAR) > 0; }));
    EXPECT_GT(portEvents.countWith(EV_MODEM_LINES), 0u) << "the opening's modem-line bits";
}

TEST_F(DeviceOnPty, FailedOpeningLeavesTheLayerAlone) {
    device->SetPortResolver([](int) { return std::string("/nonexistent/ttyWD"); });
    try {
        device->fSetActive(true);
        ADD_FAILURE() << "opening a missing device succeeded";
    } catch (const EComm32Error& e) {
        EXPECT_EQ(e.ErrorCode(), ecOpenPort);
    }
    EXPECT_FALSE(device->fGetActive());
    EXPECT_FALSE(device->Package().fGetActive());
}

TEST_F(DeviceOnPty, DeactivationClosesThePortThenTheLayer) {
    device->fSetActive(true);
    device->fSetActive(false);
    EXPECT_FALSE(device->fGetActive());
    EXPECT_FALSE(device->Comm().Opened());
    EXPECT_FALSE(device->Package().fGetActive());
    const std::uint8_t cmd[] = {0x01, 0x73};
    EXPECT_EQ(device->Write(cmd, sizeof cmd), 0u);
}

TEST_F(DeviceOnPty, PortChangeKeepsQueuedPackages) {
    PtyPair second;
    device->SetPortResolver([first = pty.slavePath(), other = second.slavePath()](int n) {
        return n == 3 ? other : first;
    });
    device->fSetActive(true);
    pty.send({0x11, 0x07, 0x13});
    ASSERT_TRUE(eventually([&] { return device->Package().ReceiveQueue.Count() == 1; }));

    device->fSetPort(3);
    EXPECT_FALSE(device->Comm().Opened());
    EXPECT_TRUE(device->Package().fGetActive()) << "the port change leaves the layer alone";
    EXPECT_FALSE(device->fGetActive());
    device->fSetActive(true);
    EXPECT_TRUE(device->fGetActive());

    EXPECT_EQ(readOne(), Bytes{0x07}) << "queued on the old port";
    second.send({0x11, 0x08, 0x13});
    ASSERT_TRUE(tasks.pumpUntil([&] { return device->Package().ReceiveQueue.Count() == 1; }));
    EXPECT_EQ(readOne(), Bytes{0x08});
    const std::uint8_t cmd[] = {0x03, 0x73};
    EXPECT_EQ(device->Write(cmd, sizeof cmd), 2u);
    EXPECT_EQ(second.receive(4), (Bytes{0x11, 0x03, 0x73, 0x13}));
}

TEST_F(DeviceOnPty, WithoutPackagesWritesAndReadsAreRaw) {
    device->fSetActive(true);
    device->fSetUsePackage(false);
    EXPECT_FALSE(device->Package().fGetActive());
    const std::uint8_t raw[] = {0x11, 0x41};
    EXPECT_EQ(device->Write(raw, sizeof raw), 2u);
    EXPECT_EQ(pty.receive(2), (Bytes{0x11, 0x41}));
    pty.send({0x11, 0x06, 0x13});
    Bytes got;
    ASSERT_TRUE(eventually([&] {
        std::uint8_t buf[8];
        const std::uint32_t n = device->Read(buf, sizeof buf);
        got.insert(got.end(), buf, buf + n);
        return got.size() >= 3;
    }));
    EXPECT_EQ(got, (Bytes{0x11, 0x06, 0x13}));
}
