// The serial device component: owns the port and the package layer and delivers their
// announcements on the owner's (window's) thread through an injected poster.
#pragma once

#include "Comm32.h"
#include "CommTypes.h"

#include <cstdint>
#include <functional>
#include <memory>

class TCommPackage;

// Runs a task later on the owner's thread, in the order posted. The window passes a queued Qt
// call; tests pass a queue they pump.
using TPoster = std::function<void(std::function<void()> Task)>;

class THsCustomCommDevice {
public:
    explicit THsCustomCommDevice(TPoster Poster);
    virtual ~THsCustomCommDevice();
    THsCustomCommDevice(const THsCustomCommDevice&) = delete;
    THsCustomCommDevice& operator=(const THsCustomCommDevice&) = delete;

    // With UsePackage the layer's WritePackage / ReadPackage, otherwise the port's Write / Read.
    std::uint32_t Write(const void* Buffer, std::uint32_t Length);
    std::uint32_t Read(void* Buffer, std::uint32_t Length);
    std::uint32_t ReadPackage(void* Buffer, std::uint32_t Length);
    // Calls the layer with length 0: 1 when a package waits, else 0.
    std::uint32_t ReadPackage(void* Buffer);

    // Opening may raise EComm32Error, before the layer is touched.
    void fSetActive(bool Value);
    bool fGetActive() const;

    // Closes the port; a later activation reopens it without touching the layer.
    void fSetPort(int PortNo);
    int fGetPort() const;
    void SetPortResolver(TPortResolver Resolver);

    void fSetBaud(int Rate);
    void fSetParity(TParity Parity);
    void fSetByteSize(int Size);
    void fSetStopBits(TStopBits Bits);
    void fSetFlowControl(TFlowControl Flow);
    void fSetHwInSize(int Size);
    void fSetHwOutSize(int Size);

    void fSetUsePackage(bool Value);
    bool fGetUsePackage() const;
    void fSetPackageType(TCommPackageType Type);
    void fSetPackageSize(std::uint32_t Size);
    void fSetQueueSize(std::uint32_t Size);
    void fSetPackageInterval(std::uint32_t Ms);
    void fSetSyncEvents(bool Value);
    // The frame bytes take effect at once.
    void fSetFrameSettings(const THsCommFrameSettings& Settings);
    const THsCommFrameSettings& FrameSettings() const;

    TComm32& Comm();
    TCommPackage& Package();

    // Raised on the owner's thread (with SyncEvents), Sender = this component.
    TCommNotifyEvent OnPackage;
    TCommNotifyEvent OnCommNotify;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The component as the window's design sets it up: port 2, 9600 8N1, no flow control, packages
// framed 0x11 / 0x13 / 0x12 with single marks, 4096-byte packages, 16-slot queues, events on the
// owner's thread.
class THsCommDevice : public THsCustomCommDevice {
public:
    explicit THsCommDevice(TPoster Poster);
};
