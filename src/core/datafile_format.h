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
// into new rows that then replace the table's, as a paste's do.
DataFileRead ReadDataFile(DataTable& table, std::string_view bytes, Progress* progress = nullptr);

bool IsValidUtf8(std::string_view bytes);
// Every byte of Windows-1251 as its character in UTF-8 (0x98, unassigned, as U+0098).
std::string Cp1251ToUtf8(std::string_view bytes);
// The bytes as they are when valid UTF-8, otherwise decoded as Windows-1251.
std::string FileTextToUtf8(std::string_view bytes);

}  // namespace kurv
