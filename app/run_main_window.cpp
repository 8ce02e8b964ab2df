#include "run_main_window.h"

#include "Application.h"
#include "Unit1.h"

int runMainWindow(int argc, char** argv, const std::function<void(TForm1&)>& Shown) {
    TApplication app(argc, argv);
    try {
        TForm1 Form1;
        Form1.Show();
        if (Shown)
            Shown(Form1);
        app.Run();
    } catch (...) {
        // Whatever reaches the entry is reported like any other failure; the run still ends
        // normally.
        app.HandleException();
    }
    return 0;
}
