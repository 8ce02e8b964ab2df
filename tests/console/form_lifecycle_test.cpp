#include "form_fixture.h"

#include "Comm32Error.h"
#include "IniFile.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include <filesystem>

namespace {

std::vector<TControl*> nineButtons(TForm1& f) {
    return {&f.Button1, &f.Button2, &f.Button3,      &f.Button4,     &f.Button6,
            &f.Button7, &f.Button9, &f.SpeedButton2, &f.SpeedButton3};
}

TEST_F(FormTest, WithoutSettingsShowsDefaultsOpensCom1AndWritesAllKeysAtClose) {
    writeCfg(portsSection());
    start();
    EXPECT_EQ(form->Label1.Caption(), gbk("电子天平称重显示窗口"));
    EXPECT_EQ(form->ComboBox1.Text(), gbk("串口一"));
    EXPECT_EQ(form->Edit2.Text(), "1");
    EXPECT_EQ(form->Edit1.Text(), "50");
    EXPECT_EQ(form->Timer1.Interval(), 50u);
    EXPECT_FALSE(form->Timer1.Enabled());
    EXPECT_FALSE(form->AutoSampling);
    EXPECT_FALSE(form->AutoSaving);
    EXPECT_EQ(form->RecordFile, 0);
    EXPECT_TRUE(form->HsCommDevice1.fGetActive());
    EXPECT_EQ(device(), com1.path());
    EXPECT_FALSE(form->Label10.Caption().empty());
    EXPECT_EQ(form->StatusBar1.SimpleText(), gbk("空闲状态"));
    EXPECT_EQ(form->ComboBox1.Style(), csDropDown);
    for (TControl* c : nineButtons(*form))
        EXPECT_TRUE(c->Enabled());
    EXPECT_TRUE(boxes.empty());

    form->Button10.Click();
    EXPECT_FALSE(form->HsCommDevice1.fGetActive());
    EXPECT_FALSE(form->Widget()->isVisible());
    EXPECT_EQ(readFile(cfgPath()), portsSection() + "[sec1]\nTitle=" + gbk("电子天平称重显示窗口") +
                                       "\n[sec2]\nPortNo=" + gbk("串口一") +
                                       "\n[sec3]\nScaleNo=1\n[sec4]\nSampleInterval=50\n"
                                       "[sec5]\nAutoSample=false\n");
}

TEST_F(FormTest, MissingSettingsFileIsCreatedAtClose) {
    start();
    EXPECT_EQ(form->HsCommDevice1.fGetPort(), 1);
    EXPECT_EQ(device(), "/dev/ttyS0");
    form->Close();
    const std::string written = readFile(cfgPath());
    for (const char* key :
         {"Title=", "PortNo=", "ScaleNo=1\n", "SampleInterval=50\n", "AutoSample=false\n"})
        EXPECT_NE(written.find(key), std::string::npos) << key;
}

TEST_F(FormTest, CloseKeepsEverythingTheProgramDoesNotOwn) {
    const std::string kept = "; \xB2\xE2\xCA\xD4 operator notes\r\n" + portsSection() +
                             "[SEC1]\r\n"
                             "title = " +
                             gbk("一号天平") +
                             " \r\n"
                             "Colour=blue\r\n"
                             "\r\n"
                             "[other]\r\n"
                             "\xFF\xFE odd bytes without equals\r\n"
                             "[sec5]\r\n"
                             "AutoSample=TRUE\r\n";
    writeCfg(kept);
    start();
    EXPECT_EQ(form->Label1.Caption(), gbk("一号天平"));
    EXPECT_FALSE(form->AutoSampling);
    form->Close();
    EXPECT_EQ(readFile(cfgPath()), "; \xB2\xE2\xCA\xD4 operator notes\r\n" + portsSection() +
                                       "[SEC1]\r\n"
                                       "Title=" +
                                       gbk("一号天平") +
                                       "\r\n"
                                       "Colour=blue\r\n"
                                       "\r\n"
                                       "[other]\r\n"
                                       "\xFF\xFE odd bytes without equals\r\n"
                                       "[sec5]\r\n"
                                       "AutoSample=false\r\n"
                                       "[sec2]\r\nPortNo=" +
                                       gbk("串口一") +
                                       "\r\n"
                                       "[sec3]\r\nScaleNo=1\r\n"
                                       "[sec4]\r\nSampleInterval=50\r\n");
}

struct IntervalCase {
    const char* Text;
    std::uint32_t Interval;
    const char* Shown;
    const char* ErrorBox; // nullptr: none
};

class SampleInterval : public FormTest, public testing::WithParamInterface<IntervalCase> {};

TEST_P(SampleInterval, BecomesTimer1sIntervalOr25) {
    const auto& c = GetParam();
    writeCfg(portsSection() + "[sec4]\nSampleInterval=" + c.Text + "\n");
    start();
    EXPECT_EQ(form->Timer1.Interval(), c.Interval);
    EXPECT_FALSE(form->Timer1.Enabled());
    EXPECT_EQ(form->Edit1.Text(), c.Shown);
    if (c.ErrorBox) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].Kind, TMessageKind::Error);
        EXPECT_EQ(boxes[0].Text, c.ErrorBox);
    } else {
        EXPECT_TRUE(boxes.empty());
    }
    // Whatever the interval, the start-up is finished.
    EXPECT_TRUE(form->HsCommDevice1.fGetActive());
    EXPECT_TRUE(form->Button1.Enabled());
    EXPECT_FALSE(form->Label10.Caption().empty());
    EXPECT_EQ(form->StatusBar1.SimpleText(), gbk("空闲状态"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SampleInterval,
    testing::Values(IntervalCase{"10", 10, "10", nullptr}, IntervalCase{"999", 999, "999", nullptr},
                    IntervalCase{"9", 25, "25", nullptr}, IntervalCase{"0", 25, "25", nullptr},
                    IntervalCase{"1000", 25, "25", nullptr}, IntervalCase{"-5", 25, "25", nullptr},
                    IntervalCase{"12.7", 12, "12.7", nullptr},
                    IntervalCase{"999.9", 999, "999.9", nullptr},
                    // Would wrap to 50 as an unsigned 32-bit count.
                    IntervalCase{"4294967346", 25, "25", nullptr},
                    IntervalCase{"1e300", 25, "25", nullptr},
                    IntervalCase{"abc", 25, "25", "'abc' is not a valid floating point value."},
                    IntervalCase{"", 25, "25", "'' is not a valid floating point value."}));

struct AutoSampleCase {
    const char* Text;
    bool On;
};

class AutoSample : public FormTest, public testing::WithParamInterface<AutoSampleCase> {};

TEST_P(AutoSample, OnlyExactlyTrueRestoresTheModeAndIsWrittenBack) {
    const auto& c = GetParam();
    writeCfg(portsSection() + "[sec5]\nAutoSample=" + c.Text + "\n");
    start();
    EXPECT_EQ(form->AutoSampling, c.On);
    EXPECT_EQ(form->SpeedButton2.Flat(), c.On);
    EXPECT_FALSE(form->Timer1.Enabled());
    EXPECT_TRUE(form->ComboBox1.Enabled());
    // With the link open the mode decides the command buttons; Button7 follows auto-save.
    EXPECT_EQ(form->Button6.Enabled(), !c.On);
    EXPECT_EQ(form->Button1.Enabled(), !c.On);
    EXPECT_TRUE(form->Button7.Enabled());
    EXPECT_TRUE(form->SpeedButton2.Enabled());
    form->Close();
    EXPECT_EQ(TIniFile(cfgPath()).ReadString("sec5", "AutoSample", ""), c.On ? "true" : "false");
}

INSTANTIATE_TEST_SUITE_P(Table, AutoSample,
                         testing::Values(AutoSampleCase{"true", true},
                                         AutoSampleCase{"TRUE", false},
                                         AutoSampleCase{"True", false},
                                         AutoSampleCase{" true ", true},
                                         AutoSampleCase{"yes", false}));

TEST_F(FormTest, PortNameMatchingNoPortOpensCom2AndIsWrittenBack) {
    writeCfg(portsSection() + "[sec2]\nPortNo=COM3\n");
    start();
    EXPECT_EQ(form->HsCommDevice1.fGetPort(), 2);
    EXPECT_EQ(device(), com2.path());
    EXPECT_TRUE(form->HsCommDevice1.fGetActive());
    EXPECT_EQ(form->ComboBox1.Text(), "COM3");
    form->Close();
    EXPECT_EQ(TIniFile(cfgPath()).ReadString("sec2", "PortNo", ""), "COM3");
}

TEST_F(FormTest, FailedOpeningEmptiesTheSelectorAndLeavesOnlyExitAndFieldsUsable) {
    const std::string missing = dir.path("no-such-tty");
    writeCfg("[ports]\nCOM1=" + missing + "\nCOM2=" + com2.path() + "\n");
    start();
    EXPECT_FALSE(form->HsCommDevice1.fGetActive());
    EXPECT_EQ(form->ComboBox1.Text(), "");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Kind, TMessageKind::Message);
    const std::string firstLine = EComm32Error(ecOpenPort).what();
    EXPECT_EQ(boxes[0].Text.rfind(firstLine + "\n" + missing + ": ", 0), 0u) << boxes[0].Text;
    for (TControl* c : nineButtons(*form))
        EXPECT_FALSE(c->Enabled());
    EXPECT_TRUE(form->Button10.Enabled());
    EXPECT_TRUE(form->ComboBox1.Enabled());
    EXPECT_TRUE(form->Edit1.Enabled());
    EXPECT_TRUE(form->Edit2.Enabled());
    EXPECT_EQ(form->StatusBar1.SimpleText(), gbk("空闲状态"));

    // Another port can still be chosen.
    pickPort(1);
    EXPECT_TRUE(form->HsCommDevice1.fGetActive());
    EXPECT_EQ(device(), com2.path());
    for (TControl* c : nineButtons(*form))
        EXPECT_TRUE(c->Enabled());
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(FormTest, FailedOpeningWritesTheEmptySelectorAtClose) {
    writeCfg("[ports]\nCOM1=" + dir.path("no-such-tty") + "\n");
    start();
    form->Close();
    EXPECT_EQ(TIniFile(cfgPath()).ReadString("sec2", "PortNo", "missing"), "");
}

TEST_F(FormTest, ChoosingThePortAgainClosesAndReopensIt) {
    writeCfg(portsSection());
    start();
    int modemLineNotes = 0;
    form->HsCommDevice1.OnCommNotify = [&](void*, std::uint32_t bits) {
        if (bits & EV_MODEM_LINES)
            ++modemLineNotes;
    };
    pickPort(0);
    EXPECT_TRUE(form->HsCommDevice1.fGetActive());
    EXPECT_EQ(form->ComboBox1.Style(), csDropDownList);
    EXPECT_EQ(form->ComboBox1.Text(), gbk("串口一"));
    // One note for the closing, one for the opening.
    EXPECT_TRUE(waitFor([&] { return modemLineNotes >= 2; })) << modemLineNotes;

    pickPort(1);
    EXPECT_EQ(form->HsCommDevice1.fGetPort(), 2);
    EXPECT_EQ(device(), com2.path());
    EXPECT_TRUE(form->HsCommDevice1.fGetActive());
    EXPECT_EQ(form->ComboBox1.Items().size(), 8u);
    EXPECT_EQ(form->StatusBar1.SimpleText(), gbk("空闲状态"));
}

TEST_F(FormTest, NumberFieldsTakeOnlyDigitsAndBackspace) {
    writeCfg(portsSection());
    start();
    for (char key : {'a', '.', '-', ' ', '+', '\x1b', '\x7f', '\0', '\xD6', '\xB0', ':', '/'}) {
        char k1 = key, k2 = key;
        form->Edit1KeyPress(k1);
        form->Edit2KeyPress(k2);
        EXPECT_EQ(k1, 0) << int(key);
        EXPECT_EQ(k2, 0) << int(key);
    }
    for (char key : {'0', '5', '9', '\b'}) {
        char k1 = key, k2 = key;
        form->Edit1KeyPress(k1);
        form->Edit2KeyPress(k2);
        EXPECT_EQ(k1, key);
        EXPECT_EQ(k2, key);
    }

    // Typed for real: the filter sits between the keyboard and the field.
    form->Edit1.SetText("");
    QTest::keyClicks(form->Edit1.Widget(), "1a.- ");
    QKeyEvent chinese(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("中"));
    QApplication::sendEvent(form->Edit1.Widget(), &chinese);
    QTest::keyClicks(form->Edit1.Widget(), "2");
    EXPECT_EQ(form->Edit1.Text(), "12");
    QTest::keyClick(form->Edit1.Widget(), Qt::Key_Backspace);
    EXPECT_EQ(form->Edit1.Text(), "1");
    form->Edit2.SetText("");
    QTest::keyClicks(form->Edit2.Widget(), "x7");
    EXPECT_EQ(form->Edit2.Text(), "7");
}

TEST_F(FormTest, UnwritableSettingsAtCloseAreReportedAndTheWindowStillCloses) {
    writeCfg(portsSection());
    start();
    std::filesystem::remove(cfgPath());
    std::filesystem::create_directory(cfgPath());
    form->Close();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Kind, TMessageKind::Error);
    EXPECT_EQ(boxes[0].Text, "Unable to write to " + cfgPath() + ".");
    EXPECT_FALSE(form->HsCommDevice1.fGetActive());
    EXPECT_FALSE(form->Widget()->isVisible());
}

} // namespace
