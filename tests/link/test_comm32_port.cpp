// The serial port over real pseudo-terminals: the test plays the far end of the line on the
// master, the port opens the slave by its path.
#include "Comm32.h"
#include "Comm32Error.h"
#include "notify_log.h"
#include "pty_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

Bytes allByteValues() {
    Bytes b;
    for (int v = 0; v < 256; ++v)
        b.push_back(static_cast<std::uint8_t>(v));
    return b;
}

Bytes pattern(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    return b;
}

// A port at the link's line settings on the pty, logging its notifications.
class PortTest : public ::testing::Test {
protected:
    PortTest() {
        port.SetPortResolver([path = pty.slavePath()](int) { return path; });
        port.fSetBaud(br9600);
        port.SetOnCommNotify([this](void* sender, std::uint32_t bits) {
            EXPECT_EQ(sender, &port);
            log.add(bits);
        });
    }

    Bytes readAll(std::size_t count, std::chrono::milliseconds deadline = 10s) {
        Bytes got;
        eventually(
            [&] {
                std::uint8_t buf[4096];
                const std::uint32_t n = port.Read(buf, sizeof buf);
                got.insert(got.end(), buf, buf + n);
                return got.size() >= count;
            },
            deadline);
        return got;
    }

    PtyPair pty;
    NotifyLog log;
    TComm32 port;
};

TEST(Comm32Defaults, SettingsAndDeviceNames) {
    TComm32 port;
    EXPECT_EQ(port.fGetPort(), 2);
    EXPECT_EQ(port.DeviceName(), "/dev/ttyS1");
    EXPECT_EQ(port.fGetBaud(), br115200);
    EXPECT_EQ(port.fGetByteSize(), 8);
    EXPECT_EQ(port.fGetParity(), ptNoParity);
    EXPECT_EQ(port.fGetStopBits(), sbOneStopBit);
    EXPECT_EQ(port.fGetFlowControl(), fcNone);
    EXPECT_EQ(port.fGetInBufSize(), 8192);
    EXPECT_EQ(port.fGetOutBufSize(), 8192);
    EXPECT_EQ(port.fGetHwInSize(), 1200);
    EXPECT_EQ(port.fGetHwOutSize(), 1200);
    EXPECT_EQ(defaultPortPath(1), "/dev/ttyS0");
    EXPECT_EQ(defaultPortPath(8), "/dev/ttyS7");

    port.fSetPort(5);
    EXPECT_EQ(port.DeviceName(), "/dev/ttyS4");
    port.SetPortResolver([](int n) { return "/dev/ttyUSB" + std::to_string(n); });
    EXPECT_EQ(port.DeviceName(), "/dev/ttyUSB5");

    port.fSetBaud(99);
    EXPECT_EQ(port.fGetBaud(), br115200);
    port.fSetBaud(-1);
    EXPECT_EQ(port.fGetBaud(), br115200);
    port.fSetByteSize(300);
    EXPECT_EQ(port.fGetByteSize(), 255);
    port.fSetByteSize(-3);
    EXPECT_EQ(port.fGetByteSize(), 0);
    EXPECT_EQ(port.Write("x", 1), 0u) << "a closed port takes nothing";
}

TEST(Comm32Open, FailuresLeaveThePortClosed) {
    char regular[] = "/tmp/wd-not-a-port-XXXXXX";
    const int fd = mkstemp(regular);
    ASSERT_GE(fd, 0);
    close(fd);
    struct Case {
        std::string path;
        std::vector<int> codes;
    };
    const std::vector<Case> cases = {
        {"/dev/wd-no-such-device", {ecOpenPort}},
        {regular, {ecOpenPort, ecSetCommState}},
        {"/dev/null", {ecOpenPort, ecSetCommState}},
        {"/tmp", {ecOpenPort}},
    };
    for (const auto& c : cases) {
        NotifyLog log;
        TComm32 port;
        port.SetPortResolver([&](int) { return c.path; });
        port.SetOnCommNotify([&](void*, std::uint32_t bits) { log.add(bits); });
        try {
            port.Open();
            ADD_FAILURE() << c.path << " opened";
        } catch (const EComm32Error& e) {
            EXPECT_NE(std::find(c.codes.begin(), c.codes.end(), e.ErrorCode()), c.codes.end())
                << c.path << " gave " << e.ErrorCode();
            EXPECT_NE(e.Reason().find(c.path), std::string::npos) << e.Reason();
        }
        EXPECT_FALSE(port.Opened()) << c.path;
        EXPECT_EQ(port.Write("x", 1), 0u) << c.path;
        EXPECT_EQ(log.countWith(~0u), 0u) << "no opening, no notification: " << c.path;
        EXPECT_NO_THROW(port.Close());
    }
    unlink(regular);
}

