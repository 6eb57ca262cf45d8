// `kurvilon fit` as a script runs it: the whole process (start, reading the
// data file, the fit, printing to /dev/null), timed from outside, next to the
// machine's limit for one recalculation of as many rows.
// Run: kurvilon_bench cli (KURVILON_BENCH_ROWS=1000000 for one size)
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "bench/recalc_limit.h"

namespace {

// Exit status of the program run with `args`, standard output thrown away.
int Run(const std::vector<std::string>& args) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        std::vector<std::string> all{KURVILON_PROGRAM};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(KURVILON_PROGRAM, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

KURVILON_BENCH("cli: kurvilon fit of a data file") {
    const char* only = std::getenv("KURVILON_BENCH_ROWS");
    const std::string sizes = only ? "," + std::string(only) + "," : "";
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "kurvilon-bench-fit.txt";
    for (int rows : {10000, 100000, 1000000}) {
        if (!sizes.empty() && sizes.find("," + std::to_string(rows) + ",") == std::string::npos) continue;
        const bench::LimitData d = bench::MakeLimitData(rows);
        std::ofstream(file, std::ios::binary) << d.file;
        const int runs = rows >= 1000000 ? 5 : 9;
        std::printf(" %d rows (median of %d, each run beside a limit of its own)\n", rows, runs);
        for (const char* format : {"text", "json"}) {
            // The machine's pace drifts by tens of percent within a minute here:
            // each run of the program is timed right after a limit, and the
            // ratio is the median of the runs' ratios.
            int status = 0;
            std::vector<double> times, limits, ratios;
            for (int i = 0; i < runs; ++i) {
                limits.push_back(bench::LimitSeconds(d, 3));
                times.push_back(bench::MedianSeconds(1, [&] {
                    status |=
                        Run({"fit", "--kind=quadratic", "--separator=.", "--format", format, file.string()});
                }));
                ratios.push_back(times.back() / limits.back());
            }
            const auto median = [](std::vector<double> v) {
                std::sort(v.begin(), v.end());
                return v[v.size() / 2];
            };
            std::printf("  kurvilon fit --format=%-4s   %9.1f ms   limit %7.1f ms   %5.2f× limit%s\n", format,
                        median(times) * 1e3, median(limits) * 1e3, median(ratios),
                        status ? "   (!) a run failed" : "");
            std::fflush(stdout);
        }
    }
    std::filesystem::remove(file);
}
