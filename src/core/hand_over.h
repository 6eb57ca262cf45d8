// Items handed over from one thread to another as they are made: the maker
// says how many are ready (and, at the last, that that is all), the taker
// waits for more. Items below a count handed over are the taker's to read.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace kurv {

class HandOver {
  public:
    // The maker: `count` items are ready; `all` when no more will come.
    void Ready(std::size_t count, bool all) {
        state_.store(std::uint64_t{count} << 1 | (all ? 1 : 0), std::memory_order_release);
        state_.notify_one();
    }

    // The taker: waits until more than `have` items are ready or all are;
    // gives the count ready and whether that is all of them.
    std::pair<std::size_t, bool> Await(std::size_t have) const {
        std::uint64_t s = state_.load(std::memory_order_acquire);
        while ((s >> 1) <= have && (s & 1) == 0) {
            state_.wait(s, std::memory_order_acquire);
            s = state_.load(std::memory_order_acquire);
        }
        return {static_cast<std::size_t>(s >> 1), (s & 1) != 0};
    }

  private:
    std::atomic<std::uint64_t> state_{0};  // the count ready, times 2, plus 1 once it is all
};

}  // namespace kurv
