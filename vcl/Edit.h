// A single-line text box with the platform's key filter and a length limit in GBK bytes.
#pragma once

#include "Controls.h"

#include <functional>
#include <string>

class TEdit : public TControl {
public:
    explicit TEdit(TWinControl* Parent);

    // GBK. Text set by the program bypasses the key filter and the length limit, and reads back
    // exactly the bytes set until the operator edits it.
    std::string Text() const;
    void SetText(const std::string& Gbk);

    // Most GBK bytes the operator can type or paste; 0: no limit.
    int MaxLength() const { return maxLength; }
    void SetMaxLength(int Bytes);

    // Sees each typed character as its GBK bytes, one call per byte (backspace is 8); setting Key
    // to 0 discards the character, which is inserted only if all its bytes survive.
    std::function<void(char& Key)> OnKeyPress;
    std::function<void()> OnChange;
    // A double click counts only when both of its clicks landed on this box.
    std::function<void()> OnDblClick;
    std::function<void()> OnMouseMove;

private:
    int maxLength = 0;
    std::string programText;
};
