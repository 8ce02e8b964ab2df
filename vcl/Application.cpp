#include "Application.h"

#include "DateTimeText.h"
#include "Fonts.h"
#include "Form.h"
#include "MessageBox.h"
#include "QtText.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <exception>

TApplication* Application = nullptr;

namespace {

// Qt must never see an exception leave an event handler; whatever the handlers' own guards do
// not cover ends here, in the error box, and the loop goes on.
class GuardedApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* Receiver, QEvent* Event) override {
        try {
            return QApplication::notify(Receiver, Event);
        } catch (...) {
            showCurrentException();
            return false;
        }
    }

    static void showCurrentException() {
        try {
            throw;
        } catch (const std::exception& e) {
            ShowErrorBox(e.what());
        } catch (...) {
            ShowErrorBox("Unknown exception");
        }
    }
};

} // namespace

TApplication::TApplication(int& argc, char** argv)
    : qtApp(std::make_unique<GuardedApplication>(argc, argv)) {
    Application = this;
    // The main form ends the loop itself; dialogs and tool frames must not.
    qtApp->setQuitOnLastWindowClosed(false);
    exeName = QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
    title = titleFromProgramPath(exeName);
    installFontSubstitutions();
    loadFormatSettings();
}

TApplication::~TApplication() {
    Application = nullptr;
}

std::string TApplication::titleFromProgramPath(const std::string& Path) {
    QString name = QFileInfo(QFile::decodeName(QByteArray::fromStdString(Path))).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    if (name.isEmpty())
        return {};
    // The first letter keeps its case; only the rest is lowered.
    return fromQt(name.left(1) + name.mid(1).toLower());
}

std::string TApplication::ExeDir() const {
    const QString dir = QFileInfo(QFile::decodeName(QByteArray::fromStdString(exeName))).path();
    return QFile::encodeName(dir).toStdString() + '/';
}

void TApplication::SetExeNameForTesting(const std::string& Path) {
    exeName = Path;
    title = titleFromProgramPath(Path);
}

int TApplication::Run() {
    return qtApp->exec();
}

void TApplication::registerForm(TForm* Form) {
    if (!mainForm)
        mainForm = Form;
}

void TApplication::unregisterForm(TForm* Form) {
    if (mainForm == Form)
        mainForm = nullptr;
}

void TApplication::HandleException() {
    GuardedApplication::showCurrentException();
}

bool invokeGuarded(const std::function<void()>& Handler) {
    if (!Handler)
        return true;
    try {
        Handler();
        return true;
    } catch (...) {
        GuardedApplication::showCurrentException();
        return false;
    }
}

std::function<void(std::function<void()>)> mainThreadPoster() {
    return [](std::function<void()> Task) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app)
            return;
        QMetaObject::invokeMethod(
            app, [Task = std::move(Task)] { invokeGuarded(Task); }, Qt::QueuedConnection);
    };
}
