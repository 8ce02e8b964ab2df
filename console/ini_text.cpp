#include "ini_text.h"

#include <vector>

namespace {

struct Line {
    std::string_view Body; // without its ending
    std::string_view Eol;  // "\n", "\r\n" or "" on a last line without one
};

std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) {
            lines.push_back({text.substr(pos), {}});
            break;
        }
        std::size_t end = nl;
        if (end > pos && text[end - 1] == '\r')
            --end;
        lines.push_back({text.substr(pos, end - pos), text.substr(end, nl + 1 - end)});
        pos = nl + 1;
    }
    return lines;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

// The name of a section header line, or nothing for any other line. A header missing its
// closing bracket still names a section, so a damaged header never merges two sections.
std::optional<std::string_view> sectionName(std::string_view body) {
    std::string_view s = trim(body);
    if (s.empty() || s.front() != '[')
        return std::nullopt;
    s.remove_prefix(1);
    std::size_t close = s.find(']');
    return trim(s.substr(0, close));
}

struct KeyLine {
    std::string_view Key;
    std::string_view Value;
};

// Comments and lines without '=' are no key lines; they are only carried along.
std::optional<KeyLine> keyLine(std::string_view body) {
    std::string_view s = trim(body);
    if (s.empty() || s.front() == ';' || s.front() == '#')
        return std::nullopt;
    std::size_t eq = s.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return KeyLine{trim(s.substr(0, eq)), trim(s.substr(eq + 1))};
}

// Lines [First, Last) of the first section so named; First is the header's index.
struct SectionSpan {
    std::size_t First;
    std::size_t Last;
};

std::optional<SectionSpan> findSection(const std::vector<Line>& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto name = sectionName(lines[i].Body);
        if (!name || !sameName(*name, section))
            continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !sectionName(lines[end].Body))
            ++end;
        return SectionSpan{i, end};
    }
    return std::nullopt;
}

bool isQuoted(std::string_view s) {
    return s.size() >= 2 && s.front() == '"' && s.back() == '"';
}

// Blanks around a value are dropped on reading, so a value that has them (a title typed with
// leading blanks) is written in quotes, as is one that is itself quoted; one pair is taken off.
std::string quotedIfNeeded(std::string_view value) {
    if (value.empty() || (!isBlank(value.front()) && !isBlank(value.back()) && !isQuoted(value)))
        return std::string(value);
    return "\"" + std::string(value) + "\"";
}

std::string_view unquoted(std::string_view value) {
    return isQuoted(value) ? value.substr(1, value.size() - 2) : value;
}

} // namespace

std::optional<std::string> iniLookup(std::string_view Text, std::string_view Section,
                                     std::string_view Key) {
    auto lines = splitLines(Text);
    auto span = findSection(lines, Section);
    if (!span)
        return std::nullopt;
    for (std::size_t i = span->First + 1; i < span->Last; ++i) {
        auto kv = keyLine(lines[i].Body);
        if (kv && sameName(kv->Key, Key))
            return std::string(unquoted(kv->Value).substr(0, IniValueLimit));
    }
    return std::nullopt;
}

std::string iniAssign(std::string_view Text, std::string_view Section, std::string_view Key,
                      std::string_view Value) {
    auto lines = splitLines(Text);
    const std::string_view eol =
        (!lines.empty() && !lines.front().Eol.empty()) ? lines.front().Eol : std::string_view("\n");
    const std::string entry = std::string(Key) + "=" + quotedIfNeeded(Value);

    std::size_t replaceAt = lines.size(); // the line to replace, or
    std::size_t insertAt = lines.size();  // the place to insert before
    bool newSection = true;
    if (auto span = findSection(lines, Section)) {
        newSection = false;
        insertAt = span->First + 1;
        for (std::size_t i = span->First + 1; i < span->Last; ++i) {
            auto kv = keyLine(lines[i].Body);
            if (!kv)
                continue;
            if (sameName(kv->Key, Key)) {
                replaceAt = i;
                break;
            }
            insertAt = i + 1;
        }
    }

    std::string out;
    out.reserve(Text.size() + entry.size() + Section.size() + 8);
    auto emit = [&](std::string_view body, std::string_view end) {
        out.append(body);
        out.append(end);
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == replaceAt) {
            emit(entry, lines[i].Eol.empty() ? eol : lines[i].Eol);
            continue;
        }
        if (!newSection && replaceAt == lines.size() && i == insertAt)
            emit(entry, eol);
        // A last line without an ending gets one when something follows it.
        const bool last = i + 1 == lines.size();
        const bool followed =
            !last || newSection || (replaceAt == lines.size() && insertAt == lines.size());
        emit(lines[i].Body, lines[i].Eol.empty() && followed ? eol : lines[i].Eol);
    }
    if (newSection) {
        emit("[" + std::string(Section) + "]", eol);
        emit(entry, eol);
    } else if (replaceAt == lines.size() && insertAt == lines.size()) {
        emit(entry, eol);
    }
    return out;
}
