#include "core/ini_file.h"

#include <climits>
#include <cstdint>
#include <new>
#include <vector>

#include "core/file_io.h"

namespace kurv {

namespace {

// A settings file beyond this size is not ours: it is neither read nor rewritten.
constexpr std::uint64_t kMaxFileSize = std::uint64_t{64} << 20;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

// One line of the file: its text without the line break, and where the next line begins.
struct Line {
    std::size_t begin;
    std::size_t end;   // end of the text
    std::size_t next;  // after the line break (== end on a last line without one)
};

// LF, CR LF and a lone CR all end a line.
std::vector<Line> SplitLines(std::string_view content) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t end = content.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines.push_back({pos, content.size(), content.size()});
            break;
        }
        std::size_t next = end + 1;
        if (content[end] == '\r' && next < content.size() && content[next] == '\n') ++next;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

enum class Kind { Other, Section, Key };

struct Parsed {
    Kind kind = Kind::Other;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // key value, trimmed
};

Parsed ParseLine(std::string_view text) {
    Parsed p;
    std::string_view t = Trim(text);
    if (t.empty() || t.front() == ';') return p;
    if (t.front() == '[') {
        std::size_t close = t.find(']');
        if (close != std::string_view::npos) {
            p.kind = Kind::Section;
            p.name = Trim(t.substr(1, close - 1));
            return p;
        }
    }
    std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) return p;
    p.name = Trim(t.substr(0, eq));
    if (p.name.empty()) return p;
    p.kind = Kind::Key;
    p.value = Trim(t.substr(eq + 1));
    return p;
}

std::string_view LineText(std::string_view content, const Line& l, bool first) {
    std::string_view text = content.substr(l.begin, l.end - l.begin);
    // An editor's UTF-8 signature must not hide the first section.
    if (first && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    return text;
}

std::string_view StripQuotes(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// What a caller's C buffer would hold: up to a NUL, at most kProfileValueMax characters.
std::string Cut(std::string_view v) {
    std::size_t nul = v.find('\0');
    if (nul != std::string_view::npos) v = v.substr(0, nul);
    return std::string(v.substr(0, kProfileValueMax));
}

bool ValidName(std::string_view name, std::string_view forbidden) {
    if (name.empty()) return false;
    return name.find_first_of(forbidden) == std::string_view::npos;
}

}  // namespace

std::optional<std::string> ProfileLookup(std::string_view content, std::string_view section,
                                         std::string_view key) {
    section = Trim(section);
    key = Trim(key);
    const std::vector<Line> lines = SplitLines(content);
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Parsed p = ParseLine(LineText(content, lines[i], i == 0));
        if (p.kind == Kind::Section) {
            if (inSection) return std::nullopt;  // only the first such section counts
            inSection = SameName(p.name, section);
        } else if (inSection && p.kind == Kind::Key && SameName(p.name, key)) {
            return std::string(StripQuotes(p.value));
        }
    }
    return std::nullopt;
}

std::string ProfileWithValue(std::string_view content, std::string_view section, std::string_view key,
                             std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    const std::vector<Line> lines = SplitLines(content);

    // New lines follow the file's own line break.
    std::string_view nl = "\n";
    if (!lines.empty() && lines[0].next > lines[0].end)
        nl = content.substr(lines[0].end, lines[0].next - lines[0].end);

    std::size_t header = lines.size();  // the first matching section
    std::size_t lastFilled = 0;         // its last non-blank line
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view text = LineText(content, lines[i], i == 0);
        Parsed p = ParseLine(text);
        if (header == lines.size()) {
            if (p.kind == Kind::Section && SameName(p.name, section)) header = lastFilled = i;
            continue;
        }
        if (p.kind == Kind::Section) break;
        if (p.kind == Kind::Key && SameName(p.name, key)) {
            // Rewrite this line only: its indentation and name as they were.
            std::size_t indent = text.find_first_not_of(" \t\v\f");
            std::string out;
            out.reserve(content.size() + value.size() + 1);
            out.append(content.substr(0, lines[i].begin));
            out.append(text.substr(0, indent));
            out.append(p.name);
            out.push_back('=');
            out.append(value);
            out.append(content.substr(lines[i].end));
            return out;
        }
        if (!Trim(text).empty()) lastFilled = i;
    }

    std::string out;
    out.reserve(content.size() + section.size() + key.size() + value.size() + 8);
    std::size_t at = header == lines.size() ? content.size() : lines[lastFilled].next;
    out.append(content.substr(0, at));
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out.append(nl);
    if (header == lines.size()) {
        out.push_back('[');
        out.append(section);
        out.push_back(']');
        out.append(nl);
    }
    out.append(key);
    out.push_back('=');
    out.append(value);
    out.append(nl);
    out.append(content.substr(at));
    return out;
}

std::string ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view defaultValue) {
    std::string_view def = defaultValue;
    while (!def.empty() && (def.back() == ' ' || def.back() == '\t')) def.remove_suffix(1);
    try {
        std::string content;
        if (!Trim(section).empty() && !Trim(key).empty() &&
            ReadWholeFile(path, content, kMaxFileSize) == FileReadResult::Read) {
            if (auto v = ProfileLookup(content, section, key)) return Cut(*v);
        }
    } catch (const std::bad_alloc&) {
    }
    return Cut(def);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    using namespace std::string_view_literals;
    section = Trim(section);
    key = Trim(key);
    if (!ValidName(section, "]\r\n\0"sv) || !ValidName(key, "=\r\n\0"sv) || key.front() == '[' ||
        key.front() == ';' || value.find_first_of("\r\n\0"sv) != std::string_view::npos)
        return false;
    try {
        std::string old;
        const FileReadResult r = ReadWholeFile(path, old, kMaxFileSize);
        if (r != FileReadResult::Read && r != FileReadResult::Missing)
            return false;  // never replace what we could not read
        const std::string updated = ProfileWithValue(old, section, key, value);
        if (r == FileReadResult::Read && updated == old) return true;
        return WriteFileSafely(path, updated) == FileWriteResult::Written;
    } catch (const std::exception&) {
    }
    return false;
}

std::optional<int> ParseDecimalInt(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    std::int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > std::int64_t{INT_MAX} + 1) return std::nullopt;
    }
    if (negative) v = -v;
    if (v > INT_MAX || v < INT_MIN) return std::nullopt;
    return static_cast<int>(v);
}

}  // namespace kurv
