#include "IniFile.h"

#include "ini_text.h"

#include "AtomicFile.h"
#include "gbk_text.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

namespace {

// The file's bytes; an empty text when it does not exist, nothing when it exists but cannot be
// read (so that a write never replaces content it could not see).
std::optional<std::string> readAll(const std::string& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) {
        std::error_code ec;
        if (!std::filesystem::exists(std::filesystem::path(path), ec) && !ec)
            return std::string();
        return std::nullopt;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return bytes;
}

bool hasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

} // namespace

TIniFile::TIniFile(std::string FileName) : fileName_(std::move(FileName)) {}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) const {
    auto text = readAll(fileName_);
    if (!text)
        return Default;
    return iniLookup(*text, Section, Ident).value_or(Default);
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident,
                           const std::string& Value) {
    const std::string failure = "Unable to write to " + utf8ToGbk(fileName_);
    // A line break would end the entry early and plant the rest as lines of their own.
    if (hasLineBreak(Section) || hasLineBreak(Ident) || hasLineBreak(Value))
        throw EIniFileException(failure);
    auto text = readAll(fileName_);
    if (!text)
        throw EIniFileException(failure);
    std::string error;
    if (!saveFileAtomically(fileName_, iniAssign(*text, Section, Ident, Value), error))
        throw EIniFileException(failure);
}
