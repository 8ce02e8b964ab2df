#include "Form.h"

#include "Application.h"
#include "QtText.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

class FormWidget : public QWidget {
public:
    explicit FormWidget(TForm& Owner) : owner(Owner) {
        setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint);
    }

protected:
    void closeEvent(QCloseEvent* Event) override {
        if (!owner.runOnClose()) {
            Event->ignore();
            return;
        }
        Event->accept();
        if (Application && Application->MainForm() == &owner)
            QCoreApplication::quit();
    }

private:
    TForm& owner;
};

TForm::TForm() : TWinControl(nullptr, new FormWidget(*this)) {
    if (Application)
        Application->registerForm(this);
}

TForm::~TForm() {
    if (Application)
        Application->unregisterForm(this);
}

void TForm::SetCaption(const std::string& Gbk) {
    caption = Gbk;
    Widget()->setWindowTitle(toQt(Gbk));
}

void TForm::SetClientSize(int Width, int Height) {
    Widget()->setFixedSize(Width, Height);
}

void TForm::CenterOnScreen() {
    centred = true;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(), Widget()->size());
    frame.moveCenter(screen->availableGeometry().center());
    Widget()->move(frame.topLeft());
}

void TForm::Show() {
    if (centred)
        CenterOnScreen();
    Widget()->show();
}

void TForm::Close() {
    Widget()->close();
}

bool TForm::runOnClose() {
    TCloseAction action = caHide;
    const bool completed = invokeGuarded([&] {
        if (OnClose)
            OnClose(action);
    });
    return completed && action != caNone;
}

void TForm::DoCreate(const std::function<void()>& OnCreate) {
    invokeGuarded(OnCreate);
}

QImage TForm::GetFormImage() const {
    QImage image = Widget()->grab().toImage();
    // The image is measured in design pixels, whatever the screen's scale.
    if (image.size() != Widget()->size())
        image = image.scaled(Widget()->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

std::function<void(std::function<void()>)> TForm::Poster() const {
    QWidget* context = Widget();
    return [context](std::function<void()> Task) {
        QMetaObject::invokeMethod(
            context, [Task = std::move(Task)] { invokeGuarded(Task); }, Qt::QueuedConnection);
    };
}
