#include "Label.h"

#include "Application.h"
#include "QtText.h"

#include <QLabel>
#include <QMouseEvent>

namespace {

Qt::Alignment toQt(TAlignment Value) {
    switch (Value) {
    case taRightJustify:
        return Qt::AlignRight | Qt::AlignVCenter;
    case taCenter:
        return Qt::AlignCenter;
    case taLeftJustify:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

class LabelWidget : public QLabel {
public:
    explicit LabelWidget(TLabel& Owner) : owner(Owner) {
        // Captions come from the settings file: never read them as markup.
        setTextFormat(Qt::PlainText);
        setMouseTracking(true);
        setAlignment(toQt(taLeftJustify));
    }

protected:
    void mousePressEvent(QMouseEvent* Event) override {
        if (Event->button() == Qt::LeftButton)
            pressed = true;
        QLabel::mousePressEvent(Event);
    }
    void mouseReleaseEvent(QMouseEvent* Event) override {
        const bool click = pressed && Event->button() == Qt::LeftButton &&
                           rect().contains(Event->position().toPoint());
        pressed = false;
        QLabel::mouseReleaseEvent(Event);
        if (click)
            owner.Click();
    }
    void mouseDoubleClickEvent(QMouseEvent* Event) override {
        QLabel::mouseDoubleClickEvent(Event);
        if (Event->button() == Qt::LeftButton)
            invokeGuarded(owner.OnDblClick);
    }
    void mouseMoveEvent(QMouseEvent* Event) override {
        QLabel::mouseMoveEvent(Event);
        invokeGuarded(owner.OnMouseMove);
    }
    void enterEvent(QEnterEvent* Event) override {
        QLabel::enterEvent(Event);
        invokeGuarded(owner.OnMouseEnter);
    }
    void leaveEvent(QEvent* Event) override {
        QLabel::leaveEvent(Event);
        invokeGuarded(owner.OnMouseLeave);
    }

private:
    TLabel& owner;
    bool pressed = false;
};

QLabel* label(const TLabel& Control) {
    return static_cast<QLabel*>(Control.Widget());
}

} // namespace

TLabel::TLabel(TWinControl* Parent) : TControl(Parent, new LabelWidget(*this)) {}

void TLabel::SetCaption(const std::string& Gbk) {
    caption = Gbk;
    label(*this)->setText(::toQt(Gbk));
}

void TLabel::SetAlignment(TAlignment Value) {
    alignment = Value;
    label(*this)->setAlignment(toQt(Value));
}

void TLabel::SetTransparent(bool Value) {
    Widget()->setAutoFillBackground(!Value);
}

void TLabel::SetColor(TColor Value) {
    QPalette palette = Widget()->palette();
    palette.setColor(QPalette::Window, QColor(QRgb(Value)));
    Widget()->setPalette(palette);
    Widget()->setAutoFillBackground(true);
}

void TLabel::Click() {
    invokeGuarded(OnClick);
}
