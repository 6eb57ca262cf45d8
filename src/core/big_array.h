// Arrays of millions of plain records (the table's cells) whose memory grows
// without copying what they hold and is first touched cheaply: from 2 MiB on
// the memory is mapped on its own, with huge pages advised (a fresh small page
// costs a fault each, a million of them for a table of 10^6 rows), and grows
// by remapping. Smaller arrays come from the heap.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace kurv {

namespace big_memory {

// Throws std::bad_alloc. Reallocate leaves `p` as it was when it throws.
void* Allocate(std::size_t bytes);
void* Reallocate(void* p, std::size_t oldBytes, std::size_t newBytes);
void Free(void* p, std::size_t bytes) noexcept;

// Gives the memory the C library keeps from freed small blocks back to the
// system, before a command that builds a whole new table: its peak then does
// not stand on what earlier commands left behind.
void ReturnFreeHeap() noexcept;

// Counts the times memory was given back: work that failed for want of
// memory is worth trying again only once this has moved.
std::uint64_t Releases() noexcept;

// For tests: while one lives, every allocation above fails as if memory were
// short, and the attempts are counted.
class ScopedFailure {
  public:
    ScopedFailure();
    ~ScopedFailure();
    ScopedFailure(const ScopedFailure&) = delete;
    ScopedFailure& operator=(const ScopedFailure&) = delete;
    int Attempts() const;
};

}  // namespace big_memory

// A vector of trivially copyable values in big memory. New values are
// value-initialised. Every operation that throws leaves the array as it was.
template <class T>
class BigArray {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    BigArray() = default;
    BigArray(const BigArray& other) { Append(other.data_, other.size_); }
    BigArray& operator=(const BigArray& other) {
        if (this != &other) {
            BigArray copy(other);
            swap(copy);
        }
        return *this;
    }
    BigArray(BigArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)),
          size_(std::exchange(other.size_, 0)),
          capacity_(std::exchange(other.capacity_, 0)) {}
    BigArray& operator=(BigArray&& other) noexcept {
        BigArray moved(std::move(other));
        swap(moved);
        return *this;
    }
    ~BigArray() {
        if (data_) big_memory::Free(data_, capacity_ * sizeof(T));
    }
    void swap(BigArray& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    bool empty() const { return size_ == 0; }
    T* data() { return data_; }
    const T* data() const { return data_; }
    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }
    T* begin() { return data_; }
    T* end() { return data_ + size_; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }
    T& back() { return data_[size_ - 1]; }

    void reserve(std::size_t n) {
        if (n <= capacity_) return;
        if (n > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
        void* p = data_ ? big_memory::Reallocate(data_, capacity_ * sizeof(T), n * sizeof(T))
                        : big_memory::Allocate(n * sizeof(T));
        data_ = static_cast<T*>(p);
        capacity_ = n;
    }
    // Room for `more` values beyond the size, growing by half at least.
    void Grow(std::size_t more) {
        if (more > capacity_ - size_) reserve(std::max(size_ + more, capacity_ + capacity_ / 2 + 16));
    }
    void resize(std::size_t n) {
        if (n > size_) {
            reserve(n);
            for (std::size_t i = size_; i < n; ++i) new (data_ + i) T{};
        }
        size_ = n;
    }
    void push_back(const T& v) {
        Grow(1);
        data_[size_++] = v;
    }
    // `values` must not lie in this array.
    void Append(const T* values, std::size_t n) {
        if (n == 0) return;
        Grow(n);
        std::memcpy(static_cast<void*>(data_ + size_), values, n * sizeof(T));
        size_ += n;
    }
    void Insert(std::size_t at, const T* values, std::size_t n) {
        if (n == 0) return;
        Grow(n);
        std::memmove(static_cast<void*>(data_ + at + n), data_ + at, (size_ - at) * sizeof(T));
        std::memcpy(static_cast<void*>(data_ + at), values, n * sizeof(T));
        size_ += n;
    }
    void Erase(std::size_t at, std::size_t n) {
        std::memmove(static_cast<void*>(data_ + at), data_ + at + n, (size_ - at - n) * sizeof(T));
        size_ -= n;
    }
    // Gives back the room beyond the size; kept as it is without the memory to move.
    void shrink_to_fit() noexcept {
        if (capacity_ == size_) return;
        if (size_ == 0) {
            BigArray().swap(*this);
            return;
        }
        try {
            data_ = static_cast<T*>(big_memory::Reallocate(data_, capacity_ * sizeof(T), size_ * sizeof(T)));
            capacity_ = size_;
        } catch (const std::bad_alloc&) {
        }
    }

  private:
    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace kurv
