#include "Panel.h"

#include <QFrame>

TPanel::TPanel(TWinControl* Parent) : TWinControl(Parent, new QFrame) {
    SetBevelOuter(bvRaised);
}

void TPanel::SetBevelOuter(TBevelCut Value) {
    auto* frame = static_cast<QFrame*>(Widget());
    switch (Value) {
    case bvNone:
        frame->setFrameStyle(QFrame::NoFrame);
        break;
    case bvLowered:
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        break;
    case bvRaised:
        frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
        break;
    }
}

void TPanel::SetColor(TColor Value) {
    QPalette palette = Widget()->palette();
    palette.setColor(QPalette::Window, QColor(QRgb(Value)));
    Widget()->setPalette(palette);
    Widget()->setAutoFillBackground(true);
}
