#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/clipboard_text.h"
#include "core_tables.h"

using kurv::DataTable;
using kurv::PasteResult;
using Row = DataTable::Row;

namespace {

std::vector<std::string> Tokens(std::string_view text) {
    std::vector<std::string> out;
    for (auto t : kurv::ClipboardTokens(text)) out.emplace_back(t);
    return out;
}

}  // namespace

TEST(ClipboardText, CopyTableAndColumn) {
    DataTable t = TableOf({{"1", "2", "f1"}, {"3,5", "4", "f2"}}, 4);
    EXPECT_EQ(kurv::TableText(t), "1\t2\r\n3,5\t4\r\n\t\r\n");
    EXPECT_EQ(kurv::ColumnText(t, 0), "1\r\n3,5\r\n\r\n");
    EXPECT_EQ(kurv::ColumnText(t, 1), "2\r\n4\r\n\r\n");
    EXPECT_EQ(kurv::ColumnText(t, 2), "1\r\n3,5\r\n\r\n");
    EXPECT_EQ(kurv::TableText(DataTable(1)), "");
}

TEST(ClipboardText, Tokens) {
    struct Case {
        const char* text;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {"", {}},
        {"\t\r\n\n\t\r", {}},
        {"1\t2\r\n3\t4\r\n", {"1", "2", "3", "4"}},
        {"1\r\n2\r\n3\r\n4", {"1", "2", "3", "4"}},
        {"1\t2\t3\t4", {"1", "2", "3", "4"}},
        {"1\t2\r\n\r\n\n\r\n3\t4\n", {"1", "2", "3", "4"}},
        {"\t5\r\n6\t7", {"5", "6", "7"}},
        {"1 2\t3;4;5\r\n  ", {"1 2", "3;4;5", "  "}},
        {"\xD0\x9F\xD1\x80\xD0\xB8\t1,5", {"\xD0\x9F\xD1\x80\xD0\xB8", "1,5"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Tokens(c.text), c.tokens) << c.text;
}

TEST(ClipboardText, LongTextAndLongTokensReadWhole) {
    const std::string huge(100000, '7');
    EXPECT_EQ(Tokens("1\t" + huge + "\r\n2"), (std::vector<std::string>{"1", huge, "2"}));

    std::string text;
    for (int i = 0; i < 20000; ++i) text += std::to_string(i) + "\t" + std::to_string(i * 2) + "\r\n";
    ASSERT_GT(text.size(), 65535u);
    DataTable t;
    ASSERT_EQ(kurv::PasteTable(t, text), PasteResult::Pasted);
    ASSERT_EQ(t.RowCount(), 20002);
    EXPECT_EQ(t.RowAt(20000), (Row{"19999", "39998", ""}));
    EXPECT_EQ(t.RowAt(20001), Row{});
}

TEST(ClipboardText, BinaryJunkNeverLosesCharacters) {
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string junk(200000, '\0');
    for (char& ch : junk) ch = static_cast<char>(byte(rng));
    std::string kept;
    for (char ch : junk)
        if (ch != '\t' && ch != '\r' && ch != '\n') kept += ch;
    std::string joined;
    for (auto tok : kurv::ClipboardTokens(junk)) {
        ASSERT_FALSE(tok.empty());
        joined += tok;
    }
    EXPECT_EQ(joined, kept);
    DataTable t;
    EXPECT_EQ(kurv::PasteTable(t, junk), PasteResult::Pasted);
}

TEST(ClipboardText, PasteTable) {
    struct Case {
        const char* name;
        std::string text;
        int rowCount;
        Rows expected;  // every data row after the paste
    };
    const Case cases[] = {
        {"pairs replace everything, one empty row after",
         "1\t2\r\n3\t4\r\n",
         100,
         {{"1", "2", ""}, {"3", "4", ""}, {}}},
        {"odd count leaves the last X empty",
         "1\n2\n3\n4\n5",
         2,
         {{"1", "2", ""}, {"3", "4", ""}, {"5", "", ""}, {}}},
        {"empty cells are lost", "\t7\r\n8\t9\r\n", 10, {{"7", "8", ""}, {"9", "", ""}, {}}},
        {"decimal commas verbatim",
         "0,5\t1,25\r\n-3,75e2\t4\r\n",
         5,
         {{"0,5", "1,25", ""}, {"-3,75e2", "4", ""}, {}}},
    };
    for (const Case& c : cases) {
        DataTable t =
            TableOf({{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}}, c.rowCount < 4 ? 4 : c.rowCount);
        if (c.rowCount < 4) t.SetRowCount(c.rowCount);
        EXPECT_EQ(kurv::PasteTable(t, c.text), PasteResult::Pasted) << c.name;
        EXPECT_EQ(DataRows(t), c.expected) << c.name;
        EXPECT_EQ(t.RowAt(0), (Row{"Y", "X", "F"})) << c.name;
    }
}

TEST(ClipboardText, CopyThenPasteGivesTheRowsBack) {
    DataTable t = TableOf({{"1", "2", "fit"}, {"3,5", "-4e3", "fit"}, {" 7 ", "8", ""}}, 60);
    DataTable back = TableOf({{"x", "y", "z"}}, 100);
    ASSERT_EQ(kurv::PasteTable(back, kurv::TableText(t)), PasteResult::Pasted);
    EXPECT_EQ(DataRows(back), (Rows{{"1", "2", ""}, {"3,5", "-4e3", ""}, {" 7 ", "8", ""}, {}}));
}

TEST(ClipboardText, NothingToPasteChangesNothing) {
    const DataTable before = TableOf({{"1", "2", "3"}, {"4", "", "6"}}, 10);
    for (const char* text : {"", "\r\n", "\t\t\r\n\n\r"}) {
        DataTable t = before;
        EXPECT_EQ(kurv::PasteTable(t, text), PasteResult::NoTokens);
        EXPECT_EQ(t.Rows(), before.Rows());
        EXPECT_EQ(kurv::AppendTable(t, text), PasteResult::NoTokens);
        EXPECT_EQ(t.Rows(), before.Rows());
        EXPECT_EQ(kurv::PasteColumn(t, 1, text), PasteResult::NoTokens);
        EXPECT_EQ(t.Rows(), before.Rows());
    }
}

TEST(ClipboardText, Append) {
    struct Case {
        const char* name;
        Rows data;
        int rowCount;
        Rows expected;
    };
    const Case cases[] = {
        {"from the trailing empty row",
         {{"1", "2", "f"}},
         3,
         {{"1", "2", "f"}, {"5", "6", ""}, {"7", "", ""}, {}}},
        {"a last row holding Y is kept",
         {{"1", "2", ""}, {"3", "", ""}},
         3,
         {{"1", "2", ""}, {"3", "", ""}, {"5", "6", ""}, {"7", "", ""}, {}}},
        {"a last row holding X is kept",
         {{"", "4", ""}},
         2,
         {{"", "4", ""}, {"5", "6", ""}, {"7", "", ""}, {}}},
        {"a fitted text alone does not count",
         {{"1", "2", "f"}, {"", "", "g"}},
         3,
         {{"1", "2", "f"}, {"5", "6", "g"}, {"7", "", ""}, {}}},
        {"header-only table starts at row 1", {}, 1, {{"5", "6", ""}, {"7", "", ""}, {}}},
    };
    for (const Case& c : cases) {
        DataTable t = TableOf(c.data, std::max<int>(c.rowCount, 1 + static_cast<int>(c.data.size())));
        EXPECT_EQ(kurv::AppendTable(t, "5\t6\r\n7\r\n"), PasteResult::Pasted) << c.name;
        EXPECT_EQ(DataRows(t), c.expected) << c.name;
    }
    DataTable ten(10);
    kurv::AppendTable(ten, "1\t2");
    EXPECT_EQ(ten.RowAt(9), (Row{"1", "2", ""}));
    EXPECT_EQ(ten.RowCount(), 11);
}

TEST(ClipboardText, PasteColumn) {
    DataTable t(100);
    for (int r = 1; r < 100; ++r) t.SetRow(r, {"y" + std::to_string(r), "x" + std::to_string(r), "f"});
    ASSERT_EQ(kurv::PasteColumn(t, 1, "10\r\n20\r\n30\r\n"), PasteResult::Pasted);
    EXPECT_EQ(t.RowCount(), 100);
    EXPECT_EQ(t.RowAt(1), (Row{"y1", "10", ""}));
    EXPECT_EQ(t.RowAt(3), (Row{"y3", "30", ""}));
    EXPECT_EQ(t.RowAt(4), (Row{"y4", "", ""}));
    EXPECT_EQ(t.RowAt(99), (Row{"y99", "", ""}));

    std::string many;
    for (int i = 0; i < 150; ++i) many += std::to_string(i) + "\n";
    ASSERT_EQ(kurv::PasteColumn(t, 2, many), PasteResult::Pasted);  // a block in column 2 acts on column 0
    EXPECT_EQ(t.RowCount(), 152);
    EXPECT_EQ(t.RowAt(1), (Row{"0", "10", ""}));
    EXPECT_EQ(t.RowAt(99), (Row{"98", "", ""}));
    EXPECT_EQ(t.RowAt(150), (Row{"149", "", ""}));
    EXPECT_EQ(t.RowAt(151), Row{});
}

TEST(ClipboardText, TenMegabytes) {
    std::string text;
    text.reserve(10 << 20);
    while (text.size() < (10u << 20)) text += "12345,678\t-0,000123\r\n";
    DataTable t;
    ASSERT_EQ(kurv::PasteTable(t, text), PasteResult::Pasted);
    const int pairs = static_cast<int>(text.size() / 21);
    EXPECT_EQ(t.RowCount(), pairs + 2);
    EXPECT_EQ(t.RowAt(pairs), (Row{"12345,678", "-0,000123", ""}));
}

// The window's clipboard holds UTF-16: read straight from it, every command
// gives the table the UTF-8 text would, a lone surrogate read as U+FFFD.
TEST(ClipboardText, Utf16TextPastesAsUtf8Does) {
    const std::u16string wide = u"1,5\t\u041F\u0440\u0438\r\n\U0001F600x\t-2e3\n\xD800z\t7";
    const std::string narrow = "1,5\t\xD0\x9F\xD1\x80\xD0\xB8\r\n\xF0\x9F\x98\x80x\t-2e3\n\xEF\xBF\xBDz\t7";
    const DataTable start = TableOf({{"a", "b", "c"}, {"", "", "d"}}, 5);
    for (int command = 0; command < 3; ++command) {
        DataTable a = start, b = start;
        auto run = [&](DataTable& t, auto text) {
            return command == 0   ? kurv::PasteTable(t, text)
                   : command == 1 ? kurv::AppendTable(t, text)
                                  : kurv::PasteColumn(t, 1, text);
        };
        EXPECT_EQ(run(a, std::u16string_view(wide)), PasteResult::Pasted);
        EXPECT_EQ(run(b, std::string_view(narrow)), PasteResult::Pasted);
        EXPECT_EQ(a.Rows(), b.Rows()) << command;
    }
    DataTable t;
    kurv::PasteTable(t, std::u16string_view(wide));
    EXPECT_EQ(t.RowAt(3), (Row{"\xEF\xBF\xBDz", "7", ""}));
}

// A paste reports its progress and stops when asked, by its report's answer
// or from another thread, leaving the table exactly as it was.
TEST(ClipboardText, StoppedPasteLeavesTheTable) {
    std::string text;
    while (text.size() < (3u << 20)) text += "1.234567890123456\t0.98765432109876\r\n";
    const DataTable start = TableOf({{"1", "2", "f"}, {"3", "4", ""}}, 4);

    std::vector<std::uint64_t> seen;
    kurv::Progress counted([&](std::uint64_t done, std::uint64_t total) {
        EXPECT_EQ(total, text.size());
        seen.push_back(done);
        return true;
    });
    DataTable t = start;
    ASSERT_EQ(kurv::PasteTable(t, text, &counted), PasteResult::Pasted);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));

    for (int command = 0; command < 3; ++command) {
        DataTable u = start;
        int reports = 0;
        kurv::Progress stopping([&](std::uint64_t, std::uint64_t) { return ++reports < 2; });
        const PasteResult r = command == 0   ? kurv::PasteTable(u, text, &stopping)
                              : command == 1 ? kurv::AppendTable(u, text, &stopping)
                                             : kurv::PasteColumn(u, 0, text, &stopping);
        EXPECT_EQ(r, PasteResult::Cancelled) << command;
        EXPECT_EQ(u.Rows(), start.Rows()) << command;
        EXPECT_EQ(u.Revision(), start.Revision()) << command;
    }

    std::promise<void> reported;
    bool first = true;
    kurv::Progress* self = nullptr;
    kurv::Progress watched([&](std::uint64_t, std::uint64_t) {
        if (first) {
            first = false;
            reported.set_value();
            while (!self->Cancelled()) std::this_thread::yield();
        }
        return true;  // the report would go on: the other thread's Cancel stops it
    });
    self = &watched;
    std::thread canceller([&] {
        reported.get_future().wait();
        watched.Cancel();
    });
    DataTable u = start;
    EXPECT_EQ(kurv::PasteTable(u, text, &watched), PasteResult::Cancelled);
    canceller.join();
    EXPECT_EQ(u.Rows(), start.Rows());
}
