#include "core/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <vector>

namespace kurv {

namespace {

constexpr std::string_view kTempPrefix = ".kurvilon-";
constexpr std::string_view kTempLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kTempSuffixLength = 6;
// A save writes its temporary within seconds; one this old was left by a killed process.
constexpr std::time_t kStaleSeconds = 10 * 60;

// Closes the descriptor on every path; Close() reports a delayed write error.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd >= 0 && ::close(fd) == 0;
    }

  private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The file a path names once its symbolic links are followed (the last link's
// target may not exist yet).
std::string FollowLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::vector<char> buf(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buf.size()) return path;
        std::string target(buf.data(), static_cast<std::size_t>(n));
        path = target.front() == '/' ? target : DirectoryOf(path) + "/" + target;
    }
    return path;
}

mode_t CreationMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool IsOurTemporaryName(std::string_view name) {
    if (name.size() != kTempPrefix.size() + kTempSuffixLength ||
        name.substr(0, kTempPrefix.size()) != kTempPrefix)
        return false;
    return name.substr(kTempPrefix.size()).find_first_not_of(kTempLetters) == std::string_view::npos;
}

std::string TemporaryName(const std::string& dir) {
    static std::mt19937 gen{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kTempLetters.size() - 1);
    std::string name = dir + "/" + std::string(kTempPrefix);
    for (std::size_t i = 0; i < kTempSuffixLength; ++i) name += kTempLetters[pick(gen)];
    return name;
}

// Our own temporaries that a killed process left in `dir`: regular files of
// this user, untouched for a while.
void RemoveStaleTemporaries(const std::string& dir) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    const std::time_t now = std::time(nullptr);
    while (const dirent* e = ::readdir(d)) {
        if (!IsOurTemporaryName(e->d_name)) continue;
        struct stat st;
        if (::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && now - st.st_mtime > kStaleSeconds)
            ::unlinkat(::dirfd(d), e->d_name, 0);
    }
    ::closedir(d);
}

// Owner, mode and contents of a fresh temporary, synced.
bool Fill(int fd, std::string_view bytes, const struct stat* old) {
    if (old) {
        struct stat st;
        // Keeping the owner is only possible for root; otherwise the writer owns the new file.
        if (::fstat(fd, &st) == 0 && (st.st_uid != old->st_uid || st.st_gid != old->st_gid))
            (void)!::fchown(fd, old->st_uid, old->st_gid);
    }
    return ::fchmod(fd, old ? (old->st_mode & 07777) : CreationMode()) == 0 && WriteAll(fd, bytes) &&
           ::fsync(fd) == 0;
}

enum class Temp { Made, Unsupported, Failed };

// An unnamed temporary filled and then given a name of ours, so that a process
// killed while writing leaves nothing behind.
Temp MakeUnnamedTemporary(const std::string& dir, std::string_view bytes, const struct stat* old,
                          std::string& name) {
    Fd fd(::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (fd.get() < 0)
        return errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL ? Temp::Unsupported : Temp::Failed;
    if (!Fill(fd.get(), bytes, old)) return Temp::Failed;
    const std::string self = "/proc/self/fd/" + std::to_string(fd.get());
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = TemporaryName(dir);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            if (fd.Close()) return Temp::Made;
            ::unlink(name.c_str());
            return Temp::Failed;
        }
        if (errno == EEXIST) continue;
        // No /proc to link through, or a file system that refuses: the named way may still work.
        return Temp::Unsupported;
    }
    return Temp::Failed;
}

Temp MakeNamedTemporary(const std::string& dir, std::string_view bytes, const struct stat* old,
                        std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = TemporaryName(dir);
        Fd fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (fd.get() < 0) {
            if (errno == EEXIST) continue;
            return Temp::Failed;
        }
        const bool ok = Fill(fd.get(), bytes, old);
        if (fd.Close() && ok) return Temp::Made;
        ::unlink(name.c_str());
        return Temp::Failed;
    }
    return Temp::Failed;
}

}  // namespace

