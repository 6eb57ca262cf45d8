#include "bench/benchtexts.h"

#include <QFile>
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <numeric>
#include <random>
#include <string>

#include "bench/bench.h"

namespace bench {

namespace {

double StatusMiB(const char* field) {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(static_cast<int>(std::strlen(field))).trimmed().split(' ')[0].toLong() / 1024.0;
    return -1;
}

void AppendNumber(QByteArray& out, double v, int digits) {
    char buf[40];
    const auto r = digits > 0 ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits)
                              : std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 3);
    out.append(buf, r.ptr - buf);
}

}  // namespace

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

double ResidentMiB() {
    return StatusMiB("VmRSS:");
}

double PeakMiB() {
    return StatusMiB("VmHWM:");
}

void ResetPeak() {
    QFile f("/proc/self/clear_refs");
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

Texts MakeTexts(int rows, bool longTexts, unsigned seed, bool keepPlaces) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> noise(-0.05, 0.05);
    std::uniform_int_distribution<int> digits(15, 17);
    std::vector<int> order(static_cast<std::size_t>(rows));
    std::iota(order.begin(), order.end(), 1);
    std::shuffle(order.begin(), order.end(), rng);
    Texts t;
    t.clip.reserve(static_cast<qsizetype>(rows) * (longTexts ? 40 : 20));
    if (keepPlaces) {
        t.at.reserve(order.size());
        t.ySize.reserve(order.size());
        t.xSize.reserve(order.size());
    }
    const double shift = seed * 1e-4;
    for (int k : order) {
        const double x = k * 0.001 + shift + (longTexts ? noise(rng) * 1e-3 : 0);
        const double y = 2 * x * x - x + 1 + noise(rng);
        const qsizetype start = t.clip.size();
        AppendNumber(t.clip, y, longTexts ? digits(rng) : 0);
        const qsizetype tab = t.clip.size();
        t.clip.append('\t');
        AppendNumber(t.clip, x, longTexts ? digits(rng) : 0);
        if (keepPlaces) {
            t.at.push_back(static_cast<std::uint32_t>(start));
            t.ySize.push_back(static_cast<std::uint8_t>(tab - start));
            t.xSize.push_back(static_cast<std::uint8_t>(t.clip.size() - tab - 1));
        }
        t.clip.append("\r\n", 2);
    }
    return t;
}

QByteArray FileBytes(QByteArray clip) {
    clip.replace('\t', ' ');
    clip.replace("\r\n", "\n");
    return clip;
}

Limit LimitSeconds(const Texts& t, int runs) {
    const std::size_t n = t.at.size();
    constexpr std::size_t kSlot = 24;
    std::vector<char> out(n * kSlot);
    std::vector<double> xs(n), ys(n);
    std::vector<double> cpu;
    Limit limit;
    limit.seconds = MedianSeconds(runs, [&] {
        const double start = ProcessCpuSeconds();
        double S[10] = {};
        const char* text = t.clip.constData();
        for (std::size_t i = 0; i < n; ++i) {
            const char* yAt = text + t.at[i];
            const char* xAt = yAt + t.ySize[i] + 1;
            std::from_chars(yAt, yAt + t.ySize[i], ys[i]);
            std::from_chars(xAt, xAt + t.xSize[i], xs[i]);
            const double x = xs[i], y = ys[i], x2 = x * x, x3 = x2 * x, x4 = x2 * x2;
            S[0] += x, S[1] += x2, S[2] += x3, S[3] += x4, S[4] += x4 * x, S[5] += x4 * x2;
            S[6] += y, S[7] += x * y, S[8] += x2 * y, S[9] += x3 * y;
        }
        const double a = S[7] / S[1], b = S[6] / static_cast<double>(n);
        for (std::size_t i = 0; i < n; ++i) {
            char* slot = out.data() + i * kSlot;
            std::to_chars(slot, slot + kSlot, a * xs[i] + b, std::chars_format::general, 15);
        }
        Keep(out);
        cpu.push_back(ProcessCpuSeconds() - start);
    });
    std::sort(cpu.begin(), cpu.end());
    limit.cpuSeconds = cpu[cpu.size() / 2];
    return limit;
}

std::vector<int> SizesWanted(const char* fallback) {
    const char* asked = std::getenv("KURVILON_BENCH_ROWS");
    std::vector<int> sizes;
    for (const QByteArray& s : QByteArray(asked ? asked : fallback).split(','))
        if (s.toInt() > 0) sizes.push_back(s.toInt());
    return sizes;
}

bool LongTextsWanted() {
    const char* asked = std::getenv("KURVILON_BENCH_TEXTS");
    return !asked || std::strcmp(asked, "short") != 0;
}

}  // namespace bench
