#include "Tcommpkg.h"

#include "byte_runs.h"

#include <algorithm>
#include <chrono>
#include <cstring>

void TCommPackageQueue::Resize(std::uint32_t Slots, std::int32_t Size) {
    const std::uint32_t slots = std::max<std::uint32_t>(Slots, 2);
    const std::int32_t size = std::max<std::int32_t>(Size, 32);
    // Allocate before touching anything, so a failure leaves the old ring usable.
    auto storage = std::make_unique<std::uint8_t[]>(std::size_t(slots) * std::size_t(size));
    Buffer = std::move(storage);
    SlotCount = slots;
    RecordSize = size;
    Clear();
}

void TCommPackageQueue::Clear() {
    ReadIndex.store(0, std::memory_order_release);
    WriteIndex.store(0, std::memory_order_release);
}

std::uint32_t TCommPackageQueue::PayloadCapacity() const {
    return std::uint32_t(RecordSize) - TCommPackageHead::HeaderSize;
}

bool TCommPackageQueue::Put(const std::uint8_t* Payload, std::uint32_t Length) {
    if (SlotCount == 0)
        return false;
    const std::uint32_t w = WriteIndex.load(std::memory_order_relaxed);
    const std::uint32_t next = nextSlot(w);
    if (next == ReadIndex.load(std::memory_order_acquire))
        return false;
    const std::uint32_t n = std::min(Length, PayloadCapacity());
    TCommPackageHead slot{Buffer.get() + std::size_t(w) * std::size_t(RecordSize)};
    slot.SetLength(n);
    // Only the payload: the slot's bytes past it have no meaning.
    copyBytes(slot.Data(), Payload, n);
    WriteIndex.store(next, std::memory_order_release);
    return true;
}

std::uint32_t TCommPackageQueue::Count() const {
    if (SlotCount == 0)
        return 0;
    const std::uint32_t w = WriteIndex.load(std::memory_order_acquire);
    const std::uint32_t r = ReadIndex.load(std::memory_order_acquire);
    return (w + SlotCount - r) % SlotCount;
}

bool TCommPackageQueue::Full() const {
    return SlotCount != 0 && Count() == SlotCount - 1;
}

void TAutoResetEvent::Set() {
    {
        std::lock_guard<std::mutex> lock(m_);
        signalled_ = true;
    }
    cv_.notify_one();
}

bool TAutoResetEvent::Wait(std::uint32_t TimeoutMs, bool Timed) {
    std::unique_lock<std::mutex> lock(m_);
    if (Timed) {
        if (!cv_.wait_for(lock, std::chrono::milliseconds(TimeoutMs),
                          [this] { return signalled_; }))
            return false;
    } else {
        cv_.wait(lock, [this] { return signalled_; });
    }
    signalled_ = false;
    return true;
}