TEST(Comm32Open, MissingDeviceSaysSoInTheSystemLanguage) {
    TComm32 port;
    port.SetPortResolver([](int) { return std::string("/dev/wd-no-such-device"); });
    try {
        port.Open();
        FAIL();
    } catch (const EComm32Error& e) {
        EXPECT_EQ(e.ErrorCode(), ecOpenPort);
        EXPECT_EQ(std::string(e.what()), EComm32Error(ecOpenPort).what());
        if (languageOfLangId(systemDefaultLangId()) == TextLanguage::English) {
            EXPECT_STREQ(e.what(), "Cannot open COM port");
        }
    }
}

TEST_F(PortTest, OpeningTwiceDoesNothingAndModemBitsMarkOpenAndClose) {
    port.Open();
    EXPECT_TRUE(port.Opened());
    EXPECT_NO_THROW(port.Open());
    EXPECT_EQ(log.countExactly(EV_MODEM_LINES), 1u);
    port.Close();
    EXPECT_FALSE(port.Opened());
    EXPECT_EQ(log.countExactly(EV_MODEM_LINES), 2u);
    port.Close();
    EXPECT_EQ(log.countExactly(EV_MODEM_LINES), 2u) << "closing a closed port says nothing";
    port.Open();
    EXPECT_TRUE(port.Opened()) << "reopens after a close";
}

TEST_F(PortTest, SecondPortOnTheSameDeviceIsRefused) {
    port.Open();
    TComm32 other;
    other.SetPortResolver([path = pty.slavePath()](int) { return path; });
    try {
        other.Open();
        FAIL() << "two ports on one device";
    } catch (const EComm32Error& e) {
        EXPECT_EQ(e.ErrorCode(), ecOpenPort);
    }
    EXPECT_FALSE(other.Opened());
    port.Close();
    EXPECT_NO_THROW(other.Open()) << "the device is free again once closed";
}

TEST_F(PortTest, LineIsRawAtTheLinkSettingsWithoutFlowControl) {
    port.Open();
    termios t{};
    ASSERT_EQ(tcgetattr(pty.slaveFd(), &t), 0);
    EXPECT_EQ(cfgetospeed(&t), B9600);
    EXPECT_EQ(cfgetispeed(&t), B9600);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | INPCK | ISTRIP | ICRNL | IGNCR | INLCR), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
}

TEST_F(PortTest, OtherLineSettingsReachTheDevice) {
    struct Case {
        int baud;
        int byteSize;
        TParity parity;
        TStopBits stop;
        TFlowControl flow;
        speed_t speed;
        tcflag_t cflagSet;
        tcflag_t cflagClear;
    };
    const std::vector<Case> cases = {
        {br19200, 7, ptEvenParity, sbTwoStopBit, fcXonXoff, B19200, CS7 | PARENB | CSTOPB,
         PARODD | CMSPAR | CRTSCTS},
        {br115200, 8, ptOddParity, sbOneStopBit, fcRtsCts, B115200, PARENB | PARODD | CRTSCTS,
         CSTOPB | CMSPAR},
        {br1200, 6, ptMarkParity, sbOne_5_StopBits, fcTranXonXoff, B1200,
         CS6 | PARENB | PARODD | CMSPAR | CSTOPB, CRTSCTS},
        {br300, 5, ptSpaceParity, sbOneStopBit, fcRtsCtsXonXoff, B300, PARENB | CMSPAR | CRTSCTS,
         PARODD},
    };
    for (const auto& c : cases) {
        port.fSetBaud(c.baud);
        port.fSetByteSize(c.byteSize);
        port.fSetParity(c.parity);
        port.fSetStopBits(c.stop);
        port.fSetFlowControl(c.flow);
        port.Open();
        termios t{};
        ASSERT_EQ(tcgetattr(pty.slaveFd(), &t), 0);
        EXPECT_EQ(cfgetospeed(&t), c.speed) << c.baud;
        // A pseudo-terminal drops PARENB whatever it is asked; the rest of the word stays.
        const tcflag_t expected = c.cflagSet & ~static_cast<tcflag_t>(PARENB);
        EXPECT_EQ(t.c_cflag & expected, expected) << c.baud;
        EXPECT_EQ(t.c_cflag & c.cflagClear, 0u) << c.baud;
        // XON and XOFF are the frame's head and tail: the driver must never act on them.
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY), 0u) << c.baud;
        port.Close();
    }
}

