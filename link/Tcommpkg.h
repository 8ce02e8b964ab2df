// The package layer between the serial port and the window: cuts the received byte stream into
// packages, queues them and announces them; frames outgoing packages and hands them to the port.
#pragma once

#include "Comm32.h"
#include "CommTypes.h"
#include "frame_format.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// A fixed ring of equal records. Single producer, single consumer: only the producer moves
// WriteIndex and only the consumer moves ReadIndex. The producer fills a slot before it publishes
// WriteIndex (release); the consumer reads WriteIndex (acquire) before it copies a slot, and
// publishes ReadIndex (release) only once it is done with the slot.
class TCommPackageQueue {
public:
    TCommPackageQueue() = default;
    virtual ~TCommPackageQueue() = default;
    TCommPackageQueue(const TCommPackageQueue&) = delete;
    TCommPackageQueue& operator=(const TCommPackageQueue&) = delete;

    std::unique_ptr<std::uint8_t[]> Buffer;
    std::atomic<std::uint32_t> ReadIndex{0};
    std::atomic<std::uint32_t> WriteIndex{0};
    std::uint32_t SlotCount = 0;
    std::int32_t RecordSize = 0;

    // Storage for max(Slots, 2) slots of max(Size, 32) bytes; the queue starts empty. Neither
    // side may use the queue meanwhile. Throws std::bad_alloc, leaving the queue as it was.
    void Resize(std::uint32_t Slots, std::int32_t Size);
    // Empties the queue; neither side may use it meanwhile.
    void Clear();

    // Producer: stores a record of Length payload bytes (cut to fit the slot). False when full.
    bool Put(const std::uint8_t* Payload, std::uint32_t Length);
    // Consumer: the oldest record (TCommPackageHead layout), or null when empty. Valid until Pop.
    const std::uint8_t* Front() const;
    // Consumer: releases the oldest record; does nothing when empty.
    void Pop();

    std::uint32_t Count() const;
    bool Empty() const {
        return ReadIndex.load(std::memory_order_acquire) ==
               WriteIndex.load(std::memory_order_acquire);
    }
    bool Full() const;
    // Largest payload a slot holds.
    std::uint32_t PayloadCapacity() const;

private:
    // A compare rather than a division.
    std::uint32_t nextSlot(std::uint32_t Index) const;
};

// Inline: these run once per package, on the consumer side around a copy of a few bytes.
inline std::uint32_t TCommPackageQueue::nextSlot(std::uint32_t Index) const {
    return Index + 1 == SlotCount ? 0 : Index + 1;
}

inline const std::uint8_t* TCommPackageQueue::Front() const {
    const std::uint32_t r = ReadIndex.load(std::memory_order_relaxed);
    if (SlotCount == 0 || r == WriteIndex.load(std::memory_order_acquire))
        return nullptr;
    return Buffer.get() + std::size_t(r) * std::size_t(RecordSize);
}

inline void TCommPackageQueue::Pop() {
    const std::uint32_t r = ReadIndex.load(std::memory_order_relaxed);
    if (SlotCount == 0 || r == WriteIndex.load(std::memory_order_acquire))
        return;
    ReadIndex.store(nextSlot(r), std::memory_order_release);
}

// Wakes the timer thread; resets itself when a waiter takes it.
class TAutoResetEvent {
public:
    void Set();
    // False on time-out.
    bool Wait(std::uint32_t TimeoutMs, bool Timed);

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool signalled_ = false;
};

class TCommPackage {
public:
    explicit TCommPackage(TComm32* Comm);
    virtual ~TCommPackage();
    TCommPackage(const TCommPackage&) = delete;
    TCommPackage& operator=(const TCommPackage&) = delete;

    // Results are payload bytes (or, with cptCompatiblePkg, records) moved; 0 for nothing.
    virtual std::uint32_t ReadPackage(void* Buffer, std::uint32_t Length);
    virtual std::uint32_t WritePackage(const void* Buffer, std::uint32_t Length);
    virtual void PurgeRead();
    virtual void PurgeWrite();
    virtual void CallNotify(std::uint32_t NotifyType);

