#include "sim_process.h"

#include <frame_format.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

} // namespace

SimProcess::SimProcess(const std::vector<std::string>& args) {
    int out[2];
    if (::pipe(out) != 0)
        return;
    child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        std::vector<char*> argv;
        std::string program = BALANCE_SIM_PATH;
        argv.push_back(program.data());
        std::vector<std::string> copies = args;
        for (auto& a : copies)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    const auto end = Clock::now() + std::chrono::seconds(10);
    char c = 0;
    while (msLeft(end) > 0) {
        pollfd p{out[0], POLLIN, 0};
        if (::poll(&p, 1, msLeft(end)) <= 0)
            break;
        if (::read(out[0], &c, 1) != 1 || c == '\n')
            break;
        path += c;
    }
    ::close(out[0]);
}

SimProcess::~SimProcess() {
    if (child > 0)
        stop(SIGKILL);
}

int SimProcess::stop(int signal) {
    if (child <= 0)
        return -1;
    ::kill(child, signal);
    const auto end = Clock::now() + std::chrono::seconds(10);
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (Clock::now() > end) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            child = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    child = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

SimClient::SimClient(const std::string& devicePath) {
    fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
}

SimClient::~SimClient() {
    if (fd >= 0)
        ::close(fd);
}

void SimClient::send(const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 1000);
        } else if (n < 0 && errno != EINTR) {
            return;
        }
    }
}

void SimClient::sendFrame(const Bytes& payload) {
    Bytes frame(maxFrameLength(static_cast<std::uint32_t>(payload.size())));
    frame.resize(encodeFrame(payload.data(), static_cast<std::uint32_t>(payload.size()),
                             frame.data(), balanceLinkFormat(64)));
    send(frame);
}

std::vector<Bytes> SimClient::readFrames(std::size_t count, std::chrono::milliseconds deadline) {
    const FrameFormat fmt = balanceLinkFormat(64);
    std::vector<Bytes> frames;
    FrameReceiverState st;
    Bytes payload(fmt.packageSize);
    const auto onFrame = [&](const std::uint8_t* p, std::uint32_t n) {
        frames.emplace_back(p, p + n);
    };
    // Bytes read past the last frame of an earlier call are fed again from the start.
    auto feedFrom = [&](std::size_t from) {
        for (std::size_t i = from; i < raw.size() && frames.size() < count; ++i) {
            feedFrameBytes(st, payload.data(), fmt, &raw[i], 1, onFrame);
            consumed = i + 1;
        }
    };
    feedFrom(consumed);
    const auto end = Clock::now() + deadline;
    while (frames.size() < count && msLeft(end) > 0) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, msLeft(end)) <= 0)
            break;
        std::uint8_t buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) {
            if (n < 0 && errno == EAGAIN)
                continue;
            break;
        }
        const std::size_t from = raw.size();
        raw.insert(raw.end(), buf, buf + n);
        feedFrom(from);
    }
    return frames;
}

std::vector<Bytes> SimClient::ask(const Bytes& payload, std::chrono::milliseconds deadline) {
    sendFrame(payload);
    return readFrames(1, deadline);
}

bool SimClient::waitForHangUp(std::chrono::milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    while (msLeft(end) > 0) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, msLeft(end)) < 0)
            return false;
        if (p.revents & (POLLHUP | POLLERR))
            return true;
        std::uint8_t buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0)
            raw.insert(raw.end(), buf, buf + n);
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return true;
    }
    return false;
}

Bytes textBytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

std::string textOf(const Bytes& b) {
    return std::string(b.begin(), b.end());
}
