#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/numbers.h"
#include "core/table_ops.h"
#include "core_tables.h"

using kurv::DataTable;
using Row = DataTable::Row;

namespace {

// The exchange sort as the table has always done it, one comparison at a time,
// with the vacated place examined again and the rows moved to the end left alone.
void LiteralSort(DataTable& t, int k, char sep) {
    auto key = [&](int r) -> std::optional<long double> {
        const kurv::CellText text = t.Cell(k, r);
        auto v = kurv::ParseNumber(text, sep);
        if (v && std::isnan(*v)) return std::nullopt;
        return v;
    };
    int moved = 0;
    auto takeOut = [&](int p) {
        Row held = t.RowAt(p);
        for (int r = p + 1; r <= t.RowCount() - 1; ++r) t.SetRow(r - 1, t.RowAt(r));
        if (!held[0].empty() || !held[1].empty() || !held[2].empty()) {
            t.SetRow(t.RowCount() - 1, held);
            ++moved;
        } else {
            t.SetRowCount(t.RowCount() - 1);
        }
    };
    auto limit = [&] { return t.RowCount() - moved; };
    int i = 1;
    while (i < limit() - 1) {
        auto v = key(i);
        if (!v) {
            takeOut(i);
            continue;
        }
        int j = i + 1;
        while (j < limit()) {
            auto w = key(j);
            if (!w) {
                takeOut(j);
                continue;
            }
            if (*v > *w) {
                const Row a = t.RowAt(i);
                t.SetRow(i, t.RowAt(j));
                t.SetRow(j, a);
                v = w;
            }
            ++j;
        }
        ++i;
    }
    t.SetRowCount(t.RowCount() + 1);
}

}  // namespace

TEST(TableOps, OperandColumn) {
    EXPECT_EQ(kurv::OperandColumn(0), 0);
    EXPECT_EQ(kurv::OperandColumn(1), 1);
    EXPECT_EQ(kurv::OperandColumn(2), 0);
}

TEST(TableOps, ClearTableKeepsFittedColumnAndRowCount) {
    DataTable t = Make({{"1", "2", "3"}, {"4", "5", "6"}}, 3);
    kurv::ClearTable(t);
    EXPECT_EQ(t.RowCount(), 6);
    EXPECT_EQ(DataRows(t), (Rows{{"", "", "3"}, {"", "", "6"}, {}, {}, {}}));
    EXPECT_EQ(t.RowAt(0), (Row{"Y", "X", "F"}));
}

TEST(TableOps, ClearColumnFollowsBlockRule) {
    struct Case {
        int blockLeft;
        Rows expected;
    };
    for (const Case& c :
         {Case{0, {{"", "2", "3"}, {"", "5", "6"}}}, Case{1, {{"1", "", "3"}, {"4", "", "6"}}},
          Case{2, {{"", "2", "3"}, {"", "5", "6"}}}}) {
        DataTable t = Make({{"1", "2", "3"}, {"4", "5", "6"}});
        kurv::ClearColumn(t, c.blockLeft);
        EXPECT_EQ(DataRows(t), c.expected) << "block starting in column " << c.blockLeft;
        EXPECT_EQ(t.RowAt(0), (Row{"Y", "X", "F"}));
    }
}

TEST(TableOps, DeleteRows) {
    auto numbered = [](int n) {
        Rows r;
        for (int i = 1; i <= n; ++i) r.push_back({std::to_string(i), "x" + std::to_string(i), ""});
        return r;
    };
    struct Case {
        const char* name;
        int top, bottom;
        Rows expected;
    };
    const Rows nine = numbered(9);
    const Case cases[] = {
        {"middle block", 3, 4, {nine[0], nine[1], nine[4], nine[5], nine[6], nine[7], nine[8]}},
        {"block ending at the last row", 7, 9, {nine[0], nine[1], nine[2], nine[3], nine[4], nine[5]}},
        {"first row", 1, 1, Rows(nine.begin() + 1, nine.end())},
        {"every data row leaves one empty row", 1, 9, {Row{}}},
        {"block beyond the table is clipped", 8, 40, Rows(nine.begin(), nine.begin() + 7)},
        {"header row is never deleted", 0, 1, Rows(nine.begin() + 1, nine.end())},
    };
    for (const Case& c : cases) {
        DataTable t = Make(nine);
        kurv::DeleteRows(t, c.top, c.bottom);
        EXPECT_EQ(DataRows(t), c.expected) << c.name;
        EXPECT_EQ(t.RowAt(0), (Row{"Y", "X", "F"})) << c.name;
    }
    DataTable single = Make({{"1", "2", "3"}});
    kurv::DeleteRows(single, 1, 1);
    EXPECT_EQ(single.RowCount(), 2);
    EXPECT_EQ(single.RowAt(1), Row{});
}