    // The port's notification handler, run on the port's threads.
    void fNewCommNotify(void* Sender, std::uint32_t NotifyType);

    // Either direction empties both queues and the buffers and leaves any frame.
    void fSetActive(bool On);
    bool fGetActive() const { return Active.load(std::memory_order_acquire); }

    // Queue and package sizes rebuild the queues (and buffers); an active layer is deactivated
    // and activated again around the change, as it is for a change of package type.
    void fSetQueueSize(std::uint32_t Size);
    void fSetPackageSize(std::uint32_t Size);
    void fSetPackageType(TCommPackageType Type);
    void fSetPackageInterval(std::uint32_t Ms);
    // Frame bytes and the double mark take effect at once.
    void fSetFrameHead(std::uint8_t Value);
    void fSetFrameTail(std::uint8_t Value);
    void fSetFrameCtrl(std::uint8_t Value);
    void fSetDoubleFrameMark(bool Value);

    // The receiver and the send step; callers hold the matching lock (receiveLock_ / sendLock_).
    void _ReadHeadTailPackage();
    void _WritePackage();
    // The frame for Src's payload with this layer's frame bytes, cut at PackageSize; Dest must
    // hold maxFrameLength(PackageSize) bytes of data. Returns Dest's new length.
    std::uint32_t _EncodePackage(TCommPackageHead Dest, TCommPackageHead Src) const;

    // Public for reading (tests, fuzzer, benchmarks); changed only through the setters above.
    // The receiver's fields belong to the port's event thread while the layer is active.
    std::atomic<bool> Active{false};
    bool DoubleFrameMark = true;
    bool InFrame = false;
    bool EscapePending = false;
    std::uint32_t SentCount = 0;
    TComm32* Comm;
    TCommNotifyEvent SavedCommNotify;
    // Set before the layer becomes active; called on the port's threads.
    TCommNotifyEvent PackageNotify;
    TCommPackageQueue ReceiveQueue;
    TCommPackageQueue SendQueue;
    std::vector<std::uint8_t> ReceiveBuffer;   // one record: the package being received
    std::vector<std::uint8_t> FrameBuffer;     // length + the frame being handed to the port
    std::vector<std::uint8_t> OutgoingPackage; // one record: the package being framed
    std::uint32_t QueueSize = 16;
    std::uint32_t PackageSize = 4096;
    std::atomic<TCommPackageType> PackageType{cptCompatiblePkg};
    std::uint8_t FrameHead = DefaultFrameHead;
    std::uint8_t FrameTail = DefaultFrameTail;
    std::uint8_t FrameCtrl = DefaultFrameCtrl;
    std::atomic<std::uint32_t> PackageInterval{50};
    std::atomic<bool> KeepRunning{true};
    std::atomic<bool> TimerRunning{false};
    TAutoResetEvent WakeEvent;

    // Largest PackageSize accepted: a record and a frame must stay countable in 32 bits.
    static constexpr std::uint32_t MaxPackageSize = 0x3FFFFFF0;

private:
    struct NotifyGate;

    FrameFormat format() const;
    void resetLocked();
    void rebuild(std::uint32_t Slots, std::uint32_t Size);
    void rebuildInactive(std::uint32_t Slots, std::uint32_t Size);
    void _TimerThread();
    void readTimeoutPackage();
    bool writeRecordPackage(const std::uint8_t* Record, std::uint32_t Length);
    std::uint32_t readRecordPackage(std::uint8_t* Buffer, std::uint32_t Length);

    // The send step runs on the window's thread (WritePackage) and on the port's event thread
    // (drain); sendLock_ keeps the two apart. receiveLock_ is held by whichever thread runs the
    // receiver and by every reset of the queues from the window's thread; in steady state only
    // the event thread takes it, so it is never contended there. Order: receive, then send.
    std::mutex receiveLock_;
    std::mutex sendLock_;
    std::shared_ptr<NotifyGate> gate_;
    std::thread timerThread_;
};
