#include "core/table_ops.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <utility>

#include "core/numbers.h"

namespace kurv {

namespace {

// Counts over the places 0 .. n-1: prefix sums and the k-th free place.
class Fenwick {
  public:
    explicit Fenwick(std::size_t n) : tree_(n + 1, 0) {}

    void Add(std::size_t place, int delta) {
        for (std::size_t i = place + 1; i < tree_.size(); i += i & (~i + 1)) tree_[i] += delta;
    }
    // Sum over the places 0 .. place-1.
    int Before(std::size_t place) const {
        int s = 0;
        for (std::size_t i = place; i > 0; i -= i & (~i + 1)) s += tree_[i];
        return s;
    }
    // The place at which the running sum first exceeds k (k-th marked place, 0-based).
    std::size_t Kth(int k) const {
        std::size_t pos = 0;
        std::size_t step = 1;
        while (step * 2 < tree_.size()) step *= 2;
        for (; step > 0; step /= 2) {
            if (pos + step < tree_.size() && tree_[pos + step] <= k) {
                pos += step;
                k -= tree_[pos];
            }
        }
        return pos;
    }

  private:
    std::vector<int> tree_;
};

// A key's place in the order of the numbers as an integer pair, compared
// high part first: the 80-bit extended format's sign and exponent, then its
// 64-bit significand, each flipped for negative numbers. Both zeros are +0.
struct OrderedKey {
    std::uint64_t significand;
    std::uint32_t signAndExponent;
    std::uint32_t place;

    bool SameValue(const OrderedKey& o) const {
        return signAndExponent == o.signAndExponent && significand == o.significand;
    }
    bool operator<(const OrderedKey& o) const {
        if (signAndExponent != o.signAndExponent) return signAndExponent < o.signAndExponent;
        if (significand != o.significand) return significand < o.significand;
        return place < o.place;
    }
};

constexpr bool kExtendedIs80Bits = std::numeric_limits<long double>::digits == 64 &&
                                   std::numeric_limits<long double>::max_exponent == 16384 &&
                                   std::endian::native == std::endian::little;

OrderedKey MakeOrderedKey(long double v, std::size_t place) {
    if (v == 0) v = 0;  // -0 sorts with +0
    unsigned char bytes[sizeof(long double)];
    std::memcpy(bytes, &v, sizeof v);
    std::uint64_t significand;
    std::memcpy(&significand, bytes, 8);
    std::uint32_t top = bytes[8] | (static_cast<std::uint32_t>(bytes[9]) << 8);
    if (top & 0x8000) {
        top = ~top & 0xFFFF;
        significand = ~significand;
    } else {
        top |= 0x8000;
    }
    return {significand, top, static_cast<std::uint32_t>(place)};
}

// The places 0 .. n-1 in the order of their keys (no NaN among them), equal
// keys in the order of their places, and where each value's run of places ends.
struct KeyOrder {
    BigArray<std::size_t> places;
    std::vector<bool> endsRun;  // places[i] is the last of its value
};

KeyOrder OrderOfKeys(std::span<const long double> keys) {
    const std::size_t n = keys.size();
    KeyOrder out{BigArray<std::size_t>(), std::vector<bool>(n, true)};
    out.places.resize(n);
    // The keys travel with their places: sorting pairs reads memory in order,
    // where sorting places alone would look every key up at random. Integer
    // keys of 16 bytes sort faster than extended ones.
    if constexpr (kExtendedIs80Bits) {
        if (n <= std::numeric_limits<std::uint32_t>::max()) {
            BigArray<OrderedKey> sorted;
            sorted.reserve(n);
            for (std::size_t i = 0; i < n; ++i) sorted.push_back(MakeOrderedKey(keys[i], i));
            std::sort(sorted.begin(), sorted.end());
            for (std::size_t i = 0; i < n; ++i) {
                out.places[i] = sorted[i].place;
                if (i + 1 < n) out.endsRun[i] = !sorted[i].SameValue(sorted[i + 1]);
            }
            return out;
        }
    }
    std::vector<std::pair<long double, std::size_t>> sorted(n);
    for (std::size_t i = 0; i < n; ++i) sorted[i] = {keys[i], i};
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
        if (a.first < b.first) return true;
        if (b.first < a.first) return false;
        return a.second < b.second;
    });
    for (std::size_t i = 0; i < n; ++i) {
        out.places[i] = sorted[i].second;
        if (i + 1 < n) out.endsRun[i] = sorted[i].first < sorted[i + 1].first;
    }
    return out;
}

}  // namespace

