// A pseudo-terminal for link tests: the port under test opens the slave path, the test plays the
// far end of the line on the master.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

class PtyPair {
public:
    PtyPair() {
        if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) {
            ADD_FAILURE() << "openpty failed";
            return;
        }
        // Raw from the start, so nothing written before the port configures the line is echoed
        // or cooked. The slave stays open here so that the port closing its descriptor never
        // hangs up the master.
        termios tio{};
        tcgetattr(slave_, &tio);
        cfmakeraw(&tio);
        tcsetattr(slave_, TCSANOW, &tio);
        char name[128] = {};
        ptsname_r(master_, name, sizeof name);
        path_ = name;
    }
    ~PtyPair() {
        closeMaster();
        if (slave_ >= 0)
            close(slave_);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& slavePath() const { return path_; }
    int masterFd() const { return master_; }
    int slaveFd() const { return slave_; }
    // The far end goes away, as an unplugged adapter does.
    void closeMaster() {
        if (master_ >= 0)
            close(master_);
        master_ = -1;
    }
    // Bytes in the line's input that nobody has read yet.
    int waitingInput() const {
        int n = 0;
        ioctl(slave_, FIONREAD, &n);
        return n;
    }

    void send(const Bytes& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                ADD_FAILURE() << "write to the pty master failed";
                return;
            }
            done += std::size_t(n);
        }
    }

    // What the port sent, until `count` bytes came or the deadline passed.
    Bytes receive(std::size_t count,
                  std::chrono::milliseconds deadline = std::chrono::seconds(10)) {
        Bytes out;
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (out.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, int(left.count())) <= 0)
                continue;
            std::uint8_t buf[4096];
            const ssize_t n = ::read(master_, buf, std::min(sizeof buf, count - out.size()));
            if (n > 0)
                out.insert(out.end(), buf, buf + n);
        }
        return out;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// Polls a condition until it holds or a generous deadline passes.
template <typename Pred>
bool eventually(Pred pred, std::chrono::milliseconds deadline = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return pred();
        usleep(1000);
    }
    return true;
}
