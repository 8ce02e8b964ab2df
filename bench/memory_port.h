// A port over memory for the benchmarks: reads serve a prepared stream, writes are swallowed.
#pragma once

#include <Comm32.h>

#include <algorithm>
#include <cstdint>

class MemoryPort : public TComm32 {
public:
    void serve(const std::uint8_t* bytes, std::size_t n) {
        next = bytes;
        end = bytes + n;
    }
    std::uint32_t Read(void* Buffer, std::uint32_t n) override {
        const auto take = static_cast<std::uint32_t>(std::min<std::size_t>(n, end - next));
        std::copy(next, next + take, static_cast<std::uint8_t*>(Buffer));
        next += take;
        return take;
    }
    std::uint32_t Write(const void*, std::uint32_t n) override { return n; }

private:
    const std::uint8_t* next = nullptr;
    const std::uint8_t* end = nullptr;
};