int OperandColumn(int blockLeftColumn) {
    return blockLeftColumn == 1 ? 1 : 0;
}

void ClearTable(DataTable& table) {
    table.ClearColumn(0, 1, table.RowCount() - 1);
    table.ClearColumn(1, 1, table.RowCount() - 1);
}

void ClearColumn(DataTable& table, int blockLeftColumn) {
    table.ClearColumn(OperandColumn(blockLeftColumn), 1, table.RowCount() - 1);
}

void DeleteRows(DataTable& table, int topRow, int bottomRow) {
    const int last = table.RowCount() - 1;
    topRow = std::max(topRow, 1);
    bottomRow = std::min(bottomRow, last);
    if (topRow <= bottomRow) table.EraseRows(topRow, bottomRow - topRow + 1);
    if (table.RowCount() < 2) table.SetRowCount(2);
}

namespace {

// What the exchange sort does to equal keys, worked out so that it needs no
// quadratic scan.
//
// Pass i of the exchange sort walks the rest of the list and swaps whenever it
// meets a key strictly below the one held at place i. The keys that trigger
// a swap form a strictly falling chain of running minima; the pass moves each
// of them to the place of the next one in the chain and the last (the first
// occurrence of the minimum) to place i. So at most one row of any key value
// moves in a pass.
//
// Take a key value x and look only at the rows with keys <= x. A row with a key
// > x never changes which of these are running minima, so they evolve as if the
// larger rows were not there, and every pass places one of them while any
// remain. Among them x is the largest: an x row moves only while it is the first
// of them left, and then it jumps to the place of the first smaller key after
// it, behind every other x row in between. Reading the x rows as a queue: each
// smaller key, when its pass comes, first rotates the queue of the x rows
// standing before it by one (front to back) and is then gone; the x rows that
// follow it join the queue's back. Once every smaller key is placed, the x rows
// no longer move and are placed in queue order.
//
// The queue is kept as a ring with a front index: a rotation by g moves the
// front by g, a joining row is inserted just before the front. The insert
// places depend only on the counts, so the ring is rebuilt afterwards by
// placing the rows from the last inserted to the first into the free slots.
void ExchangeSortOrderInto(std::span<const long double> keys, BigArray<std::size_t>& order) {
    const std::size_t n = keys.size();
    const KeyOrder sorted = OrderOfKeys(keys);
    const BigArray<std::size_t>& byKey = sorted.places;

    order.reserve(n);
    Fenwick smaller(n);       // the places of the keys below the current value
    std::size_t counted = 0;  // byKey[0 .. counted) are in `smaller`
    std::vector<std::size_t> insertAt, ring;
    for (std::size_t a = 0; a < n;) {
        std::size_t b = a + 1;
        while (!sorted.endsRun[b - 1]) ++b;
        const std::size_t c = b - a;
        if (c == 1) {
            order.push_back(byKey[a]);
        } else {
            // byKey[a .. b) holds the places of this value in ascending order.
            // Only equal keys ask for the counts, so a table without them never builds them.
            for (; counted < a; ++counted) smaller.Add(byKey[counted], 1);
            insertAt.assign(c, 0);
            std::size_t front = 0;
            int seen = 0;  // smaller keys before the previous row of this value
            for (std::size_t t = 0; t < c; ++t) {
                const int before = smaller.Before(byKey[a + t]);
                if (t > 0) front = (front + static_cast<std::size_t>(before - seen)) % t;
                seen = before;
                insertAt[t] = front;
                ++front;
            }
            front = (front + static_cast<std::size_t>(static_cast<int>(a) - seen)) % c;

            Fenwick freeSlots(c);
            for (std::size_t s = 0; s < c; ++s) freeSlots.Add(s, 1);
            ring.assign(c, 0);
            for (std::size_t t = c; t-- > 0;) {
                const std::size_t slot = freeSlots.Kth(static_cast<int>(insertAt[t]));
                ring[slot] = byKey[a + t];
                freeSlots.Add(slot, -1);
            }
            for (std::size_t s = 0; s < c; ++s) order.push_back(ring[(front + s) % c]);
        }
        a = b;
    }
}

}  // namespace

