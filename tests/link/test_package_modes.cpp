// The two package types the link does not use: whole records (cptCompatiblePkg) and packages cut
// by a quiet line (cptFrameTimeout).
#include "layer_fixture.h"
#include "memory_port.h"

#include <cstring>

namespace {

Bytes record(std::uint32_t length, const Bytes& payload) {
    Bytes r(4 + payload.size());
    std::memcpy(r.data(), &length, 4);
    std::copy(payload.begin(), payload.end(), r.begin() + 4);
    return r;
}

} // namespace

TEST(PackageModes, CompatibleRecordsAreTakenWholeAndNeverOverrun) {
    MemoryPort port;
    TCommPackage layer(&port);
    layer.fSetFrameHead(0x11);
    layer.fSetFrameTail(0x13);
    layer.fSetFrameCtrl(0x12);
    layer.fSetDoubleFrameMark(false);
    layer.fSetActive(true);

    const Bytes good = record(2, {0x01, 0x73});
    EXPECT_EQ(layer.WritePackage(good.data(), std::uint32_t(good.size())), 1u);
    EXPECT_EQ(port.written, (Bytes{0x11, 0x01, 0x73, 0x13}));

    // A length field claiming more than the caller's buffer holds is refused, not sent cut.
    port.written.clear();
    layer.fNewCommNotify(&port, EV_TXEMPTY);
    const Bytes lying = record(3, {0x05, 0x06});
    EXPECT_EQ(layer.WritePackage(lying.data(), std::uint32_t(lying.size())), 0u);
    const std::uint8_t tooShort[3] = {};
    EXPECT_EQ(layer.WritePackage(tooShort, sizeof tooShort), 0u);
    EXPECT_EQ(layer.SendQueue.Count(), 0u);
    EXPECT_EQ(port.written, Bytes{});

    port.pending = {0x11, 0x0A, 0x0B, 0x0C, 0x13, 0x11, 0x0D, 0x13};
    layer.fNewCommNotify(&port, EV_RXCHAR);
    ASSERT_EQ(layer.ReceiveQueue.Count(), 2u);
    EXPECT_EQ(layer.ReadPackage(nullptr, 0), 3u);
    // A buffer too small for the record gets it cut, its length field saying how much came.
    std::uint8_t small[6] = {};
    EXPECT_EQ(layer.ReadPackage(small, sizeof small), 1u);
    EXPECT_EQ(Bytes(small, small + 6), record(2, {0x0A, 0x0B}));
    std::uint8_t whole[32] = {};
    EXPECT_EQ(layer.ReadPackage(whole, sizeof whole), 1u);
    EXPECT_EQ(Bytes(whole, whole + 5), record(1, {0x0D}));
    EXPECT_EQ(layer.ReadPackage(whole, sizeof whole), 0u);
}

TEST_F(LayerOnPty, TimeoutPackagesEndWhenTheLineFallsQuiet) {
    layer->fSetPackageType(cptFrameTimeout);
    layer->fSetPackageInterval(20);
    activate();
    pty.send({0x11, 0x41, 0x13, 0x42});
    // The package is queued before it is announced, so wait for both.
    ASSERT_TRUE(eventually(
        [&] { return layer->ReceiveQueue.Count() == 1 && announced.countWith(EV_RXCHAR) > 0; }));
    std::uint8_t buf[16];
    ASSERT_EQ(layer->ReadPackage(buf, sizeof buf), 4u);
    EXPECT_EQ(Bytes(buf, buf + 4), (Bytes{0x11, 0x41, 0x13, 0x42})) << "bytes taken as they came";

    const std::uint8_t out[] = {0x11, 0x12};
    EXPECT_EQ(layer->WritePackage(out, sizeof out), 2u);
    EXPECT_EQ(pty.receive(2), (Bytes{0x11, 0x12})) << "sent unframed";
}