TEST_F(PortTest, RatesWithoutAConstantStillOpen) {
    for (int rate : {br14400, br56000, br128000, br256000}) {
        port.fSetBaud(rate);
        EXPECT_NO_THROW(port.Open()) << rate;
        EXPECT_TRUE(port.Opened());
        port.Close();
    }
}

TEST_F(PortTest, UnsupportedByteSizeFailsWithCode8AndLeavesTheDeviceFree) {
    port.fSetByteSize(4);
    try {
        port.Open();
        FAIL();
    } catch (const EComm32Error& e) {
        EXPECT_EQ(e.ErrorCode(), ecSetCommState);
    }
    EXPECT_FALSE(port.Opened());
    port.fSetByteSize(8);
    EXPECT_NO_THROW(port.Open()) << "the failed opening released the device";
}

TEST_F(PortTest, LineSettersCloseAnOpenPort) {
    const std::vector<std::function<void()>> setters = {
        [&] { port.fSetPort(3); },
        [&] { port.fSetBaud(br9600); },
        [&] { port.fSetParity(ptNoParity); },
        [&] { port.fSetByteSize(8); },
        [&] { port.fSetStopBits(sbOneStopBit); },
        [&] { port.fSetFlowControl(fcNone); },
        [&] { port.fSetHwInSize(1200); },
        [&] { port.fSetHwOutSize(1200); },
    };
    for (std::size_t i = 0; i < setters.size(); ++i) {
        port.Open();
        setters[i]();
        EXPECT_FALSE(port.Opened()) << "setter " << i;
    }
}

TEST_F(PortTest, QueueWithoutStorageFailsTheOpening) {
    struct Case {
        std::function<void(int)> setSize;
        int code;
    };
    const std::vector<Case> cases = {
        {[&](int n) { port.fSetInBufSize(n); }, ecReadBuffer},
        {[&](int n) { port.fSetOutBufSize(n); }, ecWriteBuffer},
    };
    for (const auto& c : cases) {
        for (int size : {0, -5}) {
            c.setSize(size);
            try {
                port.Open();
                FAIL() << "opened without storage";
            } catch (const EComm32Error& e) {
                EXPECT_EQ(e.ErrorCode(), c.code);
            }
            EXPECT_FALSE(port.Opened());
        }
        c.setSize(8192);
        EXPECT_NO_THROW(port.Open());
        port.Close();
    }
    EXPECT_EQ(log.countExactly(EV_MODEM_LINES), 4u);
}

TEST_F(PortTest, EveryByteValuePassesUnchangedBothWays) {
    port.Open();
    const Bytes all = allByteValues();
    EXPECT_EQ(port.Write(all.data(), static_cast<std::uint32_t>(all.size())), all.size());
    EXPECT_EQ(pty.receive(all.size()), all);

    pty.send(all);
    EXPECT_EQ(readAll(all.size()), all);
    // The bytes are readable just before the notification that announces them is given.
    ASSERT_TRUE(eventually([&] { return log.countWith(EV_RXFLAG) >= 1; }));
    EXPECT_GE(log.countWith(EV_RXCHAR), 1u);
    EXPECT_EQ(log.countWith(EV_RXFLAG), 1u) << "one NUL received";
}