std::vector<std::size_t> ExchangeSortOrder(std::span<const long double> keys) {
    BigArray<std::size_t> order;
    ExchangeSortOrderInto(keys, order);
    return std::vector<std::size_t>(order.begin(), order.end());
}

// The exchange sort takes the rows with a key that is not a number out as it
// meets them: the wholly empty ones are dropped, the others go behind the rows
// still to be sorted, in the order met; the vacated place is examined again
// and the rows moved behind are never examined again. That leaves two cases:
// - some row before the last has a numeric key: the scan from the first of them
//   meets every later row, so all non-numeric rows are taken out in table order
//   and the numeric ones are sorted among themselves;
// - otherwise every row but the last is taken out, and the last one, never
//   examined, stays in front of those moved behind it.
std::vector<int> SortRows(DataTable& table, int keyColumn, char sep) {
    keyColumn = std::clamp(keyColumn, 0, DataTable::kColumns - 1);
    const int last = table.RowCount() - 1;
    std::vector<int> sorted;  // the rows in their new order, header first
    if (last < 2) {
        for (int r = 0; r <= last; ++r) sorted.push_back(r);
    } else {
        // The rows whose key is a number, with their keys; nothing per row
        // for the others but a bit.
        std::vector<bool> numeric(static_cast<std::size_t>(last) + 1, false);
        BigArray<int> numericRows;
        BigArray<long double> numericKeys;
        numericRows.reserve(static_cast<std::size_t>(last));
        numericKeys.reserve(static_cast<std::size_t>(last));
        for (int r = 1; r <= last; ++r) {
            const CellText key = table.Cell(keyColumn, r);
            const auto v = ParseNumber(key, sep);
            if (!v || std::isnan(*v)) continue;
            numeric[static_cast<std::size_t>(r)] = true;
            numericRows.push_back(r);
            numericKeys.push_back(*v);
        }
        sorted.reserve(static_cast<std::size_t>(last) + 2);
        sorted.push_back(0);
        if (!numericRows.empty() && numericRows[0] < last) {  // a numeric key before the last row
            BigArray<std::size_t> order;
            ExchangeSortOrderInto(std::span<const long double>(numericKeys.data(), numericKeys.size()),
                                  order);
            for (std::size_t k : order) sorted.push_back(numericRows[k]);
            for (int r = 1; r <= last; ++r)
                if (!numeric[static_cast<std::size_t>(r)] && !table.RowEmpty(r)) sorted.push_back(r);
        } else {
            sorted.push_back(last);
            for (int r = 1; r < last; ++r)
                if (!table.RowEmpty(r)) sorted.push_back(r);
        }
    }
    sorted.push_back(-1);  // the empty row added at the end
    // Rows already in order, the last one empty: the table is left alone.
    bool same = sorted.size() == static_cast<std::size_t>(table.RowCount());
    for (std::size_t k = 0; same && k < sorted.size(); ++k)
        same = sorted[k] < 0 || sorted[k] == static_cast<int>(k);
    if (same) return {};
    table.ReorderRows(sorted);
    return sorted;
}

}  // namespace kurv
