// The settings file: a profile file of GBK text read and written key by key.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

class EIniFileException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file is read once, when the object is made (it lives inside one handler); each write
// then works on that text.
class TIniFile {
public:
    explicit TIniFile(std::string FileName);

    // Default when the file, the section or the key is missing; an empty value reads as empty.
    std::string ReadString(const std::string& Section, const std::string& Ident,
                           const std::string& Default) const;
    // Each write replaces the whole file in one step, so a crash or a full disk never leaves a
    // half-written file. Raises EIniFileException "Unable to write to <path>" on failure.
    void WriteString(const std::string& Section, const std::string& Ident,
                     const std::string& Value);

    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    // Nothing when the file exists but cannot be read: then it is never overwritten.
    std::optional<std::string> text_;
};
