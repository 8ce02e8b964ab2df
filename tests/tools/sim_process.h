// A balance-sim child process and a raw client end of its pseudo-terminal.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

class SimProcess {
public:
    // Starts the simulator with `args` and waits (generously) for the device path it prints.
    explicit SimProcess(const std::vector<std::string>& args);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& devicePath() const { return path; }
    pid_t pid() const { return child; }

    // Sends a signal and waits for the exit; the exit status, or -1 when it did not exit normally
    // within the deadline.
    int stop(int signal);

private:
    pid_t child = -1;
    std::string path;
};

// The window's side of the line: the device opened raw, frames read with the link's format.
class SimClient {
public:
    explicit SimClient(const std::string& devicePath);
    ~SimClient();
    SimClient(const SimClient&) = delete;
    SimClient& operator=(const SimClient&) = delete;

    bool isOpen() const { return fd >= 0; }
    void send(const Bytes& bytes);
    // Sends the frame for a payload.
    void sendFrame(const Bytes& payload);
    // Payloads of the next `count` frames, fewer if the deadline passes first.
    std::vector<Bytes> readFrames(std::size_t count,
                                  std::chrono::milliseconds deadline = std::chrono::seconds(10));
    // One reply payload, or nothing within the deadline.
    std::vector<Bytes> ask(const Bytes& payload,
                           std::chrono::milliseconds deadline = std::chrono::seconds(10));
    // True when the line reports a hang-up (EIO or POLLHUP) within the deadline.
    bool waitForHangUp(std::chrono::milliseconds deadline);
    // Every raw byte read so far.
    const Bytes& rawBytes() const { return raw; }

private:
    int fd = -1;
    Bytes raw;
    Bytes pending;
    std::size_t consumed = 0;
};

Bytes textBytes(const std::string& s);
std::string textOf(const Bytes& b);
