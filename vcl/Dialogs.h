// The save and print dialogs, modal; tests replace them through hooks.
#pragma once

#include <functional>
#include <optional>
#include <string>

class TForm;

class TSaveDialog {
public:
    explicit TSaveDialog(TForm* Owner);

    // The platform's form: "description|pattern|description|pattern", GBK.
    std::string Filter() const { return filter; }
    void SetFilter(const std::string& Gbk);
    // A path in the file system's own bytes.
    std::string FileName() const { return fileName; }
    void SetFileName(const std::string& Path);

    // True when the operator confirmed a name (FileName then holds it).
    bool Execute();

    // Replaces the dialog: returns the chosen path, or nothing for a cancel. Empty: real dialog.
    using TestHook = std::function<std::optional<std::string>(const std::string& Filter)>;
    static void setTestHook(TestHook Hook);

private:
    TForm* owner;
    std::string filter;
    std::string fileName;
};

class QPrinter;

class TPrintDialog {
public:
    explicit TPrintDialog(TForm* Owner);

    // True when confirmed; the chosen printer is then Printer()'s.
    bool Execute();

    using TestHook = std::function<bool()>;
    static void setTestHook(TestHook Hook);

private:
    TForm* owner;
};
