// One line per frame: seconds since start, direction, the frame's bytes in hex
// ("0.012345 rx 11 01 73 13"). Flushed per line so a reader sees each frame as it happens.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

class FrameLog {
public:
    FrameLog() = default;
    ~FrameLog();
    FrameLog(const FrameLog&) = delete;
    FrameLog& operator=(const FrameLog&) = delete;

    // Empty path: no log. False when the file cannot be opened.
    bool open(const std::string& path);
    void write(const char* direction, const std::uint8_t* bytes, std::size_t n);

private:
    std::FILE* file = nullptr;
    bool failureReported = false;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};
