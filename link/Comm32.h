// The serial port on Linux: a termios device with an event thread, a write thread and a
// modem-line timer thread, each side buffered by a queue of its own.
#pragma once

#include "CommTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Maps a port number (1..8 from the console, any int here) to a device path.
using TPortResolver = std::function<std::string(int PortNo)>;

// The default mapping: port n is /dev/ttyS<n-1>.
std::string defaultPortPath(int PortNo);

class TComm32 {
public:
    TComm32();
    virtual ~TComm32();
    TComm32(const TComm32&) = delete;
    TComm32& operator=(const TComm32&) = delete;

    // May raise EComm32Error; opening an open port does nothing.
    void Open();
    // Always releases the device; raises 13 or 14 afterwards when a thread did not end in time.
    void Close();
    bool Opened() const;

    // Never block. Read copies up to n bytes out of the receive queue; Write copies up to n bytes
    // into the send queue (0 when the port is not open) and wakes the write thread. Virtual so
    // that the fuzzer and the benchmarks can drive the package layer from memory.
    virtual std::uint32_t Read(void* Buffer, std::uint32_t n);
    virtual std::uint32_t Write(const void* Buffer, std::uint32_t n);
    // When open: clear the driver's buffer and this port's queue on that side.
    void PurgeRead(bool Abort = false);
    void PurgeWrite(bool Abort = false);

    // The one replaceable notification handler, safe to swap at any time; called on the port's
    // threads. An exception it throws is caught and dropped.
    void SetOnCommNotify(TCommNotifyEvent Handler);
    TCommNotifyEvent GetOnCommNotify() const;

    // Setting any of these closes the port first; the value applies at the next opening.
    void fSetPort(int PortNo);
    int fGetPort() const;
    void fSetBaud(int Rate); // a TBaudRate; out of range gives 115200
    int fGetBaud() const;
    void fSetParity(TParity Parity);
    TParity fGetParity() const;
    void fSetByteSize(int Size); // clamped to 0..255
    int fGetByteSize() const;
    void fSetStopBits(TStopBits Bits);
    TStopBits fGetStopBits() const;
    void fSetFlowControl(TFlowControl Flow);
    TFlowControl fGetFlowControl() const;
    void fSetHwInSize(int Size);
    int fGetHwInSize() const;
    void fSetHwOutSize(int Size);
    int fGetHwOutSize() const;
    // Empty and resize a queue; 0 or less frees it (opening then fails with 2 or 3).
    void fSetInBufSize(int Size);
    int fGetInBufSize() const;
    void fSetOutBufSize(int Size);
    int fGetOutBufSize() const;

    // Where port numbers lead; the console fills it from its settings file.
    void SetPortResolver(TPortResolver Resolver);
    // The device path that the current PortNo names.
    std::string DeviceName() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
