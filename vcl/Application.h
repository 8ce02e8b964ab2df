// The application object: the Qt application, the title, the program's path and the last-resort
// handling of exceptions that escape a handler.
#pragma once

#include <functional>
#include <memory>
#include <string>

class QApplication;
class TForm;

class TApplication {
public:
    // Creates the Qt application; one per process, reachable as Application.
    TApplication(int& argc, char** argv);
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // From the program file's name (no folder, no extension, letters after the first lower case).
    std::string Title() const { return title; }
    void SetTitle(const std::string& Gbk) { title = Gbk; }
    static std::string titleFromProgramPath(const std::string& Path);

    // The program file's full path and its folder with a trailing '/', in the file system's own
    // bytes. Tests point them elsewhere so that files next to the program land in a temp folder.
    std::string ExeName() const { return exeName; }
    std::string ExeDir() const;
    void SetExeNameForTesting(const std::string& Path);

    // Runs the event loop until the main form closes.
    int Run();
    // The first form created; closing it ends Run.
    TForm* MainForm() const { return mainForm; }
    void registerForm(TForm* Form);
    void unregisterForm(TForm* Form);

    // Shows the exception being handled in the error box; call from inside a catch block.
    void HandleException();

private:
    std::unique_ptr<QApplication> qtApp;
    std::string title;
    std::string exeName;
    TForm* mainForm = nullptr;
};

extern TApplication* Application;

// Runs a handler; an exception escaping it goes to the error box and the caller goes on. False
// when the handler ended by an exception.
bool invokeGuarded(const std::function<void()>& Handler);

// Runs tasks on the window's thread, in the order posted, from any thread; exceptions inside a
// task go to the error box.
std::function<void(std::function<void()>)> mainThreadPoster();
