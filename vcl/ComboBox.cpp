#include "ComboBox.h"

#include "Application.h"
#include "OperatorLineEdit.h"
#include "QtText.h"

#include <QComboBox>

namespace {

QComboBox* combo(const TComboBox& Control) {
    return static_cast<QComboBox*>(Control.Widget());
}

int exactIndex(const QComboBox* Combo, const QString& Text) {
    return Combo->findText(Text, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

} // namespace

TComboBox::TComboBox(TWinControl* Parent) : TControl(Parent, new QComboBox) {
    QComboBox* box = combo(*this);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(8);
    attachLineEdit();
    // Picking an item, the one already chosen included, is an operator's change.
    QObject::connect(box, &QComboBox::activated, box, [this] { invokeGuarded(OnChange); });
}

void TComboBox::attachLineEdit() {
    QComboBox* box = combo(*this);
    auto* line = new OperatorLineEdit;
    line->MaxBytes = maxLength;
    line->Edited = [this] {
        invokeGuarded(OnChange);
        // The list opens as the operator types, whatever style the handler left.
        QComboBox* current = combo(*this);
        if (current->isVisible() && current->isEnabled() && current->count() > 0)
            current->showPopup();
    };
    box->setLineEdit(line);
    // Typed text is what the operator typed: no completion, and Enter picks nothing.
    box->setCompleter(nullptr);
    QObject::disconnect(line, &QLineEdit::returnPressed, box, nullptr);
}

std::string TComboBox::Text() const {
    return fromQtAsSet(combo(*this)->currentText(), programText);
}

void TComboBox::SetText(const std::string& Gbk) {
    QComboBox* box = combo(*this);
    if (style == csDropDown) {
        programText = Gbk;
        box->setEditText(toQt(Gbk));
        return;
    }
    const int index = exactIndex(box, toQt(Gbk));
    programText = index >= 0 ? Gbk : std::string();
    box->setCurrentIndex(index);
}

void TComboBox::SetItems(const std::vector<std::string>& Gbk) {
    const std::string text = Text();
    items = Gbk;
    QComboBox* box = combo(*this);
    box->clear();
    for (const std::string& item : Gbk)
        box->addItem(toQt(item));
    SetText(text);
}

int TComboBox::ItemIndex() const {
    const QComboBox* box = combo(*this);
    return exactIndex(box, box->currentText());
}

void TComboBox::SetItemIndex(int Index) {
    QComboBox* box = combo(*this);
    if (Index < 0 || Index >= box->count()) {
        SetText({});
        return;
    }
    SetText(items[static_cast<std::size_t>(Index)]);
}

void TComboBox::SetStyle(TComboBoxStyle Value) {
    if (Value == style)
        return;
    const std::string text = Text();
    style = Value;
    QComboBox* box = combo(*this);
    if (Value == csDropDownList) {
        // The editor may be the one whose edit got us here: Qt deletes it later, not now.
        box->setEditable(false);
    } else {
        attachLineEdit();
    }
    SetText(text);
}

void TComboBox::SetMaxLength(int Bytes) {
    maxLength = Bytes;
    if (auto* line = dynamic_cast<OperatorLineEdit*>(combo(*this)->lineEdit()))
        line->MaxBytes = Bytes;
}
