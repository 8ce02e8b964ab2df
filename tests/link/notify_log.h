// Records notification bits from any thread for a test to inspect.
#pragma once

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

class NotifyLog {
public:
    void add(std::uint32_t bits) {
        std::lock_guard<std::mutex> lock(m_);
        bits_.push_back(bits);
        threads_.push_back(std::this_thread::get_id());
    }
    std::vector<std::uint32_t> bits() const {
        std::lock_guard<std::mutex> lock(m_);
        return bits_;
    }
    std::vector<std::thread::id> threads() const {
        std::lock_guard<std::mutex> lock(m_);
        return threads_;
    }
    // How many recorded values carry any of `mask`.
    std::size_t countWith(std::uint32_t mask) const {
        std::lock_guard<std::mutex> lock(m_);
        return std::size_t(
            std::count_if(bits_.begin(), bits_.end(), [mask](auto b) { return (b & mask) != 0; }));
    }

    // How many recorded values are exactly `value`.
    std::size_t countExactly(std::uint32_t value) const {
        std::lock_guard<std::mutex> lock(m_);
        return std::size_t(std::count(bits_.begin(), bits_.end(), value));
    }

private:
    mutable std::mutex m_;
    std::vector<std::uint32_t> bits_;
    std::vector<std::thread::id> threads_;
};
