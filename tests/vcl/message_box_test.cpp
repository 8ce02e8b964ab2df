#include "Application.h"
#include "Button.h"
#include "MessageBox.h"
#include "SysUtils.h"
#include "message_capture.h"
#include "test_form.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <gtest/gtest.h>
#include <thread>

namespace {

// Processes events until Done holds, for at most ten seconds.
template <typename Condition> bool pumpUntil(Condition Done) {
    QDeadlineTimer deadline(10000);
    while (!Done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return Done();
}

TEST(FullStopRule, AppendsOnlyAfterBytesAboveFullStop) {
    const struct {
        std::string message;
        std::string shown;
    } cases[] = {
        {"'' is not a valid floating point value", "'' is not a valid floating point value."},
        {"Unable to write to /tmp/cfg.ini", "Unable to write to /tmp/cfg.ini."},
        {"ends with a full stop.", "ends with a full stop."},
        {"ends with a comma,", "ends with a comma,"},  // 0x2C
        {"ends with a minus-", "ends with a minus-"},  // 0x2D
        {"ends with a slash/", "ends with a slash/."}, // 0x2F
        {"ends with a digit 0", "ends with a digit 0."},
        {"\xB4\xED\xCE\xF3", "\xB4\xED\xCE\xF3."}, // 错误: bytes above 0x7F count as above '.'
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(withFullStop(c.message), c.shown) << c.message;
}

TEST(MessageBoxes, KindsAndTextsReachTheSink) {
    MessageCapture capture;
    ShowMessage("\xB4\xAE\xBF\xDA"); // 串口
    ShowErrorBox("failed");
    ASSERT_EQ(capture.shown.size(), 2u);
    EXPECT_EQ(capture.shown[0].first, TMessageKind::Message);
    EXPECT_EQ(capture.shown[0].second, "\xB4\xAE\xBF\xDA");
    EXPECT_EQ(capture.shown[1].first, TMessageKind::Error);
    EXPECT_EQ(capture.shown[1].second, "failed.");
}

TEST(EscapingExceptions, GoToTheErrorBoxAndTheLoopGoesOn) {
    MessageCapture capture;
    TestForm form;
    TButton button(&form);
    int after = 0;
    button.OnClick = [] { throw EConvertError("'x' is not a valid floating point value"); };
    button.Click();
    button.OnClick = [] { throw 42; };
    button.Click();
    button.OnClick = [&] { ++after; };
    button.Click();
    ASSERT_EQ(capture.shown.size(), 2u);
    EXPECT_EQ(capture.shown[0].second, "'x' is not a valid floating point value.");
    EXPECT_EQ(capture.shown[1].first, TMessageKind::Error);
    EXPECT_EQ(after, 1);
}

TEST(EscapingExceptions, PostedTasksRunOnTheWindowThreadInOrder) {
    MessageCapture capture;
    TestForm form;
    const auto posters = {mainThreadPoster(), form.Poster()};
    for (const auto& post : posters) {
        capture.shown.clear();
        std::vector<int> order;
        std::vector<bool> onWindowThread;
        std::thread port([&] {
            post([&] {
                order.push_back(1);
                onWindowThread.push_back(QThread::currentThread() == qApp->thread());
            });
            post([] { throw std::runtime_error("task failed"); });
            post([&] { order.push_back(3); });
        });
        port.join();
        ASSERT_TRUE(pumpUntil([&] { return order.size() == 2; }));
        EXPECT_EQ(order, (std::vector<int>{1, 3}));
        EXPECT_EQ(onWindowThread, std::vector<bool>{true});
        ASSERT_EQ(capture.shown.size(), 1u);
        EXPECT_EQ(capture.shown[0].second, "task failed.");
    }
}

TEST(EscapingExceptions, TasksPostedToADestroyedFormAreDropped) {
    bool ran = false;
    std::function<void(std::function<void()>)> post;
    {
        TestForm form;
        post = form.Poster();
        post([&] { ran = true; });
    }
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(ran);
}

} // namespace
