#include "core/pairs_beside.h"

#include <algorithm>
#include <exception>

#include "core/big_array.h"

namespace kurv {

namespace {

// Rows the other thread claims at a time.
constexpr std::int64_t kClaim = 4096;

}  // namespace

void PairsBeside::Start(std::size_t textSize, std::function<void()> read) {
    try {
        reading_ = std::async(std::launch::async, [this, textSize, read = std::move(read)] {
            try {
                // Room for the pairs of rows of 8 bytes and more, so that
                // they are never copied as they come (rows of instruments'
                // numbers take 20 to 40): room never written to costs no
                // memory, only addresses.
                CountingPairs& p = ahead_->pairs;
                const std::size_t room = textSize / 8 + 1;
                p.rows.reserve(room);
                p.y.reserve(room);
                p.x.reserve(room);
                read();
            } catch (...) {
                whole_ = false;  // a refused text or no memory: the recalculation meets it in the table
            }
        });
    } catch (...) {
        // No thread: the recalculation reads the table.
    }
}

bool PairsBeside::Claim(std::int64_t& last) {
    const std::lock_guard lock(claims_);
    if (next_ >= end_) return false;
    last = std::min(next_ + kClaim, end_);
    next_ = last;
    return true;
}

void PairsBeside::Built(const DataTable& table) {
    if (!reading_.valid()) return;
    const std::int64_t rowCount = table.RowCount();
    std::int64_t split;
    {
        const std::lock_guard lock(claims_);
        split = std::max(next_, next_ + (rowCount - next_) / 2);
        end_ = split;
    }
    // The values of the later rows that count, in order; their rows are found
    // again when they are added. Memory of their own, given back at once.
    struct Values {
        double y, x;
    };
    BigArray<Values> later;
    bool laterRead = true;
    try {
        later.reserve(static_cast<std::size_t>(std::max<std::int64_t>(rowCount - split, 0)));
        for (std::int64_t r = split; r < rowCount; ++r) {
            const int row = static_cast<int>(r);
            if (!table.Counts(row)) continue;
            const CellText y = table.Cell(0, row), x = table.Cell(1, row);
            Values v;
            ReadPairValues(row, y, x, ahead_->sep, v.y, v.x);
            later.push_back(v);
        }
    } catch (...) {
        laterRead = false;
    }
    reading_.get();
    if (!whole_ || !laterRead) return;
    try {
        std::size_t i = 0;
        for (std::int64_t r = split; r < rowCount; ++r) {
            const int row = static_cast<int>(r);
            if (!table.Counts(row)) continue;
            AddPairValues(ahead_->pairs, row, later[i].y, later[i].x);
            ++i;
        }
    } catch (...) {
        return;
    }
    ahead_->read = true;
}

PairsBeside::~PairsBeside() {
    stop_.store(true, std::memory_order_relaxed);
    if (reading_.valid()) reading_.wait();
}

}  // namespace kurv
