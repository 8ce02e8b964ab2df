// The program's run: the application, the main window, the event loop until the window closes.
#pragma once

#include <functional>

class TForm1;

// `Shown`, when given, runs once the window is on screen (the screenshot tool uses it).
int runMainWindow(int argc, char** argv, const std::function<void(TForm1&)>& Shown = {});
