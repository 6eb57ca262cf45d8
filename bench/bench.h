// A tiny benchmark registry: each bench_*.cpp registers its sections with
// KURVILON_BENCH(name) { ... }, and kurvilon_bench runs them in name order
// (or only those whose name contains the first argument).
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace bench {

inline std::map<std::string, std::function<void()>>& Registry() {
    static std::map<std::string, std::function<void()>> r;
    return r;
}

struct Registrar {
    Registrar(const char* name, std::function<void()> fn) { Registry()[name] = std::move(fn); }
};

// Median wall time in seconds of `runs` calls of fn.
template <class F>
double MedianSeconds(int runs, F&& fn) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        auto a = std::chrono::steady_clock::now();
        fn();
        auto b = std::chrono::steady_clock::now();
        t.push_back(std::chrono::duration<double>(b - a).count());
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// Keeps a value alive so the optimiser cannot drop the work that made it.
template <class T>
inline void Keep(const T& v) {
    asm volatile("" : : "g"(&v) : "memory");
}

}  // namespace bench

#define KURVILON_BENCH_CAT2(a, b) a##b
#define KURVILON_BENCH_CAT(a, b) KURVILON_BENCH_CAT2(a, b)
#define KURVILON_BENCH(name)                                          \
    static void KURVILON_BENCH_CAT(bench_fn_, __LINE__)();            \
    static bench::Registrar KURVILON_BENCH_CAT(bench_reg_, __LINE__)( \
        name, KURVILON_BENCH_CAT(bench_fn_, __LINE__));               \
    static void KURVILON_BENCH_CAT(bench_fn_, __LINE__)()
