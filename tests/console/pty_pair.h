// A pseudo-terminal standing in for a serial port: the window opens the device side by path.
#pragma once

#include <fcntl.h>
#include <stdexcept>
#include <stdlib.h>
#include <string>
#include <unistd.h>

class PtyPair {
public:
    PtyPair() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
            throw std::runtime_error("no pseudo-terminal");
        char name[128];
        if (ptsname_r(master_, name, sizeof name) != 0)
            throw std::runtime_error("no pseudo-terminal name");
        path_ = name;
    }
    ~PtyPair() { close(master_); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& path() const { return path_; }
    // The balance's end of the line.
    int master() const { return master_; }

private:
    int master_ = -1;
    std::string path_;
};
