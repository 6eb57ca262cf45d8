// The programs' allocation of large blocks. A fit or a paste of a million rows
// fills well over 100 MB that the process has never touched (the file or the
// clipboard's text, the values, the fitted column), and on a virtual machine
// every 4 KiB page of it costs a trap: small fresh pages cost about 3 ms a
// megabyte there, more than the work done in them. Blocks from 2 MiB on get
// a mapping of their own, in whole huge pages, that asks the kernel for huge
// pages; smaller ones stay with malloc. Only the programs link this (the
// command line, the window, the benchmark); the libraries and their tests keep
// the C library's allocation. Memory Qt takes with malloc is not affected.
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

#if !defined(__SANITIZE_ADDRESS__)

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kLargeBlock = kHugePage;

// Before every block, keeping it aligned as malloc aligns.
struct alignas(16) Header {
    std::size_t mapped;  // the mapping's size, or 0 for a block from malloc
};

}  // namespace

void* operator new(std::size_t size) {
    if (size >= kLargeBlock && size < SIZE_MAX / 2) {
        // Whole huge pages from an aligned start: the kernel gives a huge page
        // only for an aligned 2 MiB range that lies wholly in the mapping.
        const std::size_t total = (size + sizeof(Header) + kHugePage - 1) / kHugePage * kHugePage;
        void* const raw =
            ::mmap(nullptr, total + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (raw == MAP_FAILED) throw std::bad_alloc();
        const auto at = reinterpret_cast<std::uintptr_t>(raw);
        const std::uintptr_t start = (at + kHugePage - 1) / kHugePage * kHugePage;
        if (start > at) ::munmap(raw, start - at);
        if (start - at < kHugePage)
            ::munmap(reinterpret_cast<void*>(start + total), kHugePage - (start - at));
        void* const p = reinterpret_cast<void*>(start);
        ::madvise(p, total, MADV_HUGEPAGE);  // a kernel without huge pages refuses; nothing is lost
        return new (p) Header{total} + 1;
    }
    void* p = std::malloc(size + sizeof(Header));
    if (!p) throw std::bad_alloc();
    return new (p) Header{0} + 1;
}

void operator delete(void* p) noexcept {
    if (!p) return;
    Header* h = static_cast<Header*>(p) - 1;
    if (h->mapped)
        ::munmap(h, h->mapped);
    else
        std::free(h);
}

// The other forms the library has call these two; the sized ones are named so
// that no library version can pass them by.
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}

#endif
