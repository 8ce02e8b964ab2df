#include "Edit.h"

#include "OperatorLineEdit.h"
#include "QtText.h"

namespace {

OperatorLineEdit* editor(const TEdit& Control) {
    return static_cast<OperatorLineEdit*>(Control.Widget());
}

} // namespace

TEdit::TEdit(TWinControl* Parent) : TControl(Parent, new OperatorLineEdit) {
    OperatorLineEdit* line = editor(*this);
    line->KeyFilter = [this](char& Key) {
        if (OnKeyPress)
            OnKeyPress(Key);
    };
    line->Edited = [this] {
        if (OnChange)
            OnChange();
    };
    line->DoubleClicked = [this] {
        if (OnDblClick)
            OnDblClick();
    };
    line->MouseMoved = [this] {
        if (OnMouseMove)
            OnMouseMove();
    };
}

std::string TEdit::Text() const {
    const QString shown = editor(*this)->text();
    // Bytes the program set that do not survive the round trip through Unicode read back as set.
    if (shown == toQt(programText))
        return programText;
    return fromQt(shown);
}

void TEdit::SetText(const std::string& Gbk) {
    programText = Gbk;
    editor(*this)->setText(toQt(Gbk));
}

void TEdit::SetMaxLength(int Bytes) {
    maxLength = Bytes;
    editor(*this)->MaxBytes = Bytes;
}
