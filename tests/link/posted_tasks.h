// Stands in for the window's event loop: the device posts tasks from any thread, the test thread
// runs them when it pumps, in the order posted.
#pragma once

#include "HsCommDevice.h"
#include "pty_fixture.h"

#include <deque>
#include <functional>
#include <mutex>

class PostedTasks {
public:
    TPoster poster() {
        return [this](std::function<void()> task) {
            std::lock_guard<std::mutex> lock(m_);
            tasks_.push_back(std::move(task));
        };
    }
    // Runs the tasks posted so far; how many ran.
    int pump() {
        std::deque<std::function<void()>> ready;
        {
            std::lock_guard<std::mutex> lock(m_);
            ready.swap(tasks_);
        }
        for (auto& task : ready)
            task();
        return int(ready.size());
    }
    // Pumps until the condition holds or the deadline passes.
    template <typename Pred> bool pumpUntil(Pred pred) {
        return eventually([&] {
            pump();
            return pred();
        });
    }

private:
    std::mutex m_;
    std::deque<std::function<void()>> tasks_;
};
