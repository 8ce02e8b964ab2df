#include "frame_log.h"

#include <cstdio>

FrameLog::~FrameLog() {
    if (file)
        std::fclose(file);
}

bool FrameLog::open(const std::string& path) {
    if (path.empty())
        return true;
    file = std::fopen(path.c_str(), "w");
    return file != nullptr;
}

void FrameLog::write(const char* direction, const std::uint8_t* bytes, std::size_t n) {
    if (!file)
        return;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::fprintf(file, "%.6f %s", elapsed.count(), direction);
    for (std::size_t i = 0; i < n; ++i)
        std::fprintf(file, " %02x", bytes[i]);
    std::fputc('\n', file);
    // A full disk must not pass unnoticed: tests compare the log with what they saw.
    if (std::fflush(file) != 0 && !failureReported) {
        std::perror("balance-sim: writing the log");
        failureReported = true;
    }
}
