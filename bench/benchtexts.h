// What the scale benchmarks share: the table's texts as an instrument exports
// them, the machine's limit for one recalculation of them, and this process's
// memory.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace bench {

// The processor time of this process, all its threads, in seconds: on a busy
// machine it tells the work done apart from the waiting for a processor.
double ProcessCpuSeconds();

// Resident and peak memory of this process in MiB; the peak can be reset.
double ResidentMiB();
double PeakMiB();
void ResetPeak();

// The table's texts in random X order, "Y<TAB>X<CR><LF>" per row: Y and X with
// 15 to 17 significant digits, or short ones (up to 3 decimals). `seed`
// changes every value, so that a paste over a table of another seed replaces
// every row.
struct Texts {
    QByteArray clip;
    std::vector<std::uint32_t> at;  // where each row's Y starts, when kept
    std::vector<std::uint8_t> ySize, xSize;
};
Texts MakeTexts(int rows, bool longTexts, unsigned seed, bool keepPlaces);

// The same rows as the data file holds them.
QByteArray FileBytes(QByteArray clip);

// The limit: one pass that parses every text once with from_chars, forms the
// power sums, and formats one text per row with to_chars into fixed slots.
// Medians of the wall time and of the processor time.
struct Limit {
    double seconds = 0, cpuSeconds = 0;
};
Limit LimitSeconds(const Texts& t, int runs);

// The sizes and texts asked for: KURVILON_BENCH_ROWS (a comma list) and
// KURVILON_BENCH_TEXTS=long|short.
std::vector<int> SizesWanted(const char* fallback);
bool LongTextsWanted();

}  // namespace bench
