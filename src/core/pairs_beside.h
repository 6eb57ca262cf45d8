// The pairs of a whole new table, read beside the command that builds its
// rows from a text (a paste, a read of a data file), so that the
// recalculation after it need not read the table again.
//
// A second thread reads the rows from the text in order, with the rules of
// ReadCountingPairs, while the command's thread builds them; once they are
// built, the command's thread reads the later half of those the other has not
// reached yet from the table, and adds them up after the other's. A fault
// anywhere (a refused text, an overflow), no memory or a stop gives no pairs:
// the recalculation then reads the table and meets the fault in row order.
#pragma once

#include <atomic>
#include <climits>
#include <cstdint>
#include <functional>
#include <future>
#include <mutex>
#include <string_view>

#include "core/datatable.h"
#include "core/recalc.h"

namespace kurv {

struct PairsAhead {
    explicit PairsAhead(char sep) : sep(sep) {}
    char sep;
    bool read = false;  // `pairs` are those of the table the command left, read without a fault
    CountingPairs pairs;
};

// Texts from which a reading beside the building pays for its thread, and up
// to which it is worth its memory: its pairs are held beside the text and
// both tables, where a recalculation reading the table after the command
// holds them only once the text is gone (a read of ten million rows then
// peaks 200 MB lower, and takes a second longer).
inline constexpr std::size_t kPairsBesideFromBytes = std::size_t{1} << 20;
inline constexpr std::size_t kPairsBesideUpToBytes = std::size_t{64} << 20;

class PairsBeside {
  public:
    // Reads into `ahead` (nothing when it is null) from a text of `textSize`
    // bytes: `rows(take)` calls take(yText, xText) for the table's rows 1, 2,
    // ... in order, exactly as the command lays them out, and ends early when
    // take returns false.
    template <class Rows>
    PairsBeside(PairsAhead* ahead, std::size_t textSize, Rows rows);
    // The command has put every row into `table`: reads the rest, and sets
    // `ahead->read` when every row was read without a fault.
    void Built(const DataTable& table);
    ~PairsBeside();
    PairsBeside(const PairsBeside&) = delete;
    PairsBeside& operator=(const PairsBeside&) = delete;

  private:
    // The other thread's next rows, up to `last`; false when none are left to it.
    bool Claim(std::int64_t& last);
    void Start(std::size_t textSize, std::function<void()> read);

    PairsAhead* ahead_;
    std::mutex claims_;
    std::int64_t next_ = 1;       // the first row the other thread has not claimed
    std::int64_t end_ = INT_MAX;  // rows from here on are this thread's
    std::atomic<bool> stop_{false};
    bool whole_ = false;  // the other thread read every row it claimed
    std::future<void> reading_;
};

template <class Rows>
PairsBeside::PairsBeside(PairsAhead* ahead, std::size_t textSize, Rows rows)
    : ahead_(textSize >= kPairsBesideFromBytes && textSize <= kPairsBesideUpToBytes ? ahead : nullptr) {
    if (!ahead_) return;
    ahead_->read = false;
    ahead_->pairs = CountingPairs{};
    Start(textSize, [this, rows = std::move(rows)]() mutable {
        std::int64_t row = 1, last = 1;  // rows below `last` are claimed
        rows([&](std::string_view y, std::string_view x) {
            if (stop_.load(std::memory_order_relaxed) || (row == last && !Claim(last))) return false;
            ReadRowPair(ahead_->pairs, static_cast<int>(row++), y, x, ahead_->sep);
            return true;
        });
        whole_ = !stop_.load(std::memory_order_relaxed) && row < INT_MAX;
    });
}

}  // namespace kurv
