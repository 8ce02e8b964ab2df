#include "Button.h"

#include "Application.h"
#include "QtText.h"

#include <QPushButton>

TButton::TButton(TWinControl* Parent) : TControl(Parent, new QPushButton) {
    auto* button = static_cast<QPushButton*>(Widget());
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, button, [this] { Click(); });
}

void TButton::SetCaption(const std::string& Gbk) {
    caption = Gbk;
    static_cast<QPushButton*>(Widget())->setText(toQt(Gbk));
}

void TButton::Click() {
    invokeGuarded(OnClick);
}
