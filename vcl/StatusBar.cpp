#include "StatusBar.h"

#include "QtText.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>

namespace {

constexpr int defaultHeight = 19;

// Keeps the bar at the bottom of its parent, across its width, as the parent changes size.
class BottomAligner : public QObject {
public:
    BottomAligner(QWidget* Bar, QWidget* Parent) : QObject(Bar), bar(Bar), parent(Parent) {
        Parent->installEventFilter(this);
        align();
    }

    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Watched == parent && Event->type() == QEvent::Resize)
            align();
        return false;
    }

private:
    void align() {
        const int height = bar->height();
        bar->setGeometry(0, parent->height() - height, parent->width(), height);
    }

    QWidget* bar;
    QWidget* parent;
};

} // namespace

TStatusBar::TStatusBar(TWinControl* Parent) : TControl(Parent, new QFrame), label(new QLabel) {
    auto* frame = static_cast<QFrame*>(Widget());
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->addWidget(label);
    frame->resize(frame->width(), defaultHeight);
    new BottomAligner(frame, Parent->ClientWidget());
}

void TStatusBar::SetSimpleText(const std::string& Gbk) {
    text = Gbk;
    label->setText(toQt(Gbk));
}
