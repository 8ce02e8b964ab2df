// The text of a settings file: lookup and in-place assignment of one key, byte-exact for
// everything else (comments, unknown sections and keys, odd bytes, line endings).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// At most this many bytes of a value are taken, as the profile reader's buffer allows.
inline constexpr std::size_t IniValueLimit = 2047;

// The key's value (blanks around it dropped, then one pair of enclosing double quotes), or
// nothing when the section or key is missing.
// Names match without regard to ASCII case; the first matching section and key win.
std::optional<std::string> iniLookup(std::string_view Text, std::string_view Section,
                                     std::string_view Key);

// The text with Key set to Value (quoted when it has blanks at either end or is itself quoted,
// so that it reads back unchanged): its line replaced, else a line added to the section, else the
// section added at the end. New lines follow the ending of the file's first line (LF when none).
std::string iniAssign(std::string_view Text, std::string_view Section, std::string_view Key,
                      std::string_view Value);
