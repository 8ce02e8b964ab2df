#include "SpeedButton.h"

#include "Application.h"
#include "QtText.h"

#include <QToolButton>

namespace {

QToolButton* button(const TSpeedButton& Control) {
    return static_cast<QToolButton*>(Control.Widget());
}

} // namespace

TSpeedButton::TSpeedButton(TWinControl* Parent) : TControl(Parent, new QToolButton) {
    QToolButton* tool = button(*this);
    tool->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // Like the platform's speed buttons it never takes the focus from the operator's field.
    tool->setFocusPolicy(Qt::NoFocus);
    QObject::connect(tool, &QToolButton::clicked, tool, [this] { Click(); });
}

void TSpeedButton::SetCaption(const std::string& Gbk) {
    caption = Gbk;
    button(*this)->setText(toQt(Gbk));
}

bool TSpeedButton::Flat() const {
    return button(*this)->autoRaise();
}

void TSpeedButton::SetFlat(bool Value) {
    button(*this)->setAutoRaise(Value);
}

void TSpeedButton::Click() {
    invokeGuarded(OnClick);
}
