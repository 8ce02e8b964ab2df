#include "byte_queue.h"

#include <algorithm>
#include <cstring>
#include <new>

bool ByteQueue::resize(int Size) {
    std::unique_ptr<std::uint8_t[]> fresh;
    bool ok = true;
    if (Size > 0) {
        fresh.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(Size)]);
        ok = fresh != nullptr;
        if (!ok)
            Size = 0;
    }
    std::unique_ptr<std::uint8_t[]> old;
    {
        std::lock_guard lock(mutex_);
        old = std::move(storage_);
        storage_ = std::move(fresh);
        size_ = Size > 0 ? static_cast<std::uint32_t>(Size) : 0;
        head_ = tail_ = 0;
    }
    return ok;
}

bool ByteQueue::hasStorage() const {
    std::lock_guard lock(mutex_);
    return size_ > 0;
}

int ByteQueue::size() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(size_);
}

std::uint32_t ByteQueue::usedLocked() const {
    return tail_ >= head_ ? tail_ - head_ : size_ - head_ + tail_;
}

std::uint32_t ByteQueue::push(const void* Buffer, std::uint32_t n) {
    std::lock_guard lock(mutex_);
    if (size_ == 0)
        return 0;
    n = std::min(n, size_ - 1 - usedLocked());
    if (n == 0)
        return 0;
    const auto* src = static_cast<const std::uint8_t*>(Buffer);
    const std::uint32_t first = std::min(n, size_ - tail_);
    std::memcpy(storage_.get() + tail_, src, first);
    std::memcpy(storage_.get(), src + first, n - first);
    tail_ = (tail_ + n) % size_;
    return n;
}

std::uint32_t ByteQueue::copyOut(void* Buffer, std::uint32_t n) const {
    if (size_ == 0)
        return 0;
    n = std::min(n, usedLocked());
    if (n == 0)
        return 0;
    auto* dst = static_cast<std::uint8_t*>(Buffer);
    const std::uint32_t first = std::min(n, size_ - head_);
    std::memcpy(dst, storage_.get() + head_, first);
    std::memcpy(dst + first, storage_.get(), n - first);
    return n;
}

std::uint32_t ByteQueue::pop(void* Buffer, std::uint32_t n) {
    std::lock_guard lock(mutex_);
    n = copyOut(Buffer, n);
    if (n > 0)
        head_ = (head_ + n) % size_;
    return n;
}

void ByteQueue::clear() {
    std::lock_guard lock(mutex_);
    head_ = tail_ = 0;
}

std::uint32_t ByteQueue::used() const {
    std::lock_guard lock(mutex_);
    return size_ == 0 ? 0 : usedLocked();
}

std::uint32_t ByteQueue::capacity() const {
    std::lock_guard lock(mutex_);
    return size_ == 0 ? 0 : size_ - 1;
}
