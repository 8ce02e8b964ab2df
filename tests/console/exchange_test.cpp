// The command exchange and the replies, with the balance's end of the line in the test's hands and
// every timer driven by the test.
#include "form_fixture.h"

#include "Tcommpkg.h"
#include "balance_command.h"
#include "frame_format.h"
#include "weight_text.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <thread>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes frameOf(const Bytes& payload) {
    Bytes out(maxFrameLength(static_cast<std::uint32_t>(payload.size())));
    out.resize(encodeFrame(payload.data(), static_cast<std::uint32_t>(payload.size()), out.data(),
                           balanceLinkFormat()));
    return out;
}

Bytes textBytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

class ExchangeTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        TTimer::setManualForTesting(true);
        setClockForTesting([] { return QDateTime(QDate(2026, 3, 4), QTime(9, 8, 7)); });
    }
    void TearDown() override {
        FormTest::TearDown();
        setClockForTesting(nullptr);
        TTimer::setManualForTesting(false);
    }

    void startWithScaleNo(const std::string& scaleNo) {
        writeCfg(portsSection() + "[sec3]\nScaleNo=" + scaleNo + "\n");
        start();
        ASSERT_TRUE(form->HsCommDevice1.fGetActive());
        const auto original = form->HsCommDevice1.OnPackage;
        form->HsCommDevice1.OnPackage = [this, original](void* sender, std::uint32_t type) {
            if (type & EV_RXCHAR)
                ++packageEvents;
            original(sender, type);
        };
    }

    // Bytes the window sent, read from the balance's end until `count` arrived or 10 s passed.
    Bytes sent(std::size_t count) {
        Bytes got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            pollfd p{com1.master(), POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            std::uint8_t buf[256];
            const ssize_t n = read(com1.master(), buf, sizeof buf);
            if (n > 0)
                got.insert(got.end(), buf, buf + n);
        }
        return got;
    }

    // Nothing else was sent before it: a later, known frame is the very next thing on the line.
    void expectNextSentIsOnly(const Bytes& frame) { EXPECT_EQ(sent(frame.size()), frame); }

    void reply(const Bytes& payload) { writeLine(frameOf(payload)); }
    void writeLine(const Bytes& bytes) {
        ASSERT_EQ(write(com1.master(), bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
    }
    std::uint32_t queued() { return form->HsCommDevice1.Package().ReceiveQueue.Count(); }
    // Each reply, sent alone, is announced once with a package waiting; the window has handled
    // it when that announcement has run and the queue is empty.
    bool settle(int announcements) {
        return waitFor([&] { return packageEvents >= announcements && queued() == 0; });
    }

    std::string status() { return form->StatusBar1.SimpleText(); }

    int packageEvents = 0;
};

struct WireCase {
    const char* name;
    const char* scaleNo;
    void (TForm1::*click)();
    Bytes frame;
    const char* status;
};

class CommandOnTheWire : public ExchangeTest, public testing::WithParamInterface<WireCase> {};

TEST_P(CommandOnTheWire, LeavesAsOneFrameStartsTheWaitAndSaysSo) {
    const WireCase& c = GetParam();
    startWithScaleNo(c.scaleNo);
    (form.get()->*c.click)();
    EXPECT_EQ(sent(c.frame.size()), c.frame);
    EXPECT_TRUE(form->Timer2.Enabled());
    EXPECT_EQ(form->Timer2.Interval(), 500u);
    EXPECT_FALSE(form->Timer3.Enabled());
    EXPECT_EQ(status(), gbk(c.status));
}

const char* const tareText = "发送去皮命令，等待天平回复......";

INSTANTIATE_TEST_SUITE_P(
    Table, CommandOnTheWire,
    testing::Values(
        WireCase{"Tare", "1", &TForm1::Button1Click, {0x11, 0x01, 0x74, 0x13}, tareText},
        WireCase{"Calibrate",
                 "1",
                 &TForm1::Button2Click,
                 {0x11, 0x01, 0x76, 0x13},
                 "发送校准命令，等待天平回复......"},
        WireCase{"Unit",
                 "1",
                 &TForm1::Button3Click,
                 {0x11, 0x01, 0x75, 0x13},
                 "发送单位转换命令，等待天平回复......"},
        WireCase{"Count",
                 "1",
                 &TForm1::Button4Click,
                 {0x11, 0x01, 0x63, 0x13},
                 "发送计数命令，等待天平回复......"},
        WireCase{"Sample", "1", &TForm1::Button6Click, {0x11, 0x01, 0x73, 0x13}, "正在采样......"},
        WireCase{"SampleBalance0",
                 "0",
                 &TForm1::Button6Click,
                 {0x11, 0x00, 0x73, 0x13},
                 "正在采样......"},
        WireCase{
            "TareBalance17", "17", &TForm1::Button1Click, {0x11, 0x12, 0x11, 0x74, 0x13}, tareText},
        WireCase{
            "TareBalance18", "18", &TForm1::Button1Click, {0x11, 0x12, 0x12, 0x74, 0x13}, tareText},
        WireCase{
            "TareBalance19", "19", &TForm1::Button1Click, {0x11, 0x12, 0x13, 0x74, 0x13}, tareText},
        WireCase{
            "TareBalance300", "300", &TForm1::Button1Click, {0x11, 0x2C, 0x74, 0x13}, tareText},
        WireCase{
            "TareBalance256", "256", &TForm1::Button1Click, {0x11, 0x00, 0x74, 0x13}, tareText}),
    [](const testing::TestParamInfo<WireCase>& info) { return std::string(info.param.name); });

TEST(BalanceNumber, TruncatedToItsLowestEightBits) {
    const std::pair<const char*, int> cases[] = {{"1", 1},   {"0", 0},      {"255", 255},
                                                 {"256", 0}, {"300", 0x2C}, {"12.9", 12},
                                                 {" 7 ", 7}, {"-1", 0xFF}};
    for (const auto& [text, byte] : cases)
        EXPECT_EQ(balanceNumberByte(text), byte) << text;
    for (const char* bad : {"", "abc", "1x"})
        EXPECT_THROW(balanceNumberByte(bad), EConvertError) << bad;
}

TEST_F(ExchangeTest, SecondClickWithinTheWaitIsRefusedAndSendsNothing) {
    startWithScaleNo("1");
    form->Button6.Click();
    EXPECT_EQ(sent(4), (Bytes{0x11, 0x01, 0x73, 0x13}));
    const std::uint64_t periods = form->Timer2.PeriodStarts();
    form->Button1.Click();
    EXPECT_EQ(status(), gbk("正在等待天平响应，不能发送命令"));
    EXPECT_EQ(form->Timer2.PeriodStarts(), periods) << "the running wait is undisturbed";

    ASSERT_TRUE(form->Timer2.Fire());
    EXPECT_EQ(status(), gbk("通信超时"));
    EXPECT_FALSE(form->Timer2.Enabled());
    form->Button4.Click();
    expectNextSentIsOnly({0x11, 0x01, 0x63, 0x13});
}

TEST_F(ExchangeTest, AcknowledgeBringsTheFollowUpSampleRequest) {
    startWithScaleNo("1");
    form->Button1.Click();
    EXPECT_EQ(sent(4), (Bytes{0x11, 0x01, 0x74, 0x13}));
    reply({0x06});
    ASSERT_TRUE(waitFor([&] { return form->Timer3.Enabled(); }));
    EXPECT_EQ(status(), gbk("通信正常"));
    EXPECT_FALSE(form->Timer2.Enabled());
    EXPECT_EQ(form->Timer3.Interval(), 100u);
    EXPECT_EQ(form->Label2.Caption(), "0.00g");

    ASSERT_TRUE(form->Timer3.Fire());
    expectNextSentIsOnly({0x11, 0x01, 0x73, 0x13});
    EXPECT_EQ(status(), gbk("通信正常")) << "the follow-up has no status text of its own";
    EXPECT_TRUE(form->Timer2.Enabled());
    EXPECT_EQ(form->Timer2.Interval(), 500u);
    EXPECT_FALSE(form->Timer3.Enabled());
}

TEST_F(ExchangeTest, AcknowledgeAfterTheTimeOutStillBringsTheFollowUp) {
    startWithScaleNo("1");
    form->Button2.Click();
    EXPECT_EQ(sent(4), (Bytes{0x11, 0x01, 0x76, 0x13}));
    ASSERT_TRUE(form->Timer2.Fire());
    EXPECT_EQ(status(), gbk("通信超时"));
    reply({0x06});
    ASSERT_TRUE(waitFor([&] { return form->Timer3.Enabled(); }));
    ASSERT_TRUE(form->Timer3.Fire());
    expectNextSentIsOnly({0x11, 0x01, 0x73, 0x13});
}

TEST_F(ExchangeTest, FollowUpInsideARunningWaitKeepsItsPeriod) {
    startWithScaleNo("1");
    form->Button1.Click();
    sent(4);
    reply({0x06});
    ASSERT_TRUE(waitFor([&] { return form->Timer3.Enabled(); }));
    form->Button3.Click();
    EXPECT_EQ(sent(4), (Bytes{0x11, 0x01, 0x75, 0x13}));
    const std::uint64_t periods = form->Timer2.PeriodStarts();
    ASSERT_TRUE(form->Timer3.Fire());
    expectNextSentIsOnly({0x11, 0x01, 0x73, 0x13});
    EXPECT_EQ(form->Timer2.PeriodStarts(), periods);
}

TEST_F(ExchangeTest, MalformedRepliesAreIgnoredAndLeaveTheWaitRunning) {
    startWithScaleNo("1");
    form->Button6.Click();
    sent(4);
    const std::string waiting = status();
    const Bytes malformed[] = {{0x15},
                               textBytes("+0001.2345"),
                               textBytes("+0001.2345gg"),
                               textBytes("+0001.2345g12345"),
                               textBytes("+0001.2345g123456789"),
                               {}};
    int announcements = packageEvents;
    for (const Bytes& payload : malformed) {
        reply(payload);
        ASSERT_TRUE(settle(++announcements)) << payload.size();
        EXPECT_EQ(status(), waiting);
        EXPECT_TRUE(form->Timer2.Enabled());
        EXPECT_FALSE(form->Timer3.Enabled());
        EXPECT_EQ(form->Label2.Caption(), "0.00g");
    }
    ASSERT_TRUE(form->Timer2.Fire());
    EXPECT_EQ(status(), gbk("通信超时"));
}

TEST_F(ExchangeTest, UnaskedWeightReplyIsShownWithTheTimeOfTheReading) {
    startWithScaleNo("1");
    reply(textBytes("-0012.5000g"));
    ASSERT_TRUE(waitFor([&] { return form->Label2.Caption() == "-12.5000g"; }));
    EXPECT_EQ(status(), gbk("通信正常"));
    EXPECT_EQ(form->Label10.Caption(), DateTimeToStr(Now()));
    EXPECT_FALSE(form->Timer2.Enabled());
    EXPECT_FALSE(form->Timer3.Enabled());
}

TEST_F(ExchangeTest, WeightReplyEndsTheWaitWithoutAFollowUp) {
    startWithScaleNo("1");
    form->Button6.Click();
    sent(4);
    reply(textBytes("+0000.1234g"));
    ASSERT_TRUE(waitFor([&] { return form->Label2.Caption() == "+0.1234g"; }));
    EXPECT_FALSE(form->Timer2.Enabled());
    EXPECT_FALSE(form->Timer3.Enabled());
    EXPECT_EQ(status(), gbk("通信正常"));
}

TEST_F(ExchangeTest, OneEventReadsOnePackageSoTwoRepliesTakeTwoEvents) {
    startWithScaleNo("1");
    // Held back from the window's loop until both packages wait, as when one read completes both.
    Bytes both = frameOf(textBytes("+0001.0000g"));
    const Bytes second = frameOf(textBytes("+0002.0000g"));
    both.insert(both.end(), second.begin(), second.end());
    writeLine(both);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (queued() < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(queued(), 2u);

    form->HsCommDevice1Package(&form->HsCommDevice1, 0x1);
    EXPECT_EQ(form->Label2.Caption(), "+1.0000g");
    EXPECT_EQ(queued(), 1u);
    form->HsCommDevice1Package(&form->HsCommDevice1, 0x4);
    EXPECT_EQ(form->Label2.Caption(), "+2.0000g");
    EXPECT_EQ(queued(), 0u);
}

TEST_F(ExchangeTest, BalanceNumberThatDoesNotConvertIsReportedAndNothingIsSent) {
    startWithScaleNo("1");
    form->Edit2.SetText("");
    const std::string before = status();
    form->Button1.Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Kind, TMessageKind::Error);
    EXPECT_EQ(boxes[0].Text, "'' is not a valid floating point value.");
    EXPECT_FALSE(form->Timer2.Enabled());
    EXPECT_EQ(status(), before);
    form->Edit2.SetText("2");
    form->Button1.Click();
    expectNextSentIsOnly({0x11, 0x02, 0x74, 0x13});
}

TEST_F(ExchangeTest, FollowUpWithABadBalanceNumberReportsOnceAndIsDropped) {
    startWithScaleNo("1");
    form->Button1.Click();
    sent(4);
    reply({0x06});
    ASSERT_TRUE(waitFor([&] { return form->Timer3.Enabled(); }));
    form->Edit2.SetText("x");
    form->Timer3.Fire();
    EXPECT_FALSE(form->Timer3.Enabled());
    EXPECT_FALSE(form->Timer3.Fire()) << "no second report";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "'x' is not a valid floating point value.");
    form->Edit2.SetText("1");
    form->Timer2.SetEnabled(false);
    form->Button6.Click();
    expectNextSentIsOnly({0x11, 0x01, 0x73, 0x13});
}

TEST(WeightText, ZerosAfterTheFirstCharacterAreDroppedUpToTheFirstOther) {
    const std::pair<std::string, std::string> cases[] = {{"+0001.2345g", "+1.2345g"},
                                                         {"+0000.1234g", "+0.1234g"},
                                                         {"-0012.5000g", "-12.5000g"},
                                                         {"+00000000kg", "+kg"},
                                                         {"+0000000000", "+"},
                                                         {"+ 001.2345g", "+ 001.2345g"},
                                                         {"00001.2345g", "01.2345g"},
                                                         {"+0100.0000g", "+100.0000g"},
                                                         {"\xFF"
                                                          "000\x01.23\x80g",
                                                          "\xFF\x01.23\x80g"}};
    for (const auto& [reply, shown] : cases)
        EXPECT_EQ(rebuildWeightText(reply), shown) << reply;
}

} // namespace
