// The base of every visible control: a Qt widget placed in pixels in its parent's client area.
#pragma once

#include "Graphics.h"

#include <QPointer>
#include <QWidget>

class TWinControl;

class TControl {
public:
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    void SetBounds(int Left, int Top, int Width, int Height);
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;

    void SetFont(const TFont& Font);
    const TFont& Font() const { return font; }

    // The control's own flags, as designed: a hidden or disabled parent does not change them.
    bool Enabled() const;
    void SetEnabled(bool Value);
    bool Visible() const;
    void SetVisible(bool Value);

    // The underlying widget, for tests (mouse and key simulation) and the form image.
    QWidget* Widget() const { return widget; }

protected:
    // Takes ownership of Widget and puts it into Parent's client area (Parent null: a top level).
    TControl(TWinControl* Parent, QWidget* Widget);

private:
    QPointer<QWidget> widget;
    TFont font;
};

// A control that holds other controls.
class TWinControl : public TControl {
public:
    virtual QWidget* ClientWidget() const { return Widget(); }

protected:
    using TControl::TControl;
};
