// The package layer on a real port whose line is a pseudo-terminal, set up as the link runs it:
// frames 0x11 / 0x13 / 0x12 with single marks.
#pragma once

#include "Comm32.h"
#include "Tcommpkg.h"
#include "balance_frames.h"
#include "notify_log.h"
#include "pty_fixture.h"

#include <memory>

class LayerOnPty : public ::testing::Test {
protected:
    LayerOnPty() {
        port.SetPortResolver([path = pty.slavePath()](int) { return path; });
        port.fSetBaud(br9600);
        // In place before the layer hooks in, so the layer passes every port event on to it
        // after its own work: a port event seen here has been through the receiver.
        port.SetOnCommNotify([this](void*, std::uint32_t bits) { portEvents.add(bits); });
        layer = std::make_unique<TCommPackage>(&port);
        useBalanceFrames(*layer);
        layer->PackageNotify = [this](void*, std::uint32_t bits) { announced.add(bits); };
    }
    ~LayerOnPty() override {
        EXPECT_NO_THROW(port.Close());
        layer.reset();
    }

    void activate() {
        port.Open();
        layer->fSetActive(true);
    }

    // Reads packages (into 16 bytes, as the console does) until `sentinel` comes.
    std::vector<Bytes> packagesUntil(const Bytes& sentinel) {
        std::vector<Bytes> got;
        while (eventually([&] { return layer->ReceiveQueue.Count() > 0; })) {
            std::uint8_t buf[16];
            const std::uint32_t n = layer->ReadPackage(buf, sizeof buf);
            got.emplace_back(buf, buf + n);
            if (got.back() == sentinel)
                break;
        }
        return got;
    }

    PtyPair pty;
    NotifyLog portEvents;
    NotifyLog announced;
    TComm32 port;
    std::unique_ptr<TCommPackage> layer;
};
