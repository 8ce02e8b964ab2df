#include "Application.h"
#include "Button.h"
#include "Label.h"
#include "Panel.h"
#include "Printer.h"
#include "SpeedButton.h"
#include "StatusBar.h"
#include "message_capture.h"
#include "test_form.h"

#include <QFontInfo>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

TEST(Form, AToolWindowOfFixedClientSize) {
    TestForm form;
    form.SetCaption("\xBC\xF2\xBD\xE0"); // 简洁
    EXPECT_EQ(form.Widget()->windowTitle(), QString::fromUtf8("简洁"));
    EXPECT_TRUE(form.Widget()->windowFlags().testFlag(Qt::Tool));
    EXPECT_FALSE(form.Widget()->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(form.Widget()->minimumSize(), QSize(356, 425));
    EXPECT_EQ(form.Widget()->maximumSize(), QSize(356, 425));
}

TEST(Form, CloseRunsOnCloseOnceAndCloses) {
    TestForm form;
    int closes = 0;
    form.OnClose = [&](TCloseAction&) { ++closes; };
    form.Show();
    form.Close();
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(form.Widget()->isVisible());
}

TEST(Form, ClosingTheMainFormEndsTheLoop) {
    TestForm form;
    ASSERT_EQ(Application->MainForm(), &form);
    int closes = 0;
    form.OnClose = [&](TCloseAction&) { ++closes; };
    form.Show();
    QTimer::singleShot(0, [&] { form.Close(); });
    // Should the close not end the loop, this does, and the count below tells.
    QTimer fallback;
    fallback.setSingleShot(true);
    QObject::connect(&fallback, &QTimer::timeout, [] { QCoreApplication::quit(); });
    fallback.start(10000);
    Application->Run();
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(form.Widget()->isVisible());
}

TEST(Form, AFormNeverShownStillRunsOnCloseWhenAskedToClose) {
    TestForm form;
    int closes = 0;
    form.OnClose = [&](TCloseAction&) { ++closes; };
    form.Close();
    EXPECT_EQ(closes, 1);
}

TEST(Form, AFailingOnCloseIsReportedAndTheWindowStaysOpen) {
    MessageCapture capture;
    TestForm form;
    bool failing = true;
    form.OnClose = [&](TCloseAction&) {
        if (failing)
            throw std::runtime_error("Unable to write to /ro/cfg.ini");
    };
    form.Show();
    form.Close();
    EXPECT_TRUE(form.Widget()->isVisible());
    ASSERT_EQ(capture.shown.size(), 1u);
    EXPECT_EQ(capture.shown[0].second, "Unable to write to /ro/cfg.ini.");
    failing = false;
    form.Close();
    EXPECT_FALSE(form.Widget()->isVisible());
}

TEST(Form, CaNoneKeepsTheWindowOpen) {
    TestForm form;
    form.OnClose = [](TCloseAction& Action) { Action = caNone; };
    form.Show();
    form.Close();
    EXPECT_TRUE(form.Widget()->isVisible());
}

TEST(Form, AFailingCreationHandlerIsReportedAndTheWindowStillOpens) {
    MessageCapture capture;
    TestForm form;
    form.DoCreate([] { throw std::runtime_error("'' is not a valid floating point value"); });
    form.Show();
    EXPECT_TRUE(form.Widget()->isVisible());
    ASSERT_EQ(capture.shown.size(), 1u);
}

TEST(Form, TheImageShowsTheClientAreaWithItsVisibleControls) {
    TestForm form;
    TLabel shown(&form);
    shown.SetBounds(10, 10, 40, 40);
    shown.SetTransparent(false);
    shown.SetColor(0xFF0000);
    TLabel hidden(&form);
    hidden.SetBounds(100, 10, 40, 40);
    hidden.SetColor(0x0000FF);
    hidden.SetVisible(false);
    const QImage image = form.GetFormImage();
    EXPECT_EQ(image.size(), QSize(356, 425));
    EXPECT_EQ(QColor(image.pixel(30, 30)), QColor(Qt::red));
    EXPECT_NE(QColor(image.pixel(120, 30)), QColor(Qt::blue));
}

TEST(Controls, OwnFlagsBoundsAndTheStatusBarAtTheBottom) {
    TestForm form;
    TPanel panel(&form);
    panel.SetBounds(0, 40, 356, 60);
    TLabel inner(&panel);
    inner.SetBounds(1, 1, 354, 58);
    EXPECT_EQ(inner.Widget()->parentWidget(), panel.Widget());
    panel.SetEnabled(false);
    EXPECT_TRUE(inner.Enabled());
    EXPECT_FALSE(inner.Widget()->isEnabled());
    EXPECT_TRUE(inner.Visible()) << "visible as designed before the form shows";

    TStatusBar status(&form);
    status.SetSimpleText("\xBF\xD5\xCF\xD0\xD7\xB4\xCC\xAC"); // 空闲状态
    EXPECT_EQ(status.SimpleText(), "\xBF\xD5\xCF\xD0\xD7\xB4\xCC\xAC");
    EXPECT_EQ(status.Widget()->geometry().bottom(), 424);
    EXPECT_EQ(status.Width(), 356);
}

TEST(Controls, ButtonsClickOnlyWhenEnabledSpeedButtonsShowTheirLook) {
    TestForm form;
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Widget()));
    TButton button(&form);
    button.SetBounds(10, 10, 80, 30);
    int clicks = 0;
    button.OnClick = [&] { ++clicks; };
    QTest::mouseClick(button.Widget(), Qt::LeftButton);
    button.SetEnabled(false);
    QTest::mouseClick(button.Widget(), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);

    TSpeedButton speed(&form);
    speed.SetBounds(10, 50, 80, 30);
    speed.OnClick = [&] { ++clicks; };
    EXPECT_FALSE(speed.Flat());
    speed.SetFlat(true);
    EXPECT_TRUE(speed.Flat());
    QTest::mouseClick(speed.Widget(), Qt::LeftButton);
    EXPECT_EQ(clicks, 2);
}