TEST(TableOps, SortExamples) {
    struct Case {
        const char* name;
        Rows data;
        int emptyRows, key;
        char sep;
        Rows expected;  // all data rows after the sort, the added empty row included
    };
    const Case cases[] = {
        {"by X, trailing empty rows removed and one added",
         {{"5", "3", ""}, {"6", "1", ""}, {"7", "2", ""}},
         96,
         1,
         '.',
         {{"6", "1", ""}, {"7", "2", ""}, {"5", "3", ""}, {}}},
        {"by the fitted column",
         {{"a", "", "3"}, {"b", "", "-1"}, {"c", "", "2"}},
         1,
         2,
         '.',
         {{"b", "", "-1"}, {"c", "", "2"}, {"a", "", "3"}, {}}},
        {"vacated place examined again",
         {{"2", "", ""}, {"abc", "", ""}, {"1", "", ""}},
         1,
         0,
         '.',
         {{"1", "", ""}, {"2", "", ""}, {"abc", "", ""}, {}}},
        {"equal keys carried past each other",
         {{"2", "first", ""}, {"2", "second", ""}, {"1", "", ""}},
         0,
         0,
         '.',
         {{"1", "", ""}, {"2", "second", ""}, {"2", "first", ""}, {}}},
        {"empty key with texts moves behind, wholly empty row disappears",
         {{"", "7", "x"}, {"3", "1", ""}, {"", "", ""}, {"1", "2", ""}},
         2,
         0,
         '.',
         {{"1", "2", ""}, {"3", "1", ""}, {"", "7", "x"}, {}}},
        {"moved rows keep their order",
         {{"b", "", ""}, {"9", "", ""}, {"a", "", ""}, {"c", "", ""}, {"1", "", ""}},
         0,
         0,
         '.',
         {{"1", "", ""}, {"9", "", ""}, {"b", "", ""}, {"a", "", ""}, {"c", "", ""}, {}}},
        {"only the last key numeric: it stays in front",
         {{"abc", "", ""}, {"def", "", ""}, {"5", "", ""}},
         0,
         0,
         '.',
         {{"5", "", ""}, {"abc", "", ""}, {"def", "", ""}, {}}},
        {"decimal comma and point both read",
         {{"2", "", ""}, {"1.5", "", ""}, {"1,4", "", ""}},
         0,
         0,
         ',',
         {{"1,4", "", ""}, {"1.5", "", ""}, {"2", "", ""}, {}}},
        {"keys beyond the double range",
         {{"1e400", "", ""}, {"-1e400", "", ""}, {"1e399", "", ""}, {"5", "", ""}},
         0,
         0,
         '.',
         {{"-1e400", "", ""}, {"5", "", ""}, {"1e399", "", ""}, {"1e400", "", ""}, {}}},
        {"single data row compares nothing", {{"", "", ""}}, 0, 0, '.', {{}, {}}},
        {"wholly empty table", {}, 40, 1, '.', {{}, {}}},
    };
    for (const Case& c : cases) {
        DataTable t = Make(c.data, c.emptyRows);
        kurv::SortRows(t, c.key, c.sep);
        EXPECT_EQ(DataRows(t), c.expected) << c.name;
        EXPECT_EQ(t.RowAt(0), (Row{"Y", "X", "F"})) << c.name;
        DataTable literal = Make(c.data, c.emptyRows);
        LiteralSort(literal, c.key, c.sep);
        EXPECT_EQ(DataRows(literal), c.expected) << "literal: " << c.name;
    }
}

// Random small tables, ties, equal numbers written differently, non-numeric
// and wholly empty rows: the fast sort must leave exactly the literal order.
TEST(TableOps, SortMatchesLiteralExchangeSort) {
    std::mt19937 rng(20240611);
    const std::vector<std::string> pool = {"1",     "2",  "3",   "2.0", "0", "-0",
                                           "1e400", "-7", "abc", "",    " ", "1,5"};
    int id = 0;
    auto randomTable = [&](int maxRows, int distinct) {
        std::uniform_int_distribution<int> rowsDist(0, maxRows), keyDist(0, distinct - 1), coin(0, 3);
        Rows data;
        const int n = rowsDist(rng);
        for (int r = 0; r < n; ++r) {
            Row row;
            for (std::string& cell : row) cell = coin(rng) ? "r" + std::to_string(++id) : "";
            data.push_back(row);
        }
        return data;
    };
    for (int round = 0; round < 40000; ++round) {
        const bool big = round % 20 == 0;
        const int distinct = big ? 2 + round % 5 : static_cast<int>(pool.size());
        Rows data = randomTable(big ? 60 : 9, distinct);
        std::uniform_int_distribution<int> keyCol(0, 2), keyDist(0, distinct - 1);
        const int k = keyCol(rng);
        for (Row& row : data) row[k] = pool[keyDist(rng)];
        const int emptyRows = round % 3;
        const char sep = round % 2 ? ',' : '.';
        DataTable fast = Make(data, emptyRows), literal = Make(data, emptyRows);
        kurv::SortRows(fast, k, sep);
        LiteralSort(literal, k, sep);
        ASSERT_EQ(fast.Rows(), literal.Rows()) << "round " << round;
    }
}

// Ties among few values, and in odd rounds keys that only the extended format
// tells apart, both zeros, infinities and the smallest magnitudes.
TEST(TableOps, ExchangeSortOrderOfManyTies) {
    const long double one = 1, tiny = std::numeric_limits<long double>::denorm_min();
    const long double pool[] = {one,
                                std::nextafter(one, 2.0L),
                                -one,
                                -std::nextafter(one, 2.0L),
                                0.0L,
                                -0.0L,
                                tiny,
                                -tiny,
                                std::numeric_limits<long double>::infinity(),
                                -std::numeric_limits<long double>::infinity(),
                                std::numeric_limits<long double>::max(),
                                1e-300L};
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        std::uniform_int_distribution<int> len(0, 300), val(0, round % 2 ? 11 : 1 + round % 6);
        std::vector<long double> keys(len(rng));
        for (auto& k : keys) k = round % 2 ? pool[val(rng)] : val(rng);
        std::vector<std::size_t> a(keys.size());
        for (std::size_t i = 0; i < a.size(); ++i) a[i] = i;
        for (std::size_t i = 0; i + 1 < a.size(); ++i)
            for (std::size_t j = i + 1; j < a.size(); ++j)
                if (keys[a[i]] > keys[a[j]]) std::swap(a[i], a[j]);
        ASSERT_EQ(kurv::ExchangeSortOrder(keys), a) << "round " << round;
    }
}
