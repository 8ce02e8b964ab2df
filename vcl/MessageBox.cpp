#include "MessageBox.h"

#include "Application.h"
#include "QtText.h"

#include <QApplication>
#include <QMessageBox>

namespace {

TMessageSink& sink() {
    static TMessageSink installed;
    return installed;
}

void show(TMessageKind Kind, const std::string& Gbk) {
    if (sink()) {
        sink()(Kind, Gbk);
        return;
    }
    const QString title = Application ? toQt(Application->Title()) : QString();
    QMessageBox box(Kind == TMessageKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    title, toQt(Gbk), QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

void ShowMessage(const std::string& Gbk) {
    show(TMessageKind::Message, Gbk);
}

void ShowErrorBox(const std::string& Gbk) {
    show(TMessageKind::Error, withFullStop(Gbk));
}

std::string withFullStop(const std::string& Gbk) {
    if (!Gbk.empty() && static_cast<unsigned char>(Gbk.back()) > '.')
        return Gbk + '.';
    return Gbk;
}

void setMessageSinkForTesting(TMessageSink Sink) {
    sink() = std::move(Sink);
}
