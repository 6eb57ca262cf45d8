// Tables for the fit's tests: certified reference data published for testing
// regression code, an ozone monitor's calibration (Norris, 36 pairs, linear)
// and a load cell's (Pontius, 40 pairs, quadratic) with their certified
// values, and random tables as a user would type them.
#pragma once

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "core/numbers.h"

struct Pairs {
    std::vector<double> x, y;
};

inline Pairs Norris() {
    const double yx[][2] = {
        {0.1, 0.2},     {338.8, 337.4}, {118.1, 118.2}, {888.0, 884.6}, {9.2, 10.1},    {228.1, 226.5},
        {668.5, 666.3}, {998.5, 996.3}, {449.1, 448.6}, {778.9, 777.0}, {559.2, 558.2}, {0.3, 0.4},
        {0.1, 0.6},     {778.1, 775.5}, {668.8, 666.9}, {339.3, 338.0}, {448.9, 447.5}, {10.8, 11.6},
        {557.7, 556.0}, {228.3, 228.1}, {998.0, 995.8}, {888.8, 887.6}, {119.6, 120.2}, {0.3, 0.3},
        {0.6, 0.3},     {557.6, 556.8}, {339.3, 339.1}, {888.0, 887.2}, {998.5, 999.0}, {778.9, 779.0},
        {10.2, 11.1},   {117.6, 118.3}, {228.9, 229.2}, {668.4, 669.1}, {449.2, 448.9}, {0.2, 0.5},
    };
    Pairs p;
    for (const auto& r : yx) p.y.push_back(r[0]), p.x.push_back(r[1]);
    return p;
}

inline Pairs Pontius() {
    const double y[] = {.11019,  .21956,  .32949,  .43899,  .54803,  .65694,  .76562,  .87487,
                        .98292,  1.09146, 1.20001, 1.30822, 1.41599, 1.52399, 1.63194, 1.73947,
                        1.84646, 1.95392, 2.06128, 2.16844, .11052,  .22018,  .32939,  .43886,
                        .54798,  .65739,  .76596,  .87474,  .98300,  1.09150, 1.20004, 1.30818,
                        1.41613, 1.52408, 1.63159, 1.73965, 1.84696, 1.95445, 2.06177, 2.16829};
    Pairs p;
    for (int i = 0; i < 40; ++i) {
        p.x.push_back(150000.0 * (i % 20 + 1));
        p.y.push_back(y[i]);
    }
    return p;
}

struct Certified {
    double a[3], u[3];
    double s, r2;
};

// The certified coefficients prove the data above typed right.
inline constexpr Certified kNorrisCertified{{-0.262323073774029, 1.00211681802045, 0},
                                            {0.232818234301152, 0.429796848199937E-03, 0},
                                            0.884796396144373,
                                            0.999993745883712};
inline constexpr Certified kPontiusCertified{
    {0.673565789473684E-03, 0.732059160401003E-06, -0.316081871345029E-14},
    {0.107938612033077E-03, 0.157817399981659E-09, 0.486652849992036E-16},
    0.205177424076185E-03,
    0.999999900178537};

// A random table for a kind with p coefficients: 2p to 2p + 29 pairs, X
// spread over `spread` around `offset` spreads from zero, Y a polynomial in
// the scaled X with coefficients in [-10, 10] plus noise of `noise` times
// their size; every value as typed (15 digits).
inline Pairs RandomTable(std::mt19937_64& rng, int p, double offset, double noise) {
    std::uniform_real_distribution<double> unit(-1, 1);
    const double spread = std::pow(10.0, static_cast<int>(rng() % 7) - 3);
    const double centre = offset * spread * (rng() % 2 ? 1 : -1);
    const double size = std::pow(10.0, static_cast<int>(rng() % 9) - 4);
    double c[4];
    for (double& v : c) v = 10 * unit(rng);
    const int n = 2 * p + static_cast<int>(rng() % 30);
    auto typed = [](double v) { return kurv::TextToNumber(kurv::GeneralNumberText(v, '.'), '.'); };
    Pairs t;
    for (int i = 0; i < n; ++i) {
        const double s = unit(rng);
        double y = 0;
        for (int k = p - 1; k >= 0; --k) y = y * s + c[k];
        t.x.push_back(typed(centre + spread * s));
        t.y.push_back(typed(size * (y + 10 * noise * unit(rng))));
    }
    return t;
}
