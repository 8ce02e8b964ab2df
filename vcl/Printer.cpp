#include "Printer.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPrinter>

namespace {

struct TestSink {
    int dpiX = 0;
    int dpiY = 0;
    std::function<void(const TPrinter::TestPage&)> deliver;
};

TestSink& testSink() {
    static TestSink installed;
    return installed;
}

TPrinter*& theOne() {
    static TPrinter* printer = nullptr;
    return printer;
}

} // namespace

TPrinter::TPrinter() : printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

TPrinter::~TPrinter() = default;

void TPrinter::BeginDoc() {
    if (printing)
        throw EPrinter("Printing in progress");
    if (testSink().deliver) {
        page = TestPage{testSink().dpiX, testSink().dpiY, {}, {}};
        printing = true;
        return;
    }
    printer->setDocName(QString());
    auto started = std::make_unique<QPainter>();
    if (!started->begin(printer.get()))
        throw EPrinter("Printer selected is not valid");
    painter = std::move(started);
    printing = true;
}

void TPrinter::EndDoc() {
    if (!printing)
        return;
    printing = false;
    if (painter) {
        painter->end();
        painter.reset();
        return;
    }
    if (testSink().deliver)
        testSink().deliver(page);
}

int TPrinter::PixelsPerInchX() const {
    return testSink().deliver ? testSink().dpiX : printer->logicalDpiX();
}

int TPrinter::PixelsPerInchY() const {
    return testSink().deliver ? testSink().dpiY : printer->logicalDpiY();
}

void TPrinter::StretchDraw(const QRect& Rect, const QImage& Image) {
    if (!printing)
        return;
    if (painter) {
        painter->drawImage(Rect, Image);
        return;
    }
    page.rect = Rect;
    page.image = Image;
}

void TPrinter::setTestSink(int DpiX, int DpiY, std::function<void(const TestPage&)> Sink) {
    testSink() = TestSink{DpiX, DpiY, std::move(Sink)};
}

TPrinter* Printer() {
    if (!theOne()) {
        theOne() = new TPrinter;
        // Released with the application, while the print system is still there.
        qAddPostRoutine([] {
            delete theOne();
            theOne() = nullptr;
        });
    }
    return theOne();
}
