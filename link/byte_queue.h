// A bounded byte ring for the port's receive and send sides. One byte of the storage is never used
// so that full and empty differ. A short mutex guards it: both sides, the purges and the resize
// may come from different threads, and no call ever waits for the other side to make room.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

class ByteQueue {
public:
    // Empties the queue and gives it Size bytes of storage; 0 or less frees it. False when the
    // storage cannot be had (the queue is then without storage).
    bool resize(int Size);
    bool hasStorage() const;
    // Bytes of storage, 0 when freed.
    int size() const;

    // Copy in as much as fits; returns how many were taken.
    std::uint32_t push(const void* Buffer, std::uint32_t n);
    // Copy out up to n bytes, oldest first, and remove them.
    std::uint32_t pop(void* Buffer, std::uint32_t n);
    void clear();

    std::uint32_t used() const;
    // The most the queue can hold: its storage less the unused byte.
    std::uint32_t capacity() const;

private:
    std::uint32_t usedLocked() const;
    std::uint32_t copyOut(void* Buffer, std::uint32_t n) const;

    mutable std::mutex mutex_;
    std::unique_ptr<std::uint8_t[]> storage_;
    std::uint32_t size_ = 0;
    std::uint32_t head_ = 0; // next byte to take
    std::uint32_t tail_ = 0; // next free byte
};
