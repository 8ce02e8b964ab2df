// The window against the simulated balance over a real pseudo-terminal, with real timers: each
// command button from the click to the reading on display, checked against the balance's own log
// of what crossed the line.
#include "form_fixture.h"

#include "../tools/sim_process.h"
#include "Tcommpkg.h"
#include "weight_text.h"

#include <QElapsedTimer>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// One line of the balance's log: direction and the frame's bytes as they crossed the line.
struct LoggedFrame {
    std::string direction;
    Bytes bytes;
};

std::vector<LoggedFrame> readLog(const std::string& path) {
    std::vector<LoggedFrame> frames;
    std::istringstream in(readFile(path));
    std::string line;
    // The last line may still be half written; only complete lines count.
    while (std::getline(in, line) && !in.eof()) {
        std::istringstream fields(line);
        std::string seconds;
        LoggedFrame f;
        fields >> seconds >> f.direction;
        unsigned byte = 0;
        while (fields >> std::hex >> byte)
            f.bytes.push_back(static_cast<std::uint8_t>(byte));
        frames.push_back(std::move(f));
    }
    return frames;
}

std::vector<Bytes> framesIn(const std::vector<LoggedFrame>& log, const std::string& direction) {
    std::vector<Bytes> out;
    for (const auto& f : log)
        if (f.direction == direction)
            out.push_back(f.bytes);
    return out;
}

// The window's state right after an event that took a reply from the queue.
struct Handled {
    std::string label2;
    std::string status;
    bool waiting;     // Timer2
    bool followUpDue; // Timer3
};

class EndToEndTest : public FormTest {
protected:
    void TearDown() override {
        FormTest::TearDown();
        sim.reset();
    }

    void startAgainst(std::vector<std::string> extraArgs) {
        std::vector<std::string> args{"--log", logPath(), "--seed", "7"};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        sim = std::make_unique<SimProcess>(args);
        ASSERT_FALSE(sim->devicePath().empty());
        writeCfg("[ports]\nCOM1=" + sim->devicePath() + "\n[sec3]\nScaleNo=1\n");
        start();
        ASSERT_TRUE(form->HsCommDevice1.fGetActive());
        const auto original = form->HsCommDevice1.OnPackage;
        form->HsCommDevice1.OnPackage = [this, original](void* sender, std::uint32_t type) {
            const auto before = queued();
            original(sender, type);
            // The balance answers only what it was sent, so no reply can arrive mid-handler.
            if (queued() < before)
                handled.push_back({form->Label2.Caption(), status(), form->Timer2.Enabled(),
                                   form->Timer3.Enabled()});
        };
    }

    std::string logPath() const { return dir.path("balance.log"); }
    std::uint32_t queued() { return form->HsCommDevice1.Package().ReceiveQueue.Count(); }
    std::string status() { return form->StatusBar1.SimpleText(); }
    bool idle() { return !form->Timer2.Enabled() && !form->Timer3.Enabled(); }

    // The log once it holds at least `rx` received and `tx` sent frames.
    std::vector<LoggedFrame> logWith(std::size_t rx, std::size_t tx) {
        std::vector<LoggedFrame> log;
        EXPECT_TRUE(waitFor([&] {
            log = readLog(logPath());
            return framesIn(log, "rx").size() >= rx && framesIn(log, "tx").size() >= tx;
        })) << "log:\n"
            << readFile(logPath());
        return log;
    }

    std::unique_ptr<SimProcess> sim;
    std::vector<Handled> handled;
};

