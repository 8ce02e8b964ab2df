// The one-line status bar, kept at the bottom of its parent across the parent's width.
#pragma once

#include "Controls.h"

#include <string>

class QLabel;

class TStatusBar : public TControl {
public:
    explicit TStatusBar(TWinControl* Parent);

    std::string SimpleText() const { return text; }
    void SetSimpleText(const std::string& Gbk);

private:
    QLabel* label;
    std::string text;
};
