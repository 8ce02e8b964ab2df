#include "HsCommDevice.h"

#include "Tcommpkg.h"
#include "frame_format.h"

#include <atomic>

struct THsCustomCommDevice::Impl {
    // Posted tasks may run after the component is gone; they hold this token and find it false.
    std::shared_ptr<std::atomic<bool>> alive = std::make_shared<std::atomic<bool>>(true);
    TPoster poster;
    std::unique_ptr<TComm32> comm;
    std::unique_ptr<TCommPackage> package;
    std::unique_ptr<THsCommFrameSettings> frameSettings;
    std::atomic<bool> usePackage{false};
    std::atomic<bool> syncEvents{true};
};

namespace {

// Raises Handler (a member of the component) with the component as sender: on the owner's
// thread through the poster when SyncEvents is on, else at once on the notifying thread.
void deliver(THsCustomCommDevice* Device, TCommNotifyEvent THsCustomCommDevice::*Handler,
             const TPoster& Poster, const std::shared_ptr<std::atomic<bool>>& Alive, bool Sync,
             std::uint32_t NotifyType) {
    if (!Alive->load())
        return;
    if (Sync && Poster) {
        Poster([Device, Handler, Alive, NotifyType] {
            if (!Alive->load())
                return;
            if (const TCommNotifyEvent& h = Device->*Handler)
                h(Device, NotifyType);
        });
        return;
    }
    if (const TCommNotifyEvent& h = Device->*Handler)
        h(Device, NotifyType);
}

} // namespace

THsCustomCommDevice::THsCustomCommDevice(TPoster Poster) : d(std::make_unique<Impl>()) {
    d->poster = std::move(Poster);
    d->comm = std::make_unique<TComm32>();
    d->comm->SetOnCommNotify([this](void*, std::uint32_t NotifyType) {
        deliver(this, &THsCustomCommDevice::OnCommNotify, d->poster, d->alive, d->syncEvents.load(),
                NotifyType);
    });
    d->package = std::make_unique<TCommPackage>(d->comm.get());
    d->package->PackageNotify = [this](void*, std::uint32_t NotifyType) {
        deliver(this, &THsCustomCommDevice::OnPackage, d->poster, d->alive, d->syncEvents.load(),
                NotifyType);
    };
    d->frameSettings = std::make_unique<THsCommFrameSettings>();
}

THsCustomCommDevice::~THsCustomCommDevice() {
    d->alive->store(false);
    d->package->fSetActive(false);
    d->comm->SetOnCommNotify(nullptr);
    try {
        d->comm->Close();
    } catch (...) {
        // A late thread is reported by Close after the device was released; nobody is left to
        // show the report.
    }
    // Cleared once the port's threads are gone, so no notification is reading it meanwhile.
    d->package->PackageNotify = nullptr;
    d->frameSettings.reset();
    d->package.reset();
    // The layer hands our own handler back to the port as it goes; a port thread that outlived
    // Close must not find it there once this component is gone.
    d->comm->SetOnCommNotify(nullptr);
    d->comm.reset();
    d->poster = nullptr;
}

std::uint32_t THsCustomCommDevice::Write(const void* Buffer, std::uint32_t Length) {
    if (d->usePackage.load())
        return d->package->WritePackage(Buffer, Length);
    return d->comm->Write(Buffer, Length);
}

std::uint32_t THsCustomCommDevice::Read(void* Buffer, std::uint32_t Length) {
    if (d->usePackage.load())
        return d->package->ReadPackage(Buffer, Length);
    return d->comm->Read(Buffer, Length);
}

std::uint32_t THsCustomCommDevice::ReadPackage(void* Buffer, std::uint32_t Length) {
    return d->package->ReadPackage(Buffer, Length);
}

std::uint32_t THsCustomCommDevice::ReadPackage(void* Buffer) {
    return d->package->ReadPackage(Buffer, 0) != 0 ? 1 : 0;
}

