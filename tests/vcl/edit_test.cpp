#include "Edit.h"
#include "message_capture.h"
#include "test_form.h"
#include "typing.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const char* const zhong = "\xD6\xD0";            // 中
const char* const chuanKou = "\xB4\xAE\xBF\xDA"; // 串口

class EditTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.Show();
        edit.SetBounds(10, 10, 100, 24);
        edit.OnChange = [this] { ++changes; };
    }
    QLineEdit* line() const { return static_cast<QLineEdit*>(edit.Widget()); }
    void type(const char* Utf8) { typeText(edit.Widget(), QString::fromUtf8(Utf8)); }

    TestForm form;
    TEdit edit{&form};
    int changes = 0;
};

// The console's digit filter.
void digitsOnly(char& Key) {
    const auto code = static_cast<unsigned char>(Key);
    if (code != 8 && (code < '0' || code > '9'))
        Key = 0;
}

TEST_F(EditTest, TheKeyFilterSeesEveryGbkByteOfATypedCharacter) {
    std::string seen;
    edit.OnKeyPress = [&](char& Key) { seen += Key; };
    type("a中");
    EXPECT_EQ(seen, std::string("a") + zhong);
    EXPECT_EQ(edit.Text(), std::string("a") + zhong);
    EXPECT_EQ(changes, 2);
}

TEST_F(EditTest, DiscardedCharactersNeverReachTheField) {
    edit.OnKeyPress = digitsOnly;
    type("1a. -中2\t");
    EXPECT_EQ(edit.Text(), "12");
    EXPECT_EQ(changes, 2);
    QTest::keyClick(edit.Widget(), Qt::Key_Backspace);
    EXPECT_EQ(edit.Text(), "1");

    // Delete types no character, though X11 gives its key the text 0x7F.
    line()->home(false);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7F)));
    QCoreApplication::sendEvent(edit.Widget(), &del);
    EXPECT_EQ(edit.Text(), "");
}

TEST_F(EditTest, ACharacterGoesInOnlyWhenAllItsBytesSurvive) {
    edit.OnKeyPress = [](char& Key) {
        if (Key == '\xD0') // the second byte of 中
            Key = 0;
    };
    type("中a");
    EXPECT_EQ(edit.Text(), "a");
}

TEST_F(EditTest, ACharacterTheFilterReplacesIsTypedInstead) {
    edit.OnKeyPress = [](char& Key) {
        if (Key == 'a')
            Key = 'b';
    };
    type("aa");
    EXPECT_EQ(edit.Text(), "bb");
}

TEST_F(EditTest, AFilterThatThrowsIsReportedAndTheKeyDropped) {
    MessageCapture capture;
    edit.OnKeyPress = [](char&) { throw std::runtime_error("filter failed"); };
    type("1");
    EXPECT_EQ(edit.Text(), "");
    ASSERT_EQ(capture.shown.size(), 1u);
    EXPECT_EQ(capture.shown[0].second, "filter failed.");
}

TEST_F(EditTest, InputMethodTextGoesThroughTheFilter) {
    edit.OnKeyPress = digitsOnly;
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("1中2"));
    QCoreApplication::sendEvent(edit.Widget(), &commit);
    EXPECT_EQ(edit.Text(), "12");
}

TEST_F(EditTest, TypingStopsAtTheLimitInGbkBytes) {
    edit.SetMaxLength(5);
    type("串口一");
    EXPECT_EQ(edit.Text(), chuanKou);
    type("ab");
    EXPECT_EQ(edit.Text(), std::string(chuanKou) + "a");
    EXPECT_EQ(changes, 3);
}

TEST_F(EditTest, PastingBeyondTheLimitIsRefusedWithinItAccepted) {
    edit.SetMaxLength(3);
    QGuiApplication::clipboard()->setText("123456");
    QTest::keyClick(edit.Widget(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.Text(), "");
    QGuiApplication::clipboard()->setText("12");
    QTest::keyClick(edit.Widget(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.Text(), "12");
    EXPECT_EQ(changes, 1);
}

TEST_F(EditTest, ProgramTextBypassesLimitAndFilterAndCanStillBeShortened) {
    edit.SetMaxLength(3);
    edit.OnKeyPress = digitsOnly;
    edit.SetText("12.7 abc");
    EXPECT_EQ(edit.Text(), "12.7 abc");
    EXPECT_EQ(changes, 0);
    line()->end(false);
    type("9");
    EXPECT_EQ(edit.Text(), "12.7 abc");
    QTest::keyClick(edit.Widget(), Qt::Key_Backspace);
    EXPECT_EQ(edit.Text(), "12.7 ab");
    EXPECT_EQ(changes, 1);
}

TEST_F(EditTest, ProgramBytesReadBackExactly) {
    const std::string odd[] = {"\x81",
                               "a\xFF"
                               "b",
                               zhong, std::string("\x80", 1)};
    for (const std::string& bytes : odd) {
        edit.SetText(bytes);
        EXPECT_EQ(edit.Text(), bytes);
    }
    edit.SetText(zhong);
    EXPECT_EQ(line()->text(), QString::fromUtf8("中"));
}

} // namespace
