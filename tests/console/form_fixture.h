// A window started from a settings file in a temp folder, its ports on pseudo-terminals, its
// message boxes recorded instead of shown.
#pragma once

#include "Unit1.h"

#include "pty_pair.h"
#include "temp_dir.h"

#include "gbk_text.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

struct Box {
    TMessageKind Kind;
    std::string Text; // GBK, as shown
};

class FormTest : public testing::Test {
protected:
    void SetUp() override {
        Application->SetExeNameForTesting(dir.path("weighdisplay"));
        setMessageSinkForTesting([this](TMessageKind kind, const std::string& text) {
            boxes.push_back({kind, text});
        });
    }
    void TearDown() override {
        form.reset();
        setMessageSinkForTesting(nullptr);
    }

    std::string cfgPath() const { return dir.path("cfg.ini"); }
    // [ports] pointing COM1 and COM2 at the two pseudo-terminals, then the given text.
    std::string portsSection() const {
        return "[ports]\nCOM1=" + com1.path() + "\nCOM2=" + com2.path() + "\n";
    }
    void writeCfg(const std::string& bytes) { writeFile(cfgPath(), bytes); }
    void start() {
        form = std::make_unique<TForm1>();
        form->Show();
    }

    // The operator picks an item of the port selector from its list.
    void pickPort(int index) {
        auto* combo = static_cast<QComboBox*>(form->ComboBox1.Widget());
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    std::string device() { return form->HsCommDevice1.Comm().DeviceName(); }

    static std::string gbk(const char* utf8) { return utf8ToGbk(utf8); }

    TempDir dir;
    PtyPair com1;
    PtyPair com2;
    std::vector<Box> boxes;
    std::unique_ptr<TForm1> form;
};

// Runs the event loop until Done holds or 10 s pass.
template <typename Pred> bool waitFor(Pred Done) {
    QElapsedTimer clock;
    clock.start();
    while (!Done()) {
        if (clock.elapsed() > 10000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
