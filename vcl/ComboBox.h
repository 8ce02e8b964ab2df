// The port selector: an editable drop-down that can be switched to a pick list.
#pragma once

#include "Controls.h"

#include <functional>
#include <string>
#include <vector>

enum TComboBoxStyle { csDropDown, csDropDownList };

class TComboBox : public TControl {
public:
    explicit TComboBox(TWinControl* Parent);

    // GBK. Text set by the program raises no OnChange. In a pick list only an item's text can be
    // shown: another text selects nothing and reads back empty.
    std::string Text() const;
    void SetText(const std::string& Gbk);

    std::vector<std::string> Items() const { return items; }
    void SetItems(const std::vector<std::string>& Gbk);
    int ItemIndex() const;
    void SetItemIndex(int Index);

    // Switching keeps the items; a pick list keeps the current text when it is one of them.
    TComboBoxStyle Style() const { return style; }
    void SetStyle(TComboBoxStyle Value);

    // Most GBK bytes the operator can type; 0: no limit.
    int MaxLength() const { return maxLength; }
    void SetMaxLength(int Bytes);

    // The operator's changes only: typing, or picking an item (the same one included).
    std::function<void()> OnChange;

private:
    void attachLineEdit();
    std::vector<std::string> items;
    TComboBoxStyle style = csDropDown;
    int maxLength = 0;
    std::string programText;
};
