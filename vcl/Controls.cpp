#include "Controls.h"

#include "QtText.h"

#include <QPalette>

TControl::TControl(TWinControl* Parent, QWidget* Widget) : widget(Widget) {
    if (Parent) {
        Widget->setParent(Parent->ClientWidget());
        // A child is hidden by reparenting; designed controls are visible unless told otherwise.
        Widget->show();
    }
}

TControl::~TControl() {
    delete widget.data();
}

void TControl::SetBounds(int Left, int Top, int Width, int Height) {
    widget->setGeometry(Left, Top, Width, Height);
}

int TControl::Left() const {
    return widget->x();
}
int TControl::Top() const {
    return widget->y();
}
int TControl::Width() const {
    return widget->width();
}
int TControl::Height() const {
    return widget->height();
}

void TControl::SetFont(const TFont& Font) {
    font = Font;
    // Only the parts set here are resolved; the rest keeps following the parent.
    QFont qtFont;
    if (!Font.Name.empty())
        qtFont.setFamily(toQt(Font.Name));
    if (Font.PixelSize > 0)
        qtFont.setPixelSize(Font.PixelSize);
    if (Font.Bold)
        qtFont.setBold(true);
    widget->setFont(qtFont);
    if (Font.Color) {
        const QColor colour(QRgb(*Font.Color));
        QPalette palette = widget->palette();
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(role, colour);
        widget->setPalette(palette);
    }
}

bool TControl::Enabled() const {
    return !widget->testAttribute(Qt::WA_ForceDisabled);
}

void TControl::SetEnabled(bool Value) {
    widget->setEnabled(Value);
}

bool TControl::Visible() const {
    return !widget->isHidden();
}

void TControl::SetVisible(bool Value) {
    widget->setVisible(Value);
}
