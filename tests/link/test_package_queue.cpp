// The package ring: capacity rules, order across the wrap, records cut to their slot.
#include "Tcommpkg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<std::uint8_t> take(TCommPackageQueue& q) {
    const std::uint8_t* r = q.Front();
    if (!r)
        return {};
    std::uint32_t n;
    std::memcpy(&n, r, 4);
    std::vector<std::uint8_t> out(r + 4, r + 4 + n);
    q.Pop();
    return out;
}

} // namespace

TEST(PackageQueue, HoldsOneRecordLessThanItsSlots) {
    struct Case {
        std::uint32_t queueSize;
        std::uint32_t slots;
        std::uint32_t holds;
    };
    for (const Case c : {Case{0, 2, 1}, Case{1, 2, 1}, Case{2, 2, 1}, Case{3, 3, 2},
                         Case{16, 16, 15}, Case{std::uint32_t(-5), 2, 1}}) {
        SCOPED_TRACE(c.queueSize);
        TCommPackage layer(nullptr);
        layer.fSetQueueSize(c.queueSize);
        TCommPackageQueue& q = layer.ReceiveQueue;
        EXPECT_EQ(q.SlotCount, c.slots);
        EXPECT_EQ(layer.SendQueue.SlotCount, c.slots);
        const std::uint8_t b = 7;
        for (std::uint32_t i = 0; i < c.holds; ++i)
            ASSERT_TRUE(q.Put(&b, 1));
        EXPECT_TRUE(q.Full());
        EXPECT_FALSE(q.Put(&b, 1));
        EXPECT_EQ(q.Count(), c.holds);
    }
}

TEST(PackageQueue, KeepsOrderAcrossTheWrap) {
    TCommPackageQueue q;
    q.Resize(3, 32);
    std::uint8_t next = 0;
    std::uint8_t expected = 0;
    for (int round = 0; round < 10; ++round) {
        ASSERT_TRUE(q.Put(&next, 1));
        ++next;
        ASSERT_TRUE(q.Put(&next, 1));
        ++next;
        EXPECT_EQ(take(q), std::vector<std::uint8_t>{expected++});
        EXPECT_EQ(take(q), std::vector<std::uint8_t>{expected++});
        EXPECT_TRUE(q.Empty());
        EXPECT_EQ(q.Front(), nullptr);
    }
}

TEST(PackageQueue, SlotsAreAtLeast32BytesAndRecordsAreCutToThem) {
    TCommPackageQueue q;
    q.Resize(2, 8);
    EXPECT_EQ(q.RecordSize, 32);
    std::vector<std::uint8_t> big(40, 0x5A);
    ASSERT_TRUE(q.Put(big.data(), std::uint32_t(big.size())));
    EXPECT_EQ(take(q), std::vector<std::uint8_t>(28, 0x5A));
}

TEST(PackageQueue, EmptyRecordIsARecord) {
    TCommPackageQueue q;
    q.Resize(4, 32);
    ASSERT_TRUE(q.Put(nullptr, 0));
    EXPECT_EQ(q.Count(), 1u);
    EXPECT_NE(q.Front(), nullptr);
    q.Clear();
    EXPECT_TRUE(q.Empty());
}

TEST(PackageQueue, PackageSizeSetsRecordAndFrameBuffers) {
    TCommPackage layer(nullptr);
    EXPECT_EQ(layer.ReceiveQueue.RecordSize, 4096 + 4);
    EXPECT_GE(layer.FrameBuffer.size(), 4u + 2 * 4096 + 4);
    layer.fSetPackageSize(10);
    EXPECT_EQ(layer.ReceiveQueue.RecordSize, 32);
    EXPECT_EQ(layer.SendQueue.RecordSize, 32);
    EXPECT_GE(layer.ReceiveBuffer.size(), 32u);
    EXPECT_GE(layer.FrameBuffer.size(), 32u);
}
