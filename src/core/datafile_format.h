// The data file: one line per table row that holds a Y or an X text, written
// as "Y X\n" (one space, a line feed, the texts verbatim, UTF-8). Reading takes
// the first two white-space-separated tokens of each line, ending in LF or
// CR LF, as the Y and X texts. The file access itself is core/file_io.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/datatable.h"
#include "core/file_io.h"
#include "core/progress.h"
#include "core/uitext.h"

namespace kurv {

struct PairsAhead;

// A calibration table never comes near this; a larger file is refused unread.
constexpr std::uint64_t kDataFileMaxBytes = std::uint64_t{256} << 20;

// What reading or writing the file tells its user, in the window's boxes and on the command line.
inline constexpr TextPair kFileCannotOpen{"Не могу открыть файл.", "I can not open the file."};
inline constexpr TextPair kFileCannotWrite{"Не могу записать файл.", "I can not write the file."};
inline constexpr TextPair kFileTooLarge{"Файл слишком велик", "The file is too large"};
inline constexpr TextPair kFileInvalidData{"Файл содержит неверные данные",
                                           "This file contains invalid data"};

// The file's bytes for the table: data rows 1 .. RowCount - 1 whose Y or X is not empty.
std::string DataFileBytes(const DataTable& table);

enum class DataFileRead {
    Read,         // the table now holds the file's rows
    Empty,        // the file holds no line; the table is unchanged
    InvalidData,  // not a text file (a NUL byte) or more lines than a table can hold; table unchanged
    Cancelled,    // stopped through `progress`; the table is unchanged
};

// Takes a file's bytes into the table. Every data row is emptied (all three
// columns), then line i fills Y and X of row i (a missing token leaves its cell
// empty); RowCount ends as the number of lines plus 2. Lines are read whole,
// however long. The bytes are UTF-8, or Windows-1251 when they are not valid
// UTF-8; a leading UTF-8 byte order mark is skipped. The lines go straight
// into new rows that then replace the table's, as a paste's do. Given
// `ahead`, a long file's pairs are read into it beside (see PairsBeside).
DataFileRead ReadDataFile(DataTable& table, std::string_view bytes, Progress* progress = nullptr,
                          PairsAhead* ahead = nullptr);

// Each line's first two white-space-separated tokens in turn, from a line's
// start in a data file's text on. A token never holds white space.
class DataFileLineReader {
  public:
    DataFileLineReader(std::string_view text, std::size_t from, char eol)
        : at_(text.data() + from), end_(text.data() + text.size()), eol_(eol) {}
    // The Y and X tokens of the next line, either possibly empty; false after the last line.
    bool Next(std::string_view& y, std::string_view& x);
    // Where the next line starts (past the text's end after the last line).
    const char* At() const { return at_; }
    // The tokens of a line read before, from the start of its Y token, when
    // its X token is not empty.
    static void TokensFrom(std::string_view text, std::size_t yStart, std::string_view& y,
                           std::string_view& x);

  private:
    const char* at_;
    const char* end_;
    char eol_;
};

// A data file's text as ReadDataFile takes its lines, for readers that keep
// no table: the file-level checks and the decoding done, then the lines read
// by DataFileLineReader, from the start or (by two threads) from a later line.
// The tokens are views of Text(), which lives as long as this object.
class DataFileLines {
  public:
    DataFileLines() = default;
    DataFileLines(const DataFileLines&) = delete;
    DataFileLines& operator=(const DataFileLines&) = delete;

    // Read when there are lines; Empty or InvalidData as ReadDataFile would answer.
    DataFileRead Open(std::string_view bytes);
    // The decoded text without its byte order mark.
    std::string_view Text() const { return text_; }
    DataFileLineReader Lines(std::size_t from = 0) const { return {text_, from, eol_}; }
    // The start of the first line that starts at `offset` or after it (the text's size if none).
    std::size_t LineStartFrom(std::size_t offset) const;

  private:
    std::string decoded_;  // the Windows-1251 bytes in UTF-8
    std::string_view text_;
    char eol_ = '\n';
};

bool IsValidUtf8(std::string_view bytes);
// Every byte of Windows-1251 as its character in UTF-8 (0x98, unassigned, as U+0098).
std::string Cp1251ToUtf8(std::string_view bytes);
// The bytes as they are when valid UTF-8, otherwise decoded as Windows-1251.
std::string FileTextToUtf8(std::string_view bytes);

}  // namespace kurv
