// Long work on the table (a paste or a read of millions of rows) says how far
// it has come and stops when asked: by its caller's answer to a report, or by
// Cancel from any thread. Work that stops leaves the table as it was.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <utility>

namespace kurv {

class Progress {
  public:
    // `done` of `total` units of the work; false asks it to stop.
    using Report = std::function<bool(std::uint64_t done, std::uint64_t total)>;

    Progress() = default;
    explicit Progress(Report report) : report_(std::move(report)) {}
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void Cancel() noexcept { cancelled_.store(true, std::memory_order_relaxed); }
    bool Cancelled() const noexcept { return cancelled_.load(std::memory_order_relaxed); }

    // Called by the work now and then (a few hundred times a second at
    // most); false when it is to stop.
    bool Advance(std::uint64_t done, std::uint64_t total) {
        if (!Cancelled() && report_ && !report_(done, total)) Cancel();
        return !Cancelled();
    }

  private:
    Report report_;
    std::atomic<bool> cancelled_{false};
};

// How often the table's long work reports: every this many bytes of its text.
constexpr std::uint64_t kProgressStep = std::uint64_t{1} << 20;

}  // namespace kurv