// The reply's eleven characters out of its frame; the weight texts hold no byte the frame escapes.
std::string weightTextOf(const Bytes& frame) {
    if (frame.size() != 13 || frame.front() != 0x11 || frame.back() != 0x13)
        return {};
    return std::string(frame.begin() + 1, frame.end() - 1);
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

struct ButtonCase {
    const char* name;
    void (TForm1::*click)();
    std::uint8_t letter;
    bool acknowledged; // the balance acknowledges and the window follows up with a sample request
    const char* unit;  // how the reading shown afterwards ends
};

class ButtonAgainstBalance : public EndToEndTest, public testing::WithParamInterface<ButtonCase> {};

TEST_P(ButtonAgainstBalance, ShowsTheBalancesReadingAndSendsExactlyTheExpectedFrames) {
    const ButtonCase& c = GetParam();
    startAgainst({});
    const std::string initial = form->Label2.Caption();

    (form.get()->*c.click)();
    const std::size_t replies = c.acknowledged ? 2 : 1;
    ASSERT_TRUE(waitFor([&] { return handled.size() >= replies && idle(); }))
        << "status " << gbkToUtf8(status()) << ", " << handled.size() << " replies handled";

    const std::string normal = gbk("通信正常");
    if (c.acknowledged) {
        // The acknowledge: all is well, the display untouched, the follow-up on its way.
        EXPECT_EQ(handled[0].status, normal);
        EXPECT_EQ(handled[0].label2, initial);
        EXPECT_FALSE(handled[0].waiting);
        EXPECT_TRUE(handled[0].followUpDue);
    }
    const auto log = logWith(replies, replies);
    const Bytes command{0x11, 0x01, c.letter, 0x13};
    const Bytes sample{0x11, 0x01, 0x73, 0x13};
    const auto rx = framesIn(log, "rx");
    const auto tx = framesIn(log, "tx");
    const auto expectedRx =
        c.acknowledged ? std::vector<Bytes>{command, sample} : std::vector<Bytes>{command};
    EXPECT_EQ(rx, expectedRx);
    ASSERT_EQ(tx.size(), replies);
    if (c.acknowledged) {
        EXPECT_EQ(tx[0], (Bytes{0x11, 0x06, 0x13}));
    }

    const std::string reading = weightTextOf(tx.back());
    ASSERT_EQ(reading.size(), 11u) << "reply frame of " << tx.back().size() << " bytes";
    const Handled& weight = handled.back();
    EXPECT_EQ(weight.label2, rebuildWeightText(reading)) << "reply " << reading;
    EXPECT_EQ(form->Label2.Caption(), weight.label2);
    EXPECT_TRUE(endsWith(weight.label2, c.unit)) << weight.label2;
    EXPECT_NE(weight.label2, initial);
    EXPECT_EQ(weight.status, normal);
    EXPECT_FALSE(weight.waiting);
    EXPECT_FALSE(weight.followUpDue);
    EXPECT_EQ(handled.size(), replies);
}

INSTANTIATE_TEST_SUITE_P(
    FiveCommands, ButtonAgainstBalance,
    testing::Values(ButtonCase{"Sample", &TForm1::Button6Click, 's', false, "g"},
                    ButtonCase{"Tare", &TForm1::Button1Click, 't', true, "g"},
                    ButtonCase{"Calibrate", &TForm1::Button2Click, 'v', true, "g"},
                    ButtonCase{"Unit", &TForm1::Button3Click, 'u', true, "kg"},
                    ButtonCase{"Count", &TForm1::Button4Click, 'c', true, "pcs"}),
    [](const testing::TestParamInfo<ButtonCase>& info) { return std::string(info.param.name); });

TEST_F(EndToEndTest, SilentBalanceTimesOutAndTheButtonsWorkAgain) {
    startAgainst({"--drop-rate", "1"});
    const std::string timedOut = gbk("通信超时");
    const std::string initial = form->Label2.Caption();

    QElapsedTimer clock;
    clock.start();
    form->Button1Click();
    ASSERT_TRUE(waitFor([&] { return status() == timedOut; }));
    // The wait cannot end before its 500 ms, however slow the machine.
    EXPECT_GE(clock.nsecsElapsed(), 490'000'000);
    EXPECT_TRUE(idle());

    form->Button6Click();
    EXPECT_EQ(status(), gbk("正在采样......"));
    ASSERT_TRUE(waitFor([&] { return status() == timedOut; }));

    const auto rx = framesIn(logWith(2, 0), "rx");
    EXPECT_EQ(rx, (std::vector<Bytes>{{0x11, 0x01, 0x74, 0x13}, {0x11, 0x01, 0x73, 0x13}}));
    EXPECT_TRUE(framesIn(readLog(logPath()), "tx").empty());
    EXPECT_TRUE(handled.empty());
    EXPECT_EQ(form->Label2.Caption(), initial);
    EXPECT_TRUE(boxes.empty());
}

} // namespace
