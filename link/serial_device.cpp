#include "serial_device.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

std::string systemReason(const std::string& What) {
    return What + ": " + std::strerror(errno);
}

// Rates with a B-constant; the others go through setCustomBaud.
speed_t standardSpeed(std::uint32_t Baud) {
    static constexpr std::array<std::pair<std::uint32_t, speed_t>, 14> speeds = {{
        {110, B110},
        {300, B300},
        {600, B600},
        {1200, B1200},
        {2400, B2400},
        {4800, B4800},
        {9600, B9600},
        {19200, B19200},
        {38400, B38400},
        {57600, B57600},
        {115200, B115200},
        {230400, B230400},
        {460800, B460800},
        {921600, B921600},
    }};
    for (const auto& [bits, speed] : speeds)
        if (bits == Baud)
            return speed;
    return B0;
}

bool setCharacterSize(termios& t, int ByteSize) {
    tcflag_t size;
    switch (ByteSize) {
    case 5:
        size = CS5;
        break;
    case 6:
        size = CS6;
        break;
    case 7:
        size = CS7;
        break;
    case 8:
        size = CS8;
        break;
    default:
        return false;
    }
    t.c_cflag = (t.c_cflag & ~CSIZE) | size;
    return true;
}

void setParity(termios& t, TParity Parity) {
    t.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    switch (Parity) {
    case ptOddParity:
        t.c_cflag |= PARENB | PARODD;
        break;
    case ptEvenParity:
        t.c_cflag |= PARENB;
        break;
    case ptMarkParity:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case ptSpaceParity:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    case ptNoParity:
        break;
    }
}

// The frame head and tail are XON and XOFF, so software flow control stays off whatever is asked:
// the driver would swallow them. Only the hardware handshake follows the setting.
void setFlowControl(termios& t, TFlowControl Flow) {
    t.c_cflag &= ~CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (Flow == fcRtsCts || Flow == fcRtsCtsXonXoff)
        t.c_cflag |= CRTSCTS;
}

bool noModemLines(int Error) {
    return Error == ENOTTY || Error == EINVAL;
}

} // namespace

int openDeviceExclusive(const std::string& Path, std::string& Why) {
    const int fd = open(Path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        Why = systemReason(Path);
        return -1;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        Why = errno == EWOULDBLOCK ? Path + ": in use by another program" : systemReason(Path);
        close(fd);
        return -1;
    }
    // Not every device knows exclusive mode; the lock above already keeps us alone.
    ioctl(fd, TIOCEXCL);
    return fd;
}

bool applyLineSettings(int Fd, const LineSettings& Settings, std::string& Why) {
    termios t{};
    if (tcgetattr(Fd, &t) != 0) {
        Why = "not a serial line";
        return false;
    }
    cfmakeraw(&t);
    t.c_iflag &= ~(INPCK | PARMRK | IGNPAR | IGNBRK | BRKINT);
    t.c_cflag |= CREAD | CLOCAL;
    if (!setCharacterSize(t, Settings.byteSize)) {
        Why = std::to_string(Settings.byteSize) + " data bits: not supported";
        return false;
    }
    setParity(t, Settings.parity);
    if (Settings.stopBits == sbOneStopBit)
        t.c_cflag &= ~CSTOPB;
    else
        t.c_cflag |= CSTOPB; // 1.5 stop bits: UARTs give 1.5 for CSTOPB at 5 data bits
    setFlowControl(t, Settings.flow);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    const speed_t speed = standardSpeed(Settings.baud);
    const speed_t base = speed != B0 ? speed : B38400;
    cfsetispeed(&t, base);
    cfsetospeed(&t, base);
    if (tcsetattr(Fd, TCSANOW, &t) != 0) {
        Why = systemReason("line settings");
        return false;
    }
    if (speed == B0 && !setCustomBaud(Fd, Settings.baud)) {
        Why = systemReason(std::to_string(Settings.baud) + " bit/s");
        return false;
    }
    return true;
}

bool raiseDtrRts(int Fd, bool& HasLines, std::string& Why) {
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (ioctl(Fd, TIOCMBIS, &lines) == 0) {
        HasLines = true;
        return true;
    }
    HasLines = false;
    if (noModemLines(errno))
        return true;
    Why = systemReason("DTR and RTS");
    return false;
}

void releaseDevice(int Fd) {
    if (Fd < 0)
        return;
    ioctl(Fd, TIOCNXCL);
    flock(Fd, LOCK_UN);
    close(Fd);
}

bool readModemLines(int Fd, int& Lines) {
    return ioctl(Fd, TIOCMGET, &Lines) == 0;
}

bool readLineErrorCount(int Fd, std::uint64_t& Count) {
    serial_icounter_struct c{};
    if (ioctl(Fd, TIOCGICOUNT, &c) != 0)
        return false;
    Count = static_cast<std::uint64_t>(c.frame) + static_cast<std::uint64_t>(c.parity) +
            static_cast<std::uint64_t>(c.overrun) + static_cast<std::uint64_t>(c.brk) +
            static_cast<std::uint64_t>(c.buf_overrun);
    return true;
}

bool readOutputPending(int Fd, int& Bytes) {
    return ioctl(Fd, TIOCOUTQ, &Bytes) == 0;
}

void disarmDevice(int Fd) {
    ioctl(Fd, TIOCNXCL);
    flock(Fd, LOCK_UN);
    // Should /dev/null not open, the device stays open until the late thread ends, but no longer
    // locked or exclusive, so another opening still succeeds.
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null >= 0) {
        dup2(null, Fd);
        close(null);
    }
}
