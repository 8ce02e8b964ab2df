#include "Comm32.h"

#include "Comm32Error.h"
#include "gbk_text.h"
#include "port_shared.h"
#include "serial_device.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <sys/eventfd.h>
#include <system_error>
#include <termios.h>
#include <thread>

namespace {

constexpr int defaultQueueSize = 8192;
constexpr int defaultHwSize = 1200;
constexpr int closeChecks = 100; // 500 ms in steps of 5 ms
constexpr auto closeCheckPeriod = std::chrono::milliseconds(5);

[[noreturn]] void raise(int Code, const std::string& Why = {}) {
    throw EComm32Error(Code, utf8ToGbk(Why));
}

} // namespace

std::string defaultPortPath(int PortNo) {
    return "/dev/ttyS" + std::to_string(PortNo - 1);
}

struct TComm32::Impl {
    std::shared_ptr<PortCore> core = std::make_shared<PortCore>();

    int portNo = 2;
    int baud = br115200;
    TParity parity = ptNoParity;
    int byteSize = 8;
    TStopBits stopBits = sbOneStopBit;
    TFlowControl flow = fcNone;
    int hwInSize = defaultHwSize;
    int hwOutSize = defaultHwSize;
    TPortResolver resolver;

    // Guards session against Write, the purges and Close on different threads.
    mutable std::mutex sessionMutex;
    std::shared_ptr<PortSession> session;
    std::thread eventThread;
    std::thread timerThread;
    std::thread writeThread;

    std::shared_ptr<PortSession> openSession(const std::string& Path);
    void startThreads(const std::shared_ptr<PortSession>& Session);
    int stopSession(PortSession& Session);
};

std::shared_ptr<PortSession> TComm32::Impl::openSession(const std::string& Path) {
    auto s = std::make_shared<PortSession>();
    std::string why;
    s->fd = openDeviceExclusive(Path, why);
    if (s->fd < 0)
        raise(ecOpenPort, why);
    const LineSettings line{baudRateBits(baud), byteSize, parity, stopBits, flow};
    s->baud = line.baud;
    if (!applyLineSettings(s->fd, line, why) || !raiseDtrRts(s->fd, s->hasModemLines, why)) {
        releaseDevice(s->fd);
        s->fd = -1;
        raise(ecSetCommState, Path + ": " + why);
    }
    s->receiveWake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    s->sendWake = s->receiveWake < 0 ? -1 : eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (s->sendWake < 0) {
        const int code = s->receiveWake < 0 ? ecReadEvent : ecWriteEvent;
        why = std::string("eventfd: ") + std::strerror(errno);
        releaseDevice(s->fd);
        s->fd = -1;
        raise(code, why);
    }
    return s;
}

void TComm32::Impl::startThreads(const std::shared_ptr<PortSession>& Session) {
    int code = ecReadThread;
    try {
        eventThread = std::thread(runEventThread, core, Session);
        timerThread = std::thread(runTimerThread, core, Session);
        code = ecWriteThread;
        writeThread = std::thread(runWriteThread, core, Session);
    } catch (const std::system_error& e) {
        {
            std::lock_guard lock(sessionMutex);
            session.reset();
        }
        stopSession(*Session);
        raise(code, e.what());
    }
}

// Stops the threads, giving them 500 ms, and releases the device in any case. A thread that did
// not end is left running with the session it holds; the device's descriptor is then pointed at
// /dev/null rather than closed, so the late thread never touches a reused descriptor. Returns 0,
// or the close code, the write thread's winning.
int TComm32::Impl::stopSession(PortSession& Session) {
    Session.stop = true;
    eventfd_write(Session.receiveWake, 1);
    eventfd_write(Session.sendWake, 1);

    struct Running {
        std::thread& thread;
        const std::atomic<bool>& done;
        int lateCode;
    };
    const Running threads[] = {{eventThread, Session.eventThreadDone, ecCloseReadThread},
                               {timerThread, Session.timerThreadDone, ecCloseReadThread},
                               {writeThread, Session.writeThreadDone, ecCloseWriteThread}};
    const auto self = std::this_thread::get_id();
    // A handler may close the port on the port's own thread: that thread ends once it returns.
    auto settled = [&](const Running& r) {
        return !r.thread.joinable() || r.done || r.thread.get_id() == self;
    };
    for (int i = 0; i < closeChecks; ++i) {
        if (std::all_of(std::begin(threads), std::end(threads), settled))
            break;
        std::this_thread::sleep_for(closeCheckPeriod);
    }

    int code = 0;
    bool stillRunning = false;
    for (const Running& r : threads) {
        if (!r.thread.joinable())
            continue;
        if (r.done && r.thread.get_id() != self) {
            r.thread.join();
            continue;
        }
        if (r.thread.get_id() != self)
            code = std::max(code, r.lateCode);
        stillRunning = true;
        r.thread.detach();
    }
    if (stillRunning) {
        disarmDevice(Session.fd);
    } else {
        releaseDevice(Session.fd);
        Session.fd = -1;
    }
    return code;
}

