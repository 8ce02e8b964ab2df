#include "pty_device.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

bool makeRaw(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

std::string reason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

} // namespace

PtyDevice::~PtyDevice() {
    hangUp();
    removeLink();
}

bool PtyDevice::open(std::string& error) {
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        error = reason("posix_openpt");
        return false;
    }
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        error = reason("grantpt/unlockpt");
        return false;
    }
    const char* name = ::ptsname(master);
    if (!name) {
        error = reason("ptsname");
        return false;
    }
    path = name;
    slaveHold = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveHold < 0) {
        error = reason(path.c_str());
        return false;
    }
    // Raw before any client opens it: no echo of our replies back to us, every byte passes.
    if (!makeRaw(slaveHold)) {
        error = reason("tcsetattr");
        return false;
    }
    makeRaw(master);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    return true;
}

bool PtyDevice::makeLink(const std::string& linkPath, std::string& error) {
    struct stat st {};
    if (::lstat(linkPath.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = linkPath + ": exists and is not a symbolic link";
            return false;
        }
        ::unlink(linkPath.c_str());
    }
    if (::symlink(path.c_str(), linkPath.c_str()) != 0) {
        error = reason(linkPath.c_str());
        return false;
    }
    link = linkPath;
    return true;
}

void PtyDevice::hangUp() {
    if (master >= 0)
        ::close(master);
    if (slaveHold >= 0)
        ::close(slaveHold);
    master = -1;
    slaveHold = -1;
}

int PtyDevice::unreadByClient() const {
    int n = 0;
    if (slaveHold < 0 || ::ioctl(slaveHold, FIONREAD, &n) != 0)
        return 0;
    return n;
}

void PtyDevice::removeLink() {
    if (link.empty())
        return;
    // Only our own link: someone may have pointed the name elsewhere meanwhile.
    char target[4096];
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    if (n >= 0 && std::string(target, static_cast<std::size_t>(n)) == path)
        ::unlink(link.c_str());
    link.clear();
}