namespace {

// Reads until the end into `bytes` (a std::string or a BigArray<char>): a
// regular file's size is known, so the whole of it is made room for at once,
// one byte more to see its end. The bytes pass through a buffer of up to 1 MiB
// that is used again and again: on some virtual machines (ours among them)
// the kernel writing straight into fresh memory costs far more than the copy
// (36 MB into huge pages: 68 ms straight, 12 ms through the buffer; into small
// pages each page costs a fault again at the program's first touch).
template <class Buffer>
FileReadResult ReadInto(int fd, Buffer& bytes, std::uint64_t limit) {
    bytes.resize(0);
    struct stat st;
    if (::fstat(fd, &st) != 0) return FileReadResult::ReadFailed;
    std::uint64_t expected = 0;
    if (S_ISREG(st.st_mode)) {
        if (static_cast<std::uint64_t>(st.st_size) > limit) return FileReadResult::TooLarge;
        expected = static_cast<std::uint64_t>(st.st_size) + 1;
    }
    auto tooLarge = [&bytes] {
        bytes.resize(0);
        bytes.shrink_to_fit();
        return FileReadResult::TooLarge;
    };
    constexpr std::size_t kChunk = std::size_t{1} << 16;
    const std::size_t passSize =
        expected ? static_cast<std::size_t>(std::min<std::uint64_t>(expected, std::uint64_t{1} << 20))
                 : kChunk;
    const std::unique_ptr<char[]> pass(new char[passSize]);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            // A file that grows while read, or reports no size (/proc, a pipe),
            // grows the room by half; never past one byte beyond the limit.
            std::uint64_t want = used < expected ? expected : used + std::max(kChunk, used / 2);
            want = std::min(want, limit < UINT64_MAX ? limit + 1 : limit);
            if (want <= used) return tooLarge();
            bytes.resize(static_cast<std::size_t>(want));
        }
        const ssize_t n = ::read(fd, pass.get(), std::min(passSize, bytes.size() - used));
        if (n < 0) {
            if (errno == EINTR) continue;
            bytes.resize(0);
            return FileReadResult::ReadFailed;
        }
        if (n == 0) break;
        std::memcpy(bytes.data() + used, pass.get(), static_cast<std::size_t>(n));
        used += static_cast<std::size_t>(n);
        if (used > limit) return tooLarge();
    }
    bytes.resize(used);
    return FileReadResult::Read;
}

// Opens a regular file for reading; -1 with `failure` set otherwise.
int OpenRegular(const std::string& path, FileReadResult& failure) {
    // Non-blocking open, so that a named pipe cannot hang the program here.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        failure = errno == ENOENT ? FileReadResult::Missing : FileReadResult::OpenFailed;
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        failure = FileReadResult::OpenFailed;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace

FileReadResult ReadWholeFile(const std::string& path, std::string& bytes, std::uint64_t limit) {
    bytes.clear();
    FileReadResult failure = FileReadResult::OpenFailed;
    const Fd fd(OpenRegular(path, failure));
    return fd.get() < 0 ? failure : ReadInto(fd.get(), bytes, limit);
}

FileReadResult ReadWholeFile(const std::string& path, BigArray<char>& bytes, std::uint64_t limit) {
    bytes.resize(0);
    FileReadResult failure = FileReadResult::OpenFailed;
    const Fd fd(OpenRegular(path, failure));
    return fd.get() < 0 ? failure : ReadInto(fd.get(), bytes, limit);
}

FileReadResult ReadWholeDescriptor(int fd, std::string& bytes, std::uint64_t limit) {
    return ReadInto(fd, bytes, limit);
}

FileWriteResult WriteFileSafely(const std::string& path, std::string_view bytes) {
    if (path.empty()) return FileWriteResult::OpenFailed;
    const std::string target = FollowLinks(path);
    struct stat st;
    if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        return FileWriteResult::OpenFailed;  // a loop
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return FileWriteResult::OpenFailed;
    // Nothing else is opened: writing into a pipe whose reader never reads would never end.
    if (exists && !S_ISREG(st.st_mode)) return FileWriteResult::WriteFailed;
    if (exists) {
        // Renaming would replace a file we may not write to; ask the file itself.
        Fd probe(::open(target.c_str(), O_WRONLY | O_CLOEXEC));
        if (probe.get() < 0) return FileWriteResult::OpenFailed;
    }

    const std::string dir = DirectoryOf(target);
    RemoveStaleTemporaries(dir);
    const struct stat* old = exists ? &st : nullptr;
    std::string temp;
    Temp made = MakeUnnamedTemporary(dir, bytes, old, temp);
    if (made == Temp::Unsupported) made = MakeNamedTemporary(dir, bytes, old, temp);
    if (made != Temp::Made) return exists ? FileWriteResult::WriteFailed : FileWriteResult::OpenFailed;
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return FileWriteResult::WriteFailed;
    }
    Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() >= 0) ::fsync(dirFd.get());
    return FileWriteResult::Written;
}

}  // namespace kurv
