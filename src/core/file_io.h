// Whole-file access for the data file and the settings file: a read with a
// size limit and a write that replaces a file safely.
//
// Replacing never writes into the old file. The new contents go to a temporary
// file beside it (an unnamed O_TMPFILE file where the file system allows, else
// a named ".kurvilon-XXXXXX"), are synced and closed with every result checked,
// and the temporary is then renamed over the file and the folder synced. When
// any step fails the old file stays byte for byte and the temporary is removed.
// The same rules hold for every caller:
// - a failed close is a failed write;
// - symbolic links are followed (up to 40, relative to the link's folder) and the
//   link stays a link, its final target replaced (or created when missing);
// - only a regular file or a new name is written: a folder, a device or a named
//   pipe is refused before anything is opened (a pipe nobody reads would hang);
// - reads take a limit and refuse a larger file before reading it;
// - temporaries are named ".kurvilon-" and six letters or digits; ours left over
//   by a killed process (older than ten minutes) go at the next save into that folder;
// - the folder is synced after the rename; its failure is not reported, the file
//   having been replaced by then.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/big_array.h"

namespace kurv {

// Far beyond any file of ours; the data file's limit.
constexpr std::uint64_t kDefaultReadLimit = std::uint64_t{256} << 20;

enum class FileReadResult {
    Read,
    Missing,     // no such file
    OpenFailed,  // no access, or not a regular file (a directory, a device, a pipe)
    TooLarge,    // more than the limit; nothing is kept
    ReadFailed,  // an error while reading after a successful open
};

// Reads the whole file at `path` (the path's bytes as the system takes them)
// into `bytes`; on any result but Read `bytes` is left empty.
FileReadResult ReadWholeFile(const std::string& path, std::string& bytes,
                             std::uint64_t limit = kDefaultReadLimit);

// The same into big memory: a file of millions of rows is read straight into
// memory backed by huge pages, without a fault for every small page.
FileReadResult ReadWholeFile(const std::string& path, BigArray<char>& bytes,
                             std::uint64_t limit = kDefaultReadLimit);

// The same from an open descriptor (standard input) until its end: a regular
// file, a pipe or a terminal; a folder gives ReadFailed. The descriptor stays open.
FileReadResult ReadWholeDescriptor(int fd, std::string& bytes, std::uint64_t limit = kDefaultReadLimit);

enum class FileWriteResult {
    Written,
    OpenFailed,   // the file cannot be created or is not writable, or is a folder; nothing was changed
    WriteFailed,  // the new contents could not be written completely beside it, or the name is
                  // a device or a pipe; nothing was changed
};

// Replaces the file at `path` by `bytes` as described above. An existing file
// keeps its mode (and its owner where we may set it); a new one gets 0666 less
// the umask.
FileWriteResult WriteFileSafely(const std::string& path, std::string_view bytes);

}  // namespace kurv
