// The termios device beneath the port: opening it exclusively, the line settings, the modem lines
// and the driver's output queue. Each call reports failure with the system's reason (UTF-8).
#pragma once

#include "CommTypes.h"

#include <cstdint>
#include <string>

struct LineSettings {
    std::uint32_t baud = 9600;
    int byteSize = 8;
    TParity parity = ptNoParity;
    TStopBits stopBits = sbOneStopBit;
    TFlowControl flow = fcNone;
};

// Read-write, non-blocking, never our controlling terminal, held exclusively (TIOCEXCL and an
// advisory lock, which also holds against root). -1 on failure.
int openDeviceExclusive(const std::string& Path, std::string& Why);

// Raw binary line at the given settings, receiver on, modem control ignored.
bool applyLineSettings(int Fd, const LineSettings& Settings, std::string& Why);

// Raises DTR and RTS. A device without modem lines (a pseudo-terminal) is no failure: HasLines is
// then false.
bool raiseDtrRts(int Fd, bool& HasLines, std::string& Why);

// Gives up exclusivity and the lock, then closes.
void releaseDevice(int Fd);

// The TIOCM_* input lines; false when the device has none (or has gone).
bool readModemLines(int Fd, int& Lines);
// Framing, parity, overrun and break errors counted by the driver so far; false when it keeps no
// count.
bool readLineErrorCount(int Fd, std::uint64_t& Count);
// Bytes still in the driver's output; false when it cannot tell.
bool readOutputPending(int Fd, int& Bytes);

// Rates without a B-constant, through termios2 (kept apart: its header clashes with termios.h).
bool setCustomBaud(int Fd, std::uint32_t Baud);

// For a descriptor a late thread may still use: gives the device up (exclusivity, lock, the open
// file itself) while the number stays valid, now leading to /dev/null.
void disarmDevice(int Fd);
