#include "Tcommpkg.h"

#include "byte_runs.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

constexpr std::uint32_t ChunkSize = 2048;

std::uint32_t recordLength(const std::uint8_t* Record) {
    std::uint32_t n;
    std::memcpy(&n, Record, TCommPackageHead::HeaderSize);
    return n;
}

} // namespace

// The port may still hold a copy of our handler after we have taken it back (it calls a copy so
// that handlers can be swapped at any time). The gate outlives the layer, so such a late call
// finds no target; the destructor waits for calls already inside the layer to leave.
struct TCommPackage::NotifyGate {
    std::atomic<TCommPackage*> target{nullptr};
    std::atomic<int> inFlight{0};

    void call(void* Sender, std::uint32_t NotifyType) {
        struct Leave {
            std::atomic<int>& n;
            ~Leave() { n.fetch_sub(1); }
        };
        inFlight.fetch_add(1);
        Leave leave{inFlight};
        if (TCommPackage* p = target.load())
            p->fNewCommNotify(Sender, NotifyType);
    }
};

TCommPackage::TCommPackage(TComm32* Comm) : Comm(Comm), gate_(std::make_shared<NotifyGate>()) {
    rebuild(QueueSize, PackageSize);
    timerThread_ = std::thread([this] { _TimerThread(); });
    gate_->target.store(this);
    if (Comm) {
        SavedCommNotify = Comm->GetOnCommNotify();
        Comm->SetOnCommNotify([gate = gate_](void* Sender, std::uint32_t NotifyType) {
            gate->call(Sender, NotifyType);
        });
    }
}

