// A push button.
#pragma once

#include "Controls.h"

#include <functional>
#include <string>

class TButton : public TControl {
public:
    explicit TButton(TWinControl* Parent);

    std::string Caption() const { return caption; }
    void SetCaption(const std::string& Gbk);

    std::function<void()> OnClick;
    // Runs OnClick as the platform's Click does, whether enabled or not (exceptions go to the
    // error box). An operator's click on a disabled button never reaches OnClick.
    void Click();

private:
    std::string caption;
};
