// The settings file: a small INI ("private profile") reader and writer.
//
// Behaves as the classic profile calls do: section and key names are
// case-insensitive and trimmed, the first of duplicate sections wins (and the
// first of duplicate keys in it), a value is trimmed and loses one pair of
// enclosing quotes, and a read sees at most kProfileValueMax characters.
// A write changes only the one line of its key (or adds it, and the section
// when needed); every other byte of the file is kept.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kurv {

// Values are read into a buffer of ten characters with its terminator.
constexpr std::size_t kProfileValueMax = 9;

// The value of `key` in `section` of the file at `path`, or `defaultValue`
// (trailing blanks dropped) when the file, the section or the key is missing
// or the file cannot be read. Either way cut to kProfileValueMax characters,
// and at a NUL byte.
std::string ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view defaultValue);

// Sets `key` = `value` in `section`, creating the file and the section when
// needed. The file is replaced safely (core/file_io.h). Returns false, leaving
// the file as it was, when it cannot be read or written (a folder that takes no
// new file included), or when a name or the value would break the file's line
// structure (line breaks or NUL bytes, '=' in a key, ']' in a section, empty names).
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

// The same on file contents in memory, for callers and tests without files.
// Lookup gives the whole value (trimmed, quotes stripped, not cut).
std::optional<std::string> ProfileLookup(std::string_view content, std::string_view section,
                                         std::string_view key);
// The content with the key set; the caller has checked the names and value.
std::string ProfileWithValue(std::string_view content, std::string_view section, std::string_view key,
                             std::string_view value);

// A decimal integer as the settings hold one: an optional sign and decimal
// digits, nothing else (no blanks, no hexadecimal), within the range of int.
std::optional<int> ParseDecimalInt(std::string_view text);

}  // namespace kurv