TEST_F(PortTest, AllWaitingBytesAreReadableWhenNotified) {
    const Bytes sent = pattern(3000);
    pty.send(sent);
    ASSERT_TRUE(eventually([&] { return pty.waitingInput() == 3000; }));
    std::atomic<std::uint32_t> readableAtFirstNotice{0};
    std::atomic<bool> noticed{false};
    port.SetOnCommNotify([&](void*, std::uint32_t bits) {
        if ((bits & EV_RXCHAR) && !noticed.exchange(true)) {
            std::uint8_t buf[8192];
            readableAtFirstNotice = port.Read(buf, sizeof buf);
        }
    });
    port.Open();
    ASSERT_TRUE(eventually([&] { return noticed.load(); }));
    EXPECT_EQ(readableAtFirstNotice.load(), 3000u);
}

TEST_F(PortTest, NulByteRaisesTheEventCharacterBit) {
    port.Open();
    pty.send({0x41, 0x42});
    ASSERT_TRUE(eventually([&] { return log.countWith(EV_RXCHAR) >= 1; }));
    EXPECT_EQ(log.countWith(EV_RXFLAG), 0u);
    pty.send({0x41, 0x00, 0x42});
    ASSERT_TRUE(eventually([&] { return log.countWith(EV_RXFLAG) == 1; }));
}

TEST_F(PortTest, EachDrainNotifiesOutputEmptyOnce) {
    port.Open();
    for (std::size_t round = 1; round <= 3; ++round) {
        const Bytes frame = {0x11, 0x01, 0x73, 0x13};
        ASSERT_EQ(port.Write(frame.data(), 4), 4u);
        EXPECT_EQ(pty.receive(4), frame);
        ASSERT_TRUE(eventually([&] { return log.countWith(EV_TXEMPTY) >= round; }));
    }
    EXPECT_EQ(log.countWith(EV_TXEMPTY), 3u);
}

TEST_F(PortTest, LargeWriteArrivesWholeAndInOrder) {
    port.Open();
    const Bytes data = pattern(8191);
    EXPECT_EQ(port.Write(data.data(), 9000), 8191u) << "one byte of the queue is never used";
    EXPECT_EQ(pty.receive(data.size()), data);
    ASSERT_TRUE(eventually([&] { return log.countWith(EV_TXEMPTY) >= 1; }));
}

TEST_F(PortTest, FullReceiveQueueKeepsTheOldestBytesAndWarns) {
    // All bytes wait in the line before the opening, so the first drain sees every one of them
    // and the queue's fill is known without racing the event thread.
    port.fSetInBufSize(2000);
    const Bytes sent = pattern(3000);
    pty.send(sent);
    ASSERT_TRUE(eventually([&] { return pty.waitingInput() == 3000; }));
    port.Open();
    ASSERT_TRUE(eventually([&] { return log.countWith(EV_RXCHAR) >= 1; }));
    EXPECT_EQ(log.countWith(EV_RX80FULL), 1u);
    EXPECT_EQ(log.countWith(EV_RXCHAR | EV_RX80FULL), log.countWith(EV_RXCHAR));

    std::uint8_t buf[4096];
    ASSERT_EQ(port.Read(buf, sizeof buf), 1999u) << "one byte of the queue is never used";
    EXPECT_TRUE(std::equal(buf, buf + 1999, sent.begin())) << "the oldest bytes are kept";
    EXPECT_EQ(port.Read(buf, sizeof buf), 0u);

    pty.send({0x55});
    EXPECT_EQ(readAll(1), Bytes{0x55}) << "the port goes on after dropping";
}

TEST_F(PortTest, PurgeReadDropsWhatWaits) {
    port.Open();
    pty.send({1, 2, 3});
    ASSERT_TRUE(eventually([&] { return log.countWith(EV_RXCHAR) >= 1; }));
    ASSERT_TRUE(eventually([&] { return pty.waitingInput() == 0; }));
    port.PurgeRead();
    std::uint8_t buf[8];
    EXPECT_EQ(port.Read(buf, sizeof buf), 0u);
    pty.send({4});
    EXPECT_EQ(readAll(1), Bytes{4});
}

