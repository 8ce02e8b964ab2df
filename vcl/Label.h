// A static text; also the clickable title line, hence its mouse events.
#pragma once

#include "Controls.h"

#include <functional>
#include <string>

class TLabel : public TControl {
public:
    explicit TLabel(TWinControl* Parent);

    // GBK; reads back exactly the bytes set.
    std::string Caption() const { return caption; }
    void SetCaption(const std::string& Gbk);

    TAlignment Alignment() const { return alignment; }
    void SetAlignment(TAlignment Value);
    // Transparent: the parent's background shows through; otherwise the label fills its colour.
    void SetTransparent(bool Value);
    void SetColor(TColor Value);

    // Click is raised on release inside the label, as the platform does.
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    // Raised on every move over the label, buttons pressed or not.
    std::function<void()> OnMouseMove;
    std::function<void()> OnMouseEnter;
    std::function<void()> OnMouseLeave;

    // Runs OnClick as a click would (exceptions go to the error box).
    void Click();

private:
    std::string caption;
    TAlignment alignment = taLeftJustify;
};