TCommPackage::~TCommPackage() {
    if (Comm)
        Comm->SetOnCommNotify(SavedCommNotify);
    gate_->target.store(nullptr);
    while (gate_->inFlight.load() != 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    KeepRunning.store(false);
    WakeEvent.Set();
    // Joined rather than abandoned after a grace period: a thread left running would use the
    // storage released below. It only ever waits on WakeEvent or reads what the port holds.
    timerThread_.join();
}

FrameFormat TCommPackage::format() const {
    return FrameFormat{FrameHead, FrameTail, FrameCtrl, DoubleFrameMark, PackageSize};
}

std::uint32_t TCommPackage::_EncodePackage(TCommPackageHead Dest, TCommPackageHead Src) const {
    return ::_EncodePackage(Dest, Src, format());
}

void TCommPackage::resetLocked() {
    InFrame = false;
    EscapePending = false;
    SentCount = 0;
    TCommPackageHead{ReceiveBuffer.data()}.SetLength(0);
    TCommPackageHead{FrameBuffer.data()}.SetLength(0);
    ReceiveQueue.Clear();
    SendQueue.Clear();
}

void TCommPackage::rebuild(std::uint32_t Slots, std::uint32_t Size) {
    const std::int32_t record =
        std::max<std::int32_t>(std::int32_t(Size + TCommPackageHead::HeaderSize), 32);
    const std::size_t frame = std::max<std::size_t>(
        TCommPackageHead::HeaderSize + std::size_t(maxFrameLength(Size)), std::size_t(record));
    std::vector<std::uint8_t> receive(std::size_t(record), 0);
    std::vector<std::uint8_t> outgoing(std::size_t(record), 0);
    std::vector<std::uint8_t> frameBuffer(frame, 0);

    std::scoped_lock lock(receiveLock_, sendLock_);
    ReceiveQueue.Resize(Slots, record);
    SendQueue.Resize(Slots, record);
    ReceiveBuffer.swap(receive);
    OutgoingPackage.swap(outgoing);
    FrameBuffer.swap(frameBuffer);
    QueueSize = ReceiveQueue.SlotCount;
    PackageSize = Size;
    resetLocked();
}

void TCommPackage::fSetActive(bool On) {
    {
        std::scoped_lock lock(receiveLock_, sendLock_);
        resetLocked();
        Active.store(On, std::memory_order_release);
    }
    WakeEvent.Set();
}

void TCommPackage::fSetQueueSize(std::uint32_t Size) {
    // A negative count handed over as unsigned means "too small" as well.
    const std::uint32_t slots = std::int32_t(Size) <= 2 ? 2 : Size;
    rebuildInactive(slots, PackageSize);
}

void TCommPackage::fSetPackageSize(std::uint32_t Size) {
    rebuildInactive(QueueSize, std::min(Size, MaxPackageSize));
}

// An active layer is made inactive around the rebuild and active again after it, failed or not,
// which also drops a half-received frame. Setting the sizes it already has is no change, and must
// not cost the packages that wait.
void TCommPackage::rebuildInactive(std::uint32_t Slots, std::uint32_t Size) {
    if (Slots == QueueSize && Size == PackageSize)
        return;
    const bool was = fGetActive();
    if (was)
        fSetActive(false);
    try {
        rebuild(Slots, Size);
    } catch (...) {
        if (was)
            fSetActive(true);
        throw;
    }
    if (was)
        fSetActive(true);
}

void TCommPackage::fSetPackageType(TCommPackageType Type) {
    if (Type == PackageType.load())
        return;
    const bool was = fGetActive();
    if (was)
        fSetActive(false);
    PackageType.store(Type);
    if (was)
        fSetActive(true);
    WakeEvent.Set();
}

void TCommPackage::fSetPackageInterval(std::uint32_t Ms) {
    PackageInterval.store(Ms);
    WakeEvent.Set();
}

void TCommPackage::fSetFrameHead(std::uint8_t Value) {
    std::scoped_lock lock(receiveLock_, sendLock_);
    FrameHead = Value;
}

void TCommPackage::fSetFrameTail(std::uint8_t Value) {
    std::scoped_lock lock(receiveLock_, sendLock_);
    FrameTail = Value;
}

void TCommPackage::fSetFrameCtrl(std::uint8_t Value) {
    std::scoped_lock lock(receiveLock_, sendLock_);
    FrameCtrl = Value;
}

void TCommPackage::fSetDoubleFrameMark(bool Value) {
    std::scoped_lock lock(receiveLock_, sendLock_);
    DoubleFrameMark = Value;
}

void TCommPackage::fNewCommNotify(void* Sender, std::uint32_t NotifyType) {
    if (fGetActive()) {
        std::uint32_t announced = NotifyType & ~(EV_RXCHAR | EV_TXEMPTY);
        if ((NotifyType & EV_RXCHAR) && PackageType.load() != cptFrameTimeout) {
            std::lock_guard<std::mutex> lock(receiveLock_);
            if (fGetActive()) {
                _ReadHeadTailPackage();
                if (!ReceiveQueue.Empty())
                    announced |= EV_RXCHAR;
            }
        }
        if (NotifyType & EV_TXEMPTY) {
            std::lock_guard<std::mutex> lock(sendLock_);
            if (fGetActive()) {
                _WritePackage();
                if (SendQueue.Empty())
                    announced |= EV_TXEMPTY;
            }
        }
        if (announced != 0)
            CallNotify(announced);
    }
    if (SavedCommNotify)
        SavedCommNotify(Sender, NotifyType);
}

void TCommPackage::_ReadHeadTailPackage() {
    if (!Comm)
        return;
    const FrameFormat fmt = format();
    TCommPackageHead gathered{ReceiveBuffer.data()};
    FrameReceiverState st;
    st.inFrame = InFrame;
    st.escapePending = EscapePending;
    st.length = gathered.Length();

    std::uint8_t chunk[ChunkSize];
    for (;;) {
        const std::uint32_t n = std::min(Comm->Read(chunk, ChunkSize), ChunkSize);
        if (n == 0)
            break;
        // A full queue drops the newest package; the queued ones stay.
        feedFrameBytes(st, gathered.Data(), fmt, chunk, n,
                       [this](const std::uint8_t* Payload, std::uint32_t Length) {
                           ReceiveQueue.Put(Payload, Length);
                       });
    }

    InFrame = st.inFrame;
    EscapePending = st.escapePending;
    gathered.SetLength(st.length);
}

void TCommPackage::_WritePackage() {
    if (!Comm)
        return;
    TCommPackageHead frame{FrameBuffer.data()};
    const std::uint32_t length = frame.Length();
    if (SentCount < length) {
        const std::uint32_t rest = length - SentCount;
        SentCount += std::min(Comm->Write(frame.Data() + SentCount, rest), rest);
        return;
    }
    const std::uint8_t* oldest = SendQueue.Front();
    if (!oldest)
        return;
    std::memcpy(OutgoingPackage.data(), oldest,
                TCommPackageHead::HeaderSize + recordLength(oldest));
    SendQueue.Pop();

    TCommPackageHead outgoing{OutgoingPackage.data()};
    if (PackageType.load() == cptFrameTimeout) {
        frame.SetLength(outgoing.Length());
        std::memcpy(frame.Data(), outgoing.Data(), outgoing.Length());
    } else {
        _EncodePackage(frame, outgoing);
    }
    SentCount = std::min(Comm->Write(frame.Data(), frame.Length()), frame.Length());
}

std::uint32_t TCommPackage::WritePackage(const void* Buffer, std::uint32_t Length) {
    if (!fGetActive())
        return 0;
    if (Buffer == nullptr || Length == 0)
        return 0;
    const auto* bytes = static_cast<const std::uint8_t*>(Buffer);
    std::lock_guard<std::mutex> lock(sendLock_);
    if (PackageType.load() == cptCompatiblePkg)
        return writeRecordPackage(bytes, Length) ? 1 : 0;
    const std::uint32_t n = std::min(Length, PackageSize);
    if (!SendQueue.Put(bytes, n))
        return 0;
    _WritePackage();
    return n;
}

// A whole record from the caller. Its length field is not trusted beyond the buffer the caller
// declared nor beyond PackageSize, so a bad record can never read past either.
bool TCommPackage::writeRecordPackage(const std::uint8_t* Record, std::uint32_t Length) {
    if (Length < TCommPackageHead::HeaderSize)
        return false;
    // A record longer than the buffer that holds it is refused rather than sent cut.
    const std::uint32_t length = recordLength(Record);
    if (length > Length - TCommPackageHead::HeaderSize)
        return false;
    const std::uint32_t n = std::min(length, PackageSize);
    if (!SendQueue.Put(Record + TCommPackageHead::HeaderSize, n))
        return false;
    _WritePackage();
    return true;
}

std::uint32_t TCommPackage::ReadPackage(void* Buffer, std::uint32_t Length) {
    if (!fGetActive())
        return 0;
    const std::uint8_t* oldest = ReceiveQueue.Front();
    if (Buffer == nullptr || Length == 0)
        return oldest ? recordLength(oldest) : 0;
    if (!oldest)
        return 0;
    auto* out = static_cast<std::uint8_t*>(Buffer);
    if (PackageType.load() == cptCompatiblePkg)
        return readRecordPackage(out, Length);
    const std::uint32_t n = std::min(Length, recordLength(oldest));
    copyBytes(out, oldest + TCommPackageHead::HeaderSize, n);
    ReceiveQueue.Pop();
    return n;
}

// The caller asks for a whole record; one that does not fit in the declared buffer arrives cut,
// its length field saying how much came, rather than running past the buffer.
std::uint32_t TCommPackage::readRecordPackage(std::uint8_t* Buffer, std::uint32_t Length) {
    if (Length < TCommPackageHead::HeaderSize)
        return 0;
    const std::uint8_t* oldest = ReceiveQueue.Front();
    const std::uint32_t n = std::min(recordLength(oldest), Length - TCommPackageHead::HeaderSize);
    TCommPackageHead{Buffer}.SetLength(n);
    std::memcpy(Buffer + TCommPackageHead::HeaderSize, oldest + TCommPackageHead::HeaderSize, n);
    ReceiveQueue.Pop();
    return 1;
}

void TCommPackage::PurgeRead() {
    if (!fGetActive())
        return;
    if (Comm)
        Comm->PurgeRead(false);
    std::lock_guard<std::mutex> lock(receiveLock_);
    ReceiveQueue.Clear();
}

void TCommPackage::PurgeWrite() {
    if (!fGetActive())
        return;
    {
        std::lock_guard<std::mutex> lock(sendLock_);
        SendQueue.Clear();
    }
    if (Comm)
        Comm->PurgeWrite(false);
}

void TCommPackage::CallNotify(std::uint32_t NotifyType) {
    if (PackageNotify)
        PackageNotify(this, NotifyType);
}

void TCommPackage::_TimerThread() {
    TimerRunning.store(true);
    while (KeepRunning.load()) {
        const bool timed = PackageType.load() == cptFrameTimeout;
        // An interval of 0 would make this thread spin.
        WakeEvent.Wait(std::max<std::uint32_t>(PackageInterval.load(), 1), timed);
        if (KeepRunning.load() && PackageType.load() == cptFrameTimeout)
            readTimeoutPackage();
    }
    TimerRunning.store(false);
}

// cptFrameTimeout: whatever arrived until a quiet interval is one package.
void TCommPackage::readTimeoutPackage() {
    bool queued = false;
    {
        std::lock_guard<std::mutex> lock(receiveLock_);
        if (!fGetActive() || !Comm)
            return;
        TCommPackageHead gathered{ReceiveBuffer.data()};
        std::uint32_t length = gathered.Length();
        std::uint32_t arrived = 0;
        std::uint8_t chunk[ChunkSize];
        for (;;) {
            const std::uint32_t n = std::min(Comm->Read(chunk, ChunkSize), ChunkSize);
            if (n == 0)
                break;
            arrived += n;
            const std::uint32_t take = std::min(n, PackageSize - length);
            std::memcpy(gathered.Data() + length, chunk, take);
            length += take;
        }
        if (arrived == 0 && length != 0) {
            ReceiveQueue.Put(gathered.Data(), length);
            length = 0;
            queued = true;
        }
        gathered.SetLength(length);
    }
    if (queued)
        CallNotify(EV_RXCHAR);
}