TComm32::TComm32() : d(std::make_unique<Impl>()) {
    d->core->sender = this;
    if (!d->core->receiveQueue.resize(defaultQueueSize) ||
        !d->core->sendQueue.resize(defaultQueueSize))
        raise(ecOutOfMemory);
}

TComm32::~TComm32() {
    try {
        Close();
    } catch (const EComm32Error&) {
        // Nobody is left to tell; the device is released all the same.
    }
}

void TComm32::Open() {
    if (Opened())
        return;
    PortCore& core = *d->core;
    if (!core.receiveQueue.hasStorage())
        raise(ecReadBuffer);
    if (!core.sendQueue.hasStorage())
        raise(ecWriteBuffer);
    core.receiveQueue.clear();
    core.sendQueue.clear();
    // Settings without a counterpart here (the event mask, the driver's buffer sizes) cannot fail.
    std::shared_ptr<PortSession> s = d->openSession(DeviceName());
    {
        std::lock_guard lock(d->sessionMutex);
        d->session = s;
    }
    d->startThreads(s);
    core.notifier.call(this, EV_MODEM_LINES);
}

void TComm32::Close() {
    std::shared_ptr<PortSession> s;
    {
        std::lock_guard lock(d->sessionMutex);
        s = std::move(d->session);
    }
    if (!s)
        return;
    const int code = d->stopSession(*s);
    d->core->sendQueue.clear();
    d->core->notifier.call(this, EV_MODEM_LINES);
    if (code != 0)
        raise(code);
}

bool TComm32::Opened() const {
    std::lock_guard lock(d->sessionMutex);
    return d->session != nullptr;
}

std::uint32_t TComm32::Read(void* Buffer, std::uint32_t n) {
    return d->core->receiveQueue.pop(Buffer, n);
}

std::uint32_t TComm32::Write(const void* Buffer, std::uint32_t n) {
    std::lock_guard lock(d->sessionMutex);
    if (!d->session || d->session->lost)
        return 0;
    const std::uint32_t taken = d->core->sendQueue.push(Buffer, n);
    if (taken > 0)
        eventfd_write(d->session->sendWake, 1);
    return taken;
}

// Nothing is ever pending inside a call here, so Abort has nothing more to cut short.
void TComm32::PurgeRead(bool) {
    std::lock_guard lock(d->sessionMutex);
    if (!d->session)
        return;
    tcflush(d->session->fd, TCIFLUSH);
    d->core->receiveQueue.clear();
}

void TComm32::PurgeWrite(bool) {
    std::lock_guard lock(d->sessionMutex);
    if (!d->session)
        return;
    d->core->sendQueue.clear();
    ++d->core->writePurges;
    tcflush(d->session->fd, TCOFLUSH);
}

void TComm32::SetOnCommNotify(TCommNotifyEvent Handler) {
    d->core->notifier.set(std::move(Handler));
}
TCommNotifyEvent TComm32::GetOnCommNotify() const {
    return d->core->notifier.get();
}

void TComm32::fSetPort(int PortNo) {
    Close();
    d->portNo = PortNo;
}
int TComm32::fGetPort() const {
    return d->portNo;
}

void TComm32::fSetBaud(int Rate) {
    Close();
    d->baud = Rate >= br110 && Rate <= br256000 ? Rate : br115200;
}
int TComm32::fGetBaud() const {
    return d->baud;
}

void TComm32::fSetParity(TParity Parity) {
    Close();
    d->parity = Parity;
}
TParity TComm32::fGetParity() const {
    return d->parity;
}

void TComm32::fSetByteSize(int Size) {
    Close();
    d->byteSize = std::clamp(Size, 0, 255);
}
int TComm32::fGetByteSize() const {
    return d->byteSize;
}

void TComm32::fSetStopBits(TStopBits Bits) {
    Close();
    d->stopBits = Bits;
}
TStopBits TComm32::fGetStopBits() const {
    return d->stopBits;
}

void TComm32::fSetFlowControl(TFlowControl Flow) {
    Close();
    d->flow = Flow;
}
TFlowControl TComm32::fGetFlowControl() const {
    return d->flow;
}

void TComm32::fSetHwInSize(int Size) {
    Close();
    d->hwInSize = Size;
}
int TComm32::fGetHwInSize() const {
    return d->hwInSize;
}

void TComm32::fSetHwOutSize(int Size) {
    Close();
    d->hwOutSize = Size;
}
int TComm32::fGetHwOutSize() const {
    return d->hwOutSize;
}

void TComm32::fSetInBufSize(int Size) {
    if (!d->core->receiveQueue.resize(Size))
        raise(ecOutOfMemory);
}
int TComm32::fGetInBufSize() const {
    return d->core->receiveQueue.size();
}

void TComm32::fSetOutBufSize(int Size) {
    if (!d->core->sendQueue.resize(Size))
        raise(ecOutOfMemory);
}
int TComm32::fGetOutBufSize() const {
    return d->core->sendQueue.size();
}

void TComm32::SetPortResolver(TPortResolver Resolver) {
    d->resolver = std::move(Resolver);
}

std::string TComm32::DeviceName() const {
    return d->resolver ? d->resolver(d->portNo) : defaultPortPath(d->portNo);
}
