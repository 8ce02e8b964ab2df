#include "Dialogs.h"

#include "Form.h"
#include "Printer.h"
#include "QtText.h"

#include <QFile>
#include <QFileDialog>
#include <QPrintDialog>
#include <QStringList>

namespace {

TSaveDialog::TestHook& saveHook() {
    static TSaveDialog::TestHook installed;
    return installed;
}

TPrintDialog::TestHook& printHook() {
    static TPrintDialog::TestHook installed;
    return installed;
}

QWidget* parentOf(TForm* Owner) {
    return Owner ? Owner->Widget() : nullptr;
}

// "Text files (*.txt)|*.txt|All|*.*" becomes Qt's "Text files (*.txt) (*.txt);;All (*.*)".
QString qtFilter(const std::string& Filter) {
    const QStringList parts = toQt(Filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(u';', u' ') +
                       u')';
    return filters.join(QStringLiteral(";;"));
}

} // namespace

TSaveDialog::TSaveDialog(TForm* Owner) : owner(Owner) {}

void TSaveDialog::SetFilter(const std::string& Gbk) {
    filter = Gbk;
}

void TSaveDialog::SetFileName(const std::string& Path) {
    fileName = Path;
}

bool TSaveDialog::Execute() {
    if (saveHook()) {
        const std::optional<std::string> chosen = saveHook()(filter);
        if (chosen)
            fileName = *chosen;
        return chosen.has_value();
    }
    // No overwrite question: the caller decides what an existing file means.
    const QString chosen = QFileDialog::getSaveFileName(
        parentOf(owner), QString(), QFile::decodeName(fileName.c_str()), qtFilter(filter), nullptr,
        QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty())
        return false;
    fileName = QFile::encodeName(chosen).toStdString();
    return true;
}

void TSaveDialog::setTestHook(TestHook Hook) {
    saveHook() = std::move(Hook);
}

TPrintDialog::TPrintDialog(TForm* Owner) : owner(Owner) {}

bool TPrintDialog::Execute() {
    if (printHook())
        return printHook()();
    QPrintDialog dialog(&Printer()->device(), parentOf(owner));
    return dialog.exec() == QDialog::Accepted;
}

void TPrintDialog::setTestHook(TestHook Hook) {
    printHook() = std::move(Hook);
}
