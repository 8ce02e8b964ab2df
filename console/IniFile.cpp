#include "IniFile.h"

#include "ini_text.h"

#include "AtomicFile.h"
#include "gbk_text.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

namespace {

constexpr std::uintmax_t IniFileSizeLimit = 16 * 1024 * 1024;

// The file's bytes; an empty text when it does not exist, nothing when it exists but cannot be
// read (so that a write never replaces content it could not see).
std::optional<std::string> readAll(const std::string& path) {
    const std::filesystem::path file(path);
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (status.type() == std::filesystem::file_type::not_found)
        return std::string();
    // Only a regular file of a settings file's size: a pipe or a device could block or never end.
    if (ec || !std::filesystem::is_regular_file(status) ||
        std::filesystem::file_size(file, ec) > IniFileSizeLimit || ec)
        return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    // The stream buffer raises on a read error (a folder in the file's place, an I/O error).
    try {
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool hasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

} // namespace

TIniFile::TIniFile(std::string FileName)
    : fileName_(std::move(FileName)), text_(readAll(fileName_)) {}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) const {
    if (!text_)
        return Default;
    return iniLookup(*text_, Section, Ident).value_or(Default);
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident,
                           const std::string& Value) {
    const std::string failure = "Unable to write to " + utf8ToGbk(fileName_);
    // A line break would end the entry early and plant the rest as lines of their own.
    if (hasLineBreak(Section) || hasLineBreak(Ident) || hasLineBreak(Value))
        throw EIniFileException(failure);
    if (!text_)
        throw EIniFileException(failure);
    std::string updated = iniAssign(*text_, Section, Ident, Value);
    std::string error;
    if (!saveFileAtomically(fileName_, updated, error))
        throw EIniFileException(failure);
    text_ = std::move(updated);
}