TEST_F(PortTest, ThrowingHandlerDoesNotStopThePort) {
    port.SetOnCommNotify([](void*, std::uint32_t) { throw std::runtime_error("handler fails"); });
    EXPECT_NO_THROW(port.Open());
    for (std::uint8_t b : {1, 2, 3}) {
        pty.send({b});
        EXPECT_EQ(readAll(1), Bytes{b});
    }
    EXPECT_NO_THROW(port.Close());
}

TEST_F(PortTest, HandlerCanBeSwappedWhileBytesFlow) {
    port.Open();
    std::atomic<bool> done{false};
    std::atomic<int> swaps{0};
    std::atomic<int> calls{0};
    std::thread swapper([&] {
        for (int i = 0; !done; ++i) {
            port.SetOnCommNotify([&, i](void*, std::uint32_t) { calls += i % 2 + 1; });
            EXPECT_TRUE(static_cast<bool>(port.GetOnCommNotify()));
            ++swaps;
        }
    });
    EXPECT_TRUE(eventually([&] { return swaps > 0; }));
    const Bytes sent = pattern(4000);
    std::thread sender([&] {
        for (std::size_t i = 0; i < sent.size(); i += 100)
            pty.send(Bytes(sent.begin() + i, sent.begin() + i + 100));
    });
    const Bytes got = readAll(sent.size());
    sender.join();
    EXPECT_TRUE(eventually([&] { return calls > 0; }));
    done = true;
    swapper.join();
    EXPECT_EQ(got, sent);
}

TEST_F(PortTest, CloseUnderTrafficEndsCleanly) {
    for (int round = 0; round < 3; ++round) {
        port.Open();
        std::atomic<bool> stop{false};
        // Once the port is closed nobody reads the line: the far end must not block on it.
        const int master = pty.masterFd();
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        std::thread farEnd([&] {
            const Bytes chunk = pattern(256);
            while (!stop) {
                if (::write(master, chunk.data(), chunk.size()) < 0 && errno != EAGAIN)
                    ADD_FAILURE() << "write to the master failed";
                pty.receive(4096, 1ms);
            }
        });
        std::thread writer([&] {
            const Bytes chunk = pattern(512);
            while (!stop) {
                port.Write(chunk.data(), static_cast<std::uint32_t>(chunk.size()));
                std::uint8_t buf[1024];
                port.Read(buf, sizeof buf);
            }
        });
        ASSERT_TRUE(eventually([&] { return log.countWith(EV_RXCHAR) >= 3; }));
        EXPECT_NO_THROW(port.Close());
        EXPECT_FALSE(port.Opened());
        EXPECT_EQ(port.Write("x", 1), 0u);
        stop = true;
        writer.join();
        farEnd.join();
    }
    EXPECT_EQ(log.countExactly(EV_MODEM_LINES), 6u);
}

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

TEST_F(PortTest, HangUpIsReportedOnceAndNothingSpins) {
    port.Open();
    ASSERT_EQ(port.Write("ab", 2), 2u);
    ASSERT_TRUE(eventually([&] { return log.countWith(EV_TXEMPTY) >= 1; }));
    pty.closeMaster();
    ASSERT_TRUE(eventually([&] { return log.countWith(EV_DEVICE_LOST) == 1; }));

    const double cpuBefore = processCpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(1s);
    // Writes go nowhere now, and must not wake a spinning writer either.
    EXPECT_EQ(port.Write("cd", 2), 0u);
    const double cpu = processCpuSeconds() - cpuBefore;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    EXPECT_LT(cpu / wall, 0.2) << "a port thread spins after the hang-up";
    EXPECT_EQ(log.countWith(EV_DEVICE_LOST), 1u);

    EXPECT_NO_THROW(port.Close());
    EXPECT_FALSE(port.Opened());
    EXPECT_EQ(log.countExactly(EV_MODEM_LINES), 2u);
}

} // namespace
