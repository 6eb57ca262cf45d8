#include "core/big_array.h"

#include <atomic>
#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace kurv::big_memory {

namespace {

std::atomic<std::uint64_t> g_releases{0};
std::atomic<int> g_failing{0};
std::atomic<int> g_attempts{0};

// Freeing this much is worth retrying work that found no memory.
constexpr std::size_t kNotableRelease = std::size_t{1} << 16;

void CountAttempt() {
    if (g_failing.load(std::memory_order_relaxed) == 0) return;
    g_attempts.fetch_add(1, std::memory_order_relaxed);
    throw std::bad_alloc();
}

#ifdef __linux__

constexpr std::size_t kHugePage = std::size_t{2} << 20;

bool Mapped(std::size_t bytes) {
    return bytes >= kHugePage;
}

std::size_t MappedSize(std::size_t bytes) {
    return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}

// A mapping aligned to the huge page, so that all of it can be backed by them.
void* Map(std::size_t bytes) {
    const std::size_t size = MappedSize(bytes);
    void* p = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    const auto at = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t aligned = (at + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > at) ::munmap(p, aligned - at);
    if (const std::uintptr_t tail = at + size + kHugePage - (aligned + size); tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + size), tail);
    ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

#else

bool Mapped(std::size_t) {
    return false;
}

#endif

void* Heap(std::size_t bytes) {
    void* p = std::malloc(bytes == 0 ? 1 : bytes);
    if (!p) throw std::bad_alloc();
    return p;
}

}  // namespace

void* Allocate(std::size_t bytes) {
    CountAttempt();
#ifdef __linux__
    if (Mapped(bytes)) return Map(bytes);
#endif
    return Heap(bytes);
}

void* Reallocate(void* p, std::size_t oldBytes, std::size_t newBytes) {
    CountAttempt();
    const bool wasMapped = Mapped(oldBytes), mapped = Mapped(newBytes);
    if (!wasMapped && !mapped) {
        void* q = std::realloc(p, newBytes == 0 ? 1 : newBytes);
        if (!q) throw std::bad_alloc();
        return q;
    }
#ifdef __linux__
    if (wasMapped && mapped) {
        // The pages move with their table entries; nothing is copied.
        void* q = ::mremap(p, MappedSize(oldBytes), MappedSize(newBytes), MREMAP_MAYMOVE);
        if (q == MAP_FAILED) throw std::bad_alloc();
        return q;
    }
#endif
    void* q = Allocate(newBytes);
    std::memcpy(q, p, std::min(oldBytes, newBytes));
    Free(p, oldBytes);
    return q;
}

void Free(void* p, std::size_t bytes) noexcept {
    if (!p) return;
#ifdef __linux__
    if (Mapped(bytes)) {
        ::munmap(p, MappedSize(bytes));
    } else {
        std::free(p);
    }
#else
    std::free(p);
#endif
    if (bytes >= kNotableRelease) g_releases.fetch_add(1, std::memory_order_relaxed);
}

void ReturnFreeHeap() noexcept {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

std::uint64_t Releases() noexcept {
    return g_releases.load(std::memory_order_relaxed);
}

ScopedFailure::ScopedFailure() {
    g_attempts.store(0, std::memory_order_relaxed);
    g_failing.fetch_add(1, std::memory_order_relaxed);
}

ScopedFailure::~ScopedFailure() {
    g_failing.fetch_sub(1, std::memory_order_relaxed);
}

int ScopedFailure::Attempts() const {
    return g_attempts.load(std::memory_order_relaxed);
}

}  // namespace kurv::big_memory
