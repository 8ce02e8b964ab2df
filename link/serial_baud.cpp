#include "serial_device.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

bool setCustomBaud(int Fd, std::uint32_t Baud) {
    struct termios2 t {};
    if (ioctl(Fd, TCGETS2, &t) != 0)
        return false;
    t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = Baud;
    t.c_ospeed = Baud;
    return ioctl(Fd, TCSETS2, &t) == 0;
}
