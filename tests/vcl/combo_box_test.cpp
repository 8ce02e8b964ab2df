#include "ComboBox.h"
#include "test_form.h"
#include "typing.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// 串口一 to 串口八, GBK: six bytes each.
std::vector<std::string> portNames() {
    std::vector<std::string> names;
    for (const char* digit : {"\xD2\xBB", "\xB6\xFE", "\xC8\xFD", "\xCB\xC4", "\xCE\xE5",
                              "\xC1\xF9", "\xC6\xDF", "\xB0\xCB"})
        names.push_back(std::string("\xB4\xAE\xBF\xDA") + digit);
    return names;
}

class ComboBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        combo.SetBounds(19, 196, 85, 27);
        combo.SetItems(portNames());
        combo.SetText(portNames()[0]);
        combo.SetMaxLength(5);
        combo.OnChange = [this] { changes.push_back(combo.Text()); };
        form.Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Widget()));
    }
    void TearDown() override { box()->hidePopup(); }
    QComboBox* box() const { return static_cast<QComboBox*>(combo.Widget()); }
    void type(const char* Utf8) { typeText(combo.Widget(), QString::fromUtf8(Utf8)); }

    TestForm form;
    TComboBox combo{&form};
    std::vector<std::string> changes;
};

TEST_F(ComboBoxTest, ProgramChangesRaiseNoChange) {
    EXPECT_EQ(combo.Text(), portNames()[0]);
    combo.SetText("COM3");
    combo.SetItems(portNames());
    combo.SetStyle(csDropDownList);
    combo.SetText(portNames()[2]);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(combo.Text(), portNames()[2]);
}

TEST_F(ComboBoxTest, TypingIsHeldToFiveGbkBytesAndEachKeyIsAChange) {
    combo.SetText("");
    type("串口一");
    EXPECT_EQ(combo.Text(), "\xB4\xAE\xBF\xDA");
    type("abc");
    EXPECT_EQ(combo.Text(), "\xB4\xAE\xBF\xDA"
                            "a");
    EXPECT_EQ(changes.size(), 3u);
    // The list opens as the operator types.
    EXPECT_TRUE(box()->view()->isVisible());
}

TEST_F(ComboBoxTest, ANameOverTheLimitCanOnlyBeShortenedNeverRetyped) {
    // 串口一 shown by the program: replacing 一 with 二 keeps six bytes, which is still over five.
    QLineEdit* editor = box()->lineEdit();
    editor->setSelection(2, 1);
    type("二");
    EXPECT_EQ(combo.Text(), portNames()[0]);
    editor->selectAll();
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("串口三"));
    QCoreApplication::sendEvent(editor, &commit);
    EXPECT_EQ(combo.Text(), portNames()[0]);
    EXPECT_TRUE(changes.empty());

    editor->end(false);
    QTest::keyClick(editor, Qt::Key_Backspace);
    EXPECT_EQ(combo.Text(), "\xB4\xAE\xBF\xDA");
    EXPECT_EQ(changes.size(), 1u);
}

TEST_F(ComboBoxTest, PickingAnItemIsAChangeTheSameItemIncluded) {
    QTest::keyClick(combo.Widget(), Qt::Key_Down);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], portNames()[1]);

    box()->showPopup();
    QAbstractItemView* view = box()->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    const QRect item = view->visualRect(box()->model()->index(1, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1], portNames()[1]);
}

TEST_F(ComboBoxTest, APickListKeepsItemsAndShowsOnlyThem) {
    combo.SetText(portNames()[3]);
    combo.SetStyle(csDropDownList);
    EXPECT_EQ(combo.Items(), portNames());
    EXPECT_EQ(box()->count(), 8);
    EXPECT_EQ(combo.Text(), portNames()[3]);
    EXPECT_EQ(combo.ItemIndex(), 3);
    combo.SetText("");
    EXPECT_EQ(combo.Text(), "");
    EXPECT_EQ(combo.ItemIndex(), -1);
    combo.SetText("COM3");
    EXPECT_EQ(combo.Text(), "");
    type("abc");
    EXPECT_EQ(combo.Text(), "");
}

TEST_F(ComboBoxTest, AChangeHandlerMaySwitchToAPickListWhileTheOperatorTypes) {
    combo.OnChange = [this] {
        changes.push_back(combo.Text());
        combo.SetStyle(csDropDownList);
    };
    combo.SetText("");
    type("a");
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], "a");
    EXPECT_EQ(combo.Style(), csDropDownList);
    EXPECT_EQ(combo.Text(), "");
    QCoreApplication::processEvents(); // the old editor goes now
    box()->hidePopup();
    QTest::keyClick(combo.Widget(), Qt::Key_Down);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1], portNames()[0]);
}

TEST_F(ComboBoxTest, BackToAnEditableDropDownTheLimitStillHolds) {
    combo.SetStyle(csDropDownList);
    combo.SetStyle(csDropDown);
    EXPECT_EQ(combo.Text(), portNames()[0]);
    combo.SetText("");
    type("abcdef");
    EXPECT_EQ(combo.Text(), "abcde");
}

} // namespace
