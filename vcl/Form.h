// A top-level window: tool-window frame, fixed client size, centred on the screen.
#pragma once

#include "Controls.h"

#include <QImage>
#include <functional>
#include <string>

enum TCloseAction { caNone, caHide, caFree };

class TForm : public TWinControl {
public:
    TForm();
    ~TForm() override;

    std::string Caption() const { return caption; }
    void SetCaption(const std::string& Gbk);

    // Fixed: the operator cannot resize the window.
    void SetClientSize(int Width, int Height);
    // Centres now and at every Show.
    void CenterOnScreen();

    void Show();
    // Asks to close exactly as the close box does: runs OnClose; an exception escaping it is
    // shown in the error box and the window stays open. Closing the main form ends the loop.
    void Close();
    std::function<void(TCloseAction& Action)> OnClose;

    // Runs a creation handler the way the platform does: an exception is shown in the error box
    // and the window opens all the same.
    void DoCreate(const std::function<void()>& OnCreate);

    // The client area as painted now: background first, then every visible control.
    QImage GetFormImage() const;

    // Runs tasks later on the window's thread in the order posted (the device component's
    // poster). Tasks still pending when the form is destroyed are dropped.
    std::function<void(std::function<void()>)> Poster() const;

private:
    friend class FormWidget;
    bool runOnClose();
    std::string caption;
    bool centred = false;
};
