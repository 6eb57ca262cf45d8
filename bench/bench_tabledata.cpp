// Table data without the window: clipboard texts, the sort and the data file.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "core/clipboard_text.h"
#include "core/datafile_format.h"
#include "core/table_ops.h"

namespace {

// A table of n filled rows (Y, X, fitted text) and one empty row.
kurv::DataTable FilledTable(int n, unsigned seed, int distinctKeys = 0) {
    std::mt19937 rng(seed);
    std::vector<int> keys(n);
    for (int i = 0; i < n; ++i) keys[i] = distinctKeys ? i % distinctKeys : i;
    std::shuffle(keys.begin(), keys.end(), rng);
    kurv::DataTable t(n + 2);
    for (int i = 0; i < n; ++i) {
        char x[32];
        std::snprintf(x, sizeof x, "%d.%03d", keys[i] / 7, keys[i] % 1000);
        t.SetRow(i + 1, {std::to_string(keys[i]), x, "1.2345678"});
    }
    return t;
}

void Report(const char* what, double seconds) {
    std::printf("  %-44s %9.2f ms (median)\n", what, seconds * 1e3);
}

// Median of runs, each on a fresh copy of `input` that is made outside the timing.
template <class F>
double MedianOnCopies(int runs, const kurv::DataTable& input, F&& fn) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        kurv::DataTable copy = input;
        auto a = std::chrono::steady_clock::now();
        fn(copy);
        auto b = std::chrono::steady_clock::now();
        bench::Keep(copy);
        t.push_back(std::chrono::duration<double>(b - a).count());
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

}  // namespace

KURVILON_BENCH("tabledata") {
    const kurv::DataTable table = FilledTable(100000, 1);

    const std::string clip = kurv::TableText(table);
    std::printf("  paste text: %zu bytes\n", clip.size());
    Report("paste table, 100,000 pairs",
           MedianOnCopies(9, kurv::DataTable(100), [&](kurv::DataTable& t) { kurv::PasteTable(t, clip); }));
    Report("copy table, 100,000 rows", bench::MedianSeconds(9, [&] {
               auto text = kurv::TableText(table);
               bench::Keep(text);
           }));

    const kurv::DataTable small = FilledTable(10000, 2);
    Report("sort 10,000 rows, distinct keys",
           MedianOnCopies(9, small, [](kurv::DataTable& t) { kurv::SortRows(t, 0, '.'); }));
    Report("sort 100,000 rows, distinct keys",
           MedianOnCopies(5, table, [](kurv::DataTable& t) { kurv::SortRows(t, 0, '.'); }));
    Report(
        "sort 100,000 rows, 10 distinct keys",
        MedianOnCopies(5, FilledTable(100000, 3, 10), [](kurv::DataTable& t) { kurv::SortRows(t, 0, '.'); }));

    const std::string file = kurv::DataFileBytes(table);
    std::printf("  data file: %zu bytes\n", file.size());
    Report("data file read, 100,000 lines",
           MedianOnCopies(9, kurv::DataTable(100), [&](kurv::DataTable& t) { kurv::ReadDataFile(t, file); }));
    Report("data file bytes, 100,000 rows", bench::MedianSeconds(9, [&] {
               auto bytes = kurv::DataFileBytes(table);
               bench::Keep(bytes);
           }));
    const std::string path =
        (std::filesystem::temp_directory_path() / ("kurv-bench-" + std::to_string(::getpid()) + ".txt"))
            .string();
    Report("data file write incl. sync and rename",
           bench::MedianSeconds(9, [&] { kurv::WriteFileSafely(path, kurv::DataFileBytes(table)); }));
    std::string bytes;
    Report("data file read from disk incl. parsing",
           MedianOnCopies(9, kurv::DataTable(100), [&](kurv::DataTable& t) {
               kurv::ReadWholeFile(path, bytes);
               kurv::ReadDataFile(t, bytes);
           }));
    std::filesystem::remove(path);
}
