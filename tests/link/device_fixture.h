// The device component as the window sets it up, its line a pseudo-terminal, its events
// delivered through a task queue that the test thread pumps.
#pragma once

#include "HsCommDevice.h"
#include "Tcommpkg.h"
#include "notify_log.h"
#include "posted_tasks.h"
#include "pty_fixture.h"

#include <memory>
#include <thread>

class DeviceOnPty : public ::testing::Test {
protected:
    DeviceOnPty() {
        device = std::make_unique<THsCommDevice>(tasks.poster());
        device->SetPortResolver([path = pty.slavePath()](int) { return path; });
        device->OnPackage = [this](void* sender, std::uint32_t bits) {
            EXPECT_EQ(sender, device.get());
            EXPECT_EQ(std::this_thread::get_id(), windowThread) << "raised off the window thread";
            packages.add(bits);
        };
    }

    // Reads one package per pump, as the console's handler does.
    Bytes readOne() {
        std::uint8_t buf[16];
        const std::uint32_t n = device->ReadPackage(buf, sizeof buf);
        return Bytes(buf, buf + n);
    }

    const std::thread::id windowThread = std::this_thread::get_id();
    PtyPair pty;
    PostedTasks tasks;
    NotifyLog packages;
    std::unique_ptr<THsCommDevice> device;
};
