// The program entry: the application, the main window, the event loop until the window closes.
#include "Application.h"
#include "Unit1.h"

#include <QTimer>
#include <cstdlib>

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    try {
        TForm1 Form1;
        Form1.Show();
        // For tools/run-window.sh --screenshot: ask for a reading, picture the window once it
        // may have arrived, then close the ordinary way so that cfg.ini is written.
        if (const char* shot = std::getenv("WEIGHDISPLAY_SCREENSHOT"); shot && *shot) {
            QTimer::singleShot(500, [&Form1] {
                if (Form1.Button6.Enabled())
                    Form1.Button6.Click();
            });
            QTimer::singleShot(1500, [&Form1, path = QString::fromLocal8Bit(shot)] {
                Form1.Widget()->grab().save(path, "PNG");
                Form1.Close();
            });
        }
        app.Run();
    } catch (...) {
        // Whatever reaches the entry is reported like any other failure; the run still ends
        // normally.
        app.HandleException();
    }
    return 0;
}