TEST(Fonts, TheDesignsFamiliesFindFacesOfThisSystem) {
    TestForm form;
    TLabel led(&form);
    led.SetFont({"LedNumber", 48, clBlue, false});
    EXPECT_EQ(QFontInfo(led.Widget()->font()).family(), "DSEG7 Classic");
    EXPECT_EQ(led.Widget()->palette().color(QPalette::WindowText), QColor(Qt::blue));
    TLabel song(&form);
    song.SetFont({"\xCB\xCE\xCC\xE5", 19, {}, false}); // 宋体
    EXPECT_EQ(QFontInfo(song.Widget()->font()).family(), "AR PL UMing CN");
    EXPECT_EQ(QFontInfo(song.Widget()->font()).pixelSize(), 19);
}

TEST(PrinterObject, OneJobAtATimeAndThePageAsDrawn) {
    std::vector<TPrinter::TestPage> pages;
    TPrinter::setTestSink(600, 300, [&](const TPrinter::TestPage& Page) { pages.push_back(Page); });
    TPrinter* printer = Printer();
    printer->BeginDoc();
    EXPECT_THROW(printer->BeginDoc(), EPrinter);
    EXPECT_EQ(printer->PixelsPerInchX(), 600);
    EXPECT_EQ(printer->PixelsPerInchY(), 300);
    printer->StretchDraw(QRect(QPoint(472, 236), QPoint(2696, 1563)),
                         QImage(356, 425, QImage::Format_RGB32));
    printer->EndDoc();
    TPrinter::setTestSink(0, 0, nullptr);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].rect.left(), 472);
    EXPECT_EQ(pages[0].image.size(), QSize(356, 425));
    EXPECT_FALSE(printer->Printing());
}

} // namespace
