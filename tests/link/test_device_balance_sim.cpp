// End to end: the device component against the simulated balance on its pseudo-terminal.
#include "../tools/sim_process.h"
#include "device_fixture.h"

namespace {

// Sends a command and pumps the "window" until a reply package can be read.
Bytes askBalance(THsCommDevice& device, PostedTasks& tasks, NotifyLog& packages,
                 std::uint8_t number, char letter) {
    const std::size_t before = packages.countWith(EV_RXCHAR);
    const std::uint8_t cmd[] = {number, std::uint8_t(letter)};
    EXPECT_EQ(device.Write(cmd, sizeof cmd), 2u);
    Bytes reply;
    const bool got = tasks.pumpUntil([&] {
        if (packages.countWith(EV_RXCHAR) == before)
            return false;
        std::uint8_t buf[16];
        const std::uint32_t n = device.ReadPackage(buf, sizeof buf);
        reply.assign(buf, buf + n);
        return n != 0;
    });
    EXPECT_TRUE(got) << "no reply to " << letter;
    return reply;
}

} // namespace

TEST_F(DeviceOnPty, BalanceSimAnswersSampleAndTare) {
    SimProcess sim({"--delay", "0"});
    ASSERT_FALSE(sim.devicePath().empty());
    device->SetPortResolver([path = sim.devicePath()](int) { return path; });
    device->fSetActive(true);

    const Bytes weight = askBalance(*device, tasks, packages, 1, 's');
    EXPECT_EQ(weight.size(), 11u);
    EXPECT_EQ(askBalance(*device, tasks, packages, 1, 't'), Bytes{0x06});
    device->fSetActive(false);
}
