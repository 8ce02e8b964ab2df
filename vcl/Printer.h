// The printer the print dialog chose: one job, one page, a bitmap stretched into a rectangle.
#pragma once

#include <QImage>
#include <QRect>
#include <functional>
#include <memory>
#include <stdexcept>

class QPainter;
class QPrinter;

class TPrinter {
public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // Starts a job without a name on the chosen printer; raises EPrinter when one is running or
    // the printer cannot start.
    void BeginDoc();
    // Prints the page.
    void EndDoc();
    bool Printing() const { return printing; }

    // Dots per inch across and down (LOGPIXELSX, LOGPIXELSY).
    int PixelsPerInchX() const;
    int PixelsPerInchY() const;

    // Draws Image scaled into Rect, in dots from the corner of the printable area.
    void StretchDraw(const QRect& Rect, const QImage& Image);

    QPrinter& device() { return *printer; }

    // While set, a job goes to the sink instead of a printer, with this resolution.
    struct TestPage {
        int dpiX = 0;
        int dpiY = 0;
        QRect rect;
        QImage image;
    };
    static void setTestSink(int DpiX, int DpiY, std::function<void(const TestPage&)> Sink);

private:
    std::unique_ptr<QPrinter> printer;
    std::unique_ptr<QPainter> painter;
    bool printing = false;
    TestPage page;
};

class EPrinter : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The one printer object of the program.
TPrinter* Printer();
