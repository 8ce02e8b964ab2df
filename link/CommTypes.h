// Settings, enumerations and notification bits shared by the port, the package layer and the
// device component.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>

enum TBaudRate : std::uint8_t {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};

// Bit rate named by a TBaudRate; a value out of range gives 115200.
std::uint32_t baudRateBits(int rate);

enum TParity : std::uint8_t { ptNoParity, ptOddParity, ptEvenParity, ptMarkParity, ptSpaceParity };
enum TStopBits : std::uint8_t { sbOneStopBit, sbOne_5_StopBits, sbTwoStopBit };
enum TFlowControl : std::uint8_t { fcNone, fcRtsCts, fcXonXoff, fcTranXonXoff, fcRtsCtsXonXoff };
enum TCommPackageType : std::uint8_t {
    cptCompatiblePkg = 0,
    cptFrameHeadTail = 1,
    cptFrameTimeout = 2
};

inline constexpr std::uint8_t DefaultFrameHead = 0xEB;
inline constexpr std::uint8_t DefaultFrameTail = 0xEE;
inline constexpr std::uint8_t DefaultFrameCtrl = 0xEC;

// Notification bits passed from the port to the layer and on to the window.
inline constexpr std::uint32_t EV_RXCHAR = 0x0001;   // bytes received
inline constexpr std::uint32_t EV_RXFLAG = 0x0002;   // the event character (NUL) received
inline constexpr std::uint32_t EV_TXEMPTY = 0x0004;  // output drained, the port's send queue empty
inline constexpr std::uint32_t EV_CTS = 0x0008;      // CTS changed
inline constexpr std::uint32_t EV_DSR = 0x0010;      // DSR changed
inline constexpr std::uint32_t EV_RLSD = 0x0020;     // carrier detect changed
inline constexpr std::uint32_t EV_ERR = 0x0080;      // line status error
inline constexpr std::uint32_t EV_RING = 0x0100;     // ring
inline constexpr std::uint32_t EV_RX80FULL = 0x0400; // receive queue 80% full
// Our own: the device went away (adapter unplugged, other end of a pty closed). Given once; the
// port then stays quiet until closed. High enough never to meet a modem or line bit.
inline constexpr std::uint32_t EV_DEVICE_LOST = 0x10000;
inline constexpr std::uint32_t EV_MODEM_LINES = EV_CTS | EV_DSR | EV_RLSD; // 0x38

// A notification handler: (sender, event bits).
using TCommNotifyEvent = std::function<void(void* Sender, std::uint32_t NotifyType)>;

// A package record: a 32-bit unsigned payload length followed by the payload bytes. Records live
// in plain byte storage, so the length is read and written with memcpy (no alignment needed).
struct TCommPackageHead {
    static constexpr std::uint32_t HeaderSize = 4;

    std::uint8_t* Record;

    std::uint32_t Length() const {
        std::uint32_t n;
        std::memcpy(&n, Record, HeaderSize);
        return n;
    }
    void SetLength(std::uint32_t n) { std::memcpy(Record, &n, HeaderSize); }
    std::uint8_t* Data() const { return Record + HeaderSize; }
};

// The frame bytes of the package layer, a sub-object of the device component.
struct THsCommFrameSettings {
    std::uint8_t FrameHead = DefaultFrameHead;
    std::uint8_t FrameTail = DefaultFrameTail;
    std::uint8_t FrameCtrl = DefaultFrameCtrl;
    bool DoubleFrameMark = true;
};
