#include "Edit.h"
#include "Label.h"
#include "test_form.h"

#include <QLabel>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class LabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        title.SetBounds(0, 9, 353, 25);
        editor.SetBounds(0, 8, 353, 33);
        editor.SetVisible(false);
        form.Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Widget()));
    }
    QLabel* label() const { return static_cast<QLabel*>(title.Widget()); }
    static void send(QWidget* Target, QEvent::Type Type, QPoint At = {5, 5}, quint64 Time = 0) {
        QMouseEvent event(Type, At, Target->mapToGlobal(At), Qt::LeftButton,
                          Type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        event.setTimestamp(Time);
        QCoreApplication::sendEvent(Target, &event);
    }

    TestForm form;
    TLabel title{&form};
    TEdit editor{&form};
};

TEST_F(LabelTest, GbkCaptionsReadBackByteForByteAndShowAsUnicode) {
    title.SetCaption("\xD6\xD8\xC1\xBF"); // 重量
    EXPECT_EQ(title.Caption(), "\xD6\xD8\xC1\xBF");
    EXPECT_EQ(label()->text(), QString::fromUtf8("重量"));
    title.SetCaption("\x81"); // a lead byte without its trail
    EXPECT_EQ(title.Caption(), "\x81");
    title.SetCaption("<b>bold</b>");
    EXPECT_EQ(label()->textFormat(), Qt::PlainText);
}

TEST_F(LabelTest, MouseMovesLeavesAndClicks) {
    int moves = 0, leaves = 0, clicks = 0;
    title.OnMouseMove = [&] { ++moves; };
    title.OnMouseLeave = [&] { ++leaves; };
    title.OnClick = [&] { ++clicks; };
    send(title.Widget(), QEvent::MouseMove);
    send(title.Widget(), QEvent::MouseMove);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(title.Widget(), &leave);
    send(title.Widget(), QEvent::MouseButtonPress);
    send(title.Widget(), QEvent::MouseButtonRelease, {400, 5}); // released outside: no click
    send(title.Widget(), QEvent::MouseButtonPress);
    send(title.Widget(), QEvent::MouseButtonRelease);
    EXPECT_EQ(moves, 2);
    EXPECT_EQ(leaves, 1);
    EXPECT_EQ(clicks, 1);
}

// The title's double click starts editing with its first click; its second click lands on the
// editor that has just appeared and must not end the editing at once.
TEST_F(LabelTest, ADoubleClickBegunOnTheTitleDoesNotEndTheEditing) {
    int ended = 0;
    title.OnClick = [&] {
        title.SetVisible(false);
        editor.SetText(title.Caption());
        editor.SetVisible(true);
    };
    editor.OnDblClick = [&] { ++ended; };
    send(title.Widget(), QEvent::MouseButtonPress);
    send(title.Widget(), QEvent::MouseButtonRelease);
    ASSERT_TRUE(editor.Visible());
    send(editor.Widget(), QEvent::MouseButtonDblClick);
    send(editor.Widget(), QEvent::MouseButtonRelease);
    EXPECT_EQ(ended, 0);

    // A double click of the editor's own: press, release, double click, release.
    send(editor.Widget(), QEvent::MouseButtonPress, {5, 5}, 1000);
    send(editor.Widget(), QEvent::MouseButtonRelease, {5, 5}, 1050);
    send(editor.Widget(), QEvent::MouseButtonDblClick, {5, 5}, 1100);
    send(editor.Widget(), QEvent::MouseButtonRelease, {5, 5}, 1150);
    EXPECT_EQ(ended, 1);
}

TEST_F(LabelTest, TheEditorsMouseMovesAreReported) {
    int moves = 0;
    editor.OnMouseMove = [&] { ++moves; };
    editor.SetVisible(true);
    send(editor.Widget(), QEvent::MouseMove);
    EXPECT_EQ(moves, 1);
}

} // namespace