void THsCustomCommDevice::fSetActive(bool Value) {
    if (Value != d->comm->Opened()) {
        if (Value) {
            d->comm->Open();
        } else {
            try {
                d->comm->Close();
            } catch (...) {
                // The device is released even when a thread ended late; the layer follows it
                // before the report goes on.
                if (d->usePackage.load() && d->package->fGetActive())
                    d->package->fSetActive(false);
                throw;
            }
        }
    }
    if (d->usePackage.load() && d->package->fGetActive() != Value)
        d->package->fSetActive(Value);
}

bool THsCustomCommDevice::fGetActive() const {
    if (d->usePackage.load())
        return d->package->fGetActive() && d->comm->Opened();
    return d->comm->Opened();
}

void THsCustomCommDevice::fSetPort(int PortNo) {
    d->comm->fSetPort(PortNo);
}
int THsCustomCommDevice::fGetPort() const {
    return d->comm->fGetPort();
}
void THsCustomCommDevice::SetPortResolver(TPortResolver Resolver) {
    d->comm->SetPortResolver(std::move(Resolver));
}

void THsCustomCommDevice::fSetBaud(int Rate) {
    d->comm->fSetBaud(Rate);
}
void THsCustomCommDevice::fSetParity(TParity Parity) {
    d->comm->fSetParity(Parity);
}
void THsCustomCommDevice::fSetByteSize(int Size) {
    d->comm->fSetByteSize(Size);
}
void THsCustomCommDevice::fSetStopBits(TStopBits Bits) {
    d->comm->fSetStopBits(Bits);
}
void THsCustomCommDevice::fSetFlowControl(TFlowControl Flow) {
    d->comm->fSetFlowControl(Flow);
}
void THsCustomCommDevice::fSetHwInSize(int Size) {
    d->comm->fSetHwInSize(Size);
}
void THsCustomCommDevice::fSetHwOutSize(int Size) {
    d->comm->fSetHwOutSize(Size);
}

void THsCustomCommDevice::fSetUsePackage(bool Value) {
    d->usePackage.store(Value);
    // On an open port the layer follows, so that plain reads see the bytes it would take.
    if (d->comm->Opened() && d->package->fGetActive() != Value)
        d->package->fSetActive(Value);
}

bool THsCustomCommDevice::fGetUsePackage() const {
    return d->usePackage.load();
}

void THsCustomCommDevice::fSetPackageType(TCommPackageType Type) {
    d->package->fSetPackageType(Type);
}
void THsCustomCommDevice::fSetPackageSize(std::uint32_t Size) {
    d->package->fSetPackageSize(Size);
}
void THsCustomCommDevice::fSetQueueSize(std::uint32_t Size) {
    d->package->fSetQueueSize(Size);
}
void THsCustomCommDevice::fSetPackageInterval(std::uint32_t Ms) {
    d->package->fSetPackageInterval(Ms);
}
void THsCustomCommDevice::fSetSyncEvents(bool Value) {
    d->syncEvents.store(Value);
}

void THsCustomCommDevice::fSetFrameSettings(const THsCommFrameSettings& Settings) {
    *d->frameSettings = Settings;
    d->package->fSetFrameHead(Settings.FrameHead);
    d->package->fSetFrameTail(Settings.FrameTail);
    d->package->fSetFrameCtrl(Settings.FrameCtrl);
    d->package->fSetDoubleFrameMark(Settings.DoubleFrameMark);
}

const THsCommFrameSettings& THsCustomCommDevice::FrameSettings() const {
    return *d->frameSettings;
}

TComm32& THsCustomCommDevice::Comm() {
    return *d->comm;
}
TCommPackage& THsCustomCommDevice::Package() {
    return *d->package;
}

THsCommDevice::THsCommDevice(TPoster Poster) : THsCustomCommDevice(std::move(Poster)) {
    fSetPort(2);
    fSetBaud(br9600);
    fSetFrameSettings(
        THsCommFrameSettings{BalanceFrameHead, BalanceFrameTail, BalanceFrameCtrl, false});
    fSetPackageSize(4096);
    fSetQueueSize(16);
    fSetUsePackage(true);
    fSetPackageType(cptFrameHeadTail);
    fSetSyncEvents(true);
}
