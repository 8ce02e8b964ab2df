// A button without a latched state whose flat or raised look shows a mode.
#pragma once

#include "Controls.h"

#include <functional>
#include <string>

class TSpeedButton : public TControl {
public:
    explicit TSpeedButton(TWinControl* Parent);

    std::string Caption() const { return caption; }
    void SetCaption(const std::string& Gbk);

    bool Flat() const;
    void SetFlat(bool Value);

    std::function<void()> OnClick;
    void Click();

private:
    std::string caption;
};
