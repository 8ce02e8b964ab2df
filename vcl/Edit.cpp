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
    return fromQtAsSet(editor(*this)->text(), programText);
}

void TEdit::SetText(const std::string& Gbk) {
    programText = Gbk;
    editor(*this)->setText(toQt(Gbk));
}

void TEdit::SetMaxLength(int Bytes) {
    maxLength = Bytes;
    editor(*this)->MaxBytes = Bytes;
}
