// The program entry: the application, the main window, the event loop until the window closes.
#include "Application.h"
#include "Unit1.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    try {
        TForm1 Form1;
        Form1.Show();
        app.Run();
    } catch (...) {
        // Whatever reaches the entry is reported like any other failure; the run still ends
        // normally.
        app.HandleException();
    }
    return 0;
}
