// Placeholder until the number forms land.
#include "core/numbers.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/errors.h"

namespace kurv {

std::optional<long double> ParseNumber(std::string_view text, char sep) {
    std::string s(text);
    for (char& ch : s)
        if (ch == sep) ch = '.';
    char* end = nullptr;
    long double v = std::strtold(s.c_str(), &end);
    if (s.empty() || *end) return std::nullopt;
    return v;
}

double TextToNumber(std::string_view text, char sep) {
    auto v = ParseNumber(text, sep);
    if (!v) throw ConvertError(std::string(text));
    return static_cast<double>(*v);
}

bool IsPartialNumberText(std::string_view t) { return t.empty() || t == "-" || t == "+"; }

static std::string Fmt(const char* f, double v, char sep) {
    char b[64];
    std::snprintf(b, sizeof b, f, v);
    std::string s(b);
    for (char& ch : s)
        if (ch == '.') ch = sep;
    return s;
}
std::string GeneralNumberText(double v, char sep) { return Fmt("%.15G", v, sep); }
std::string FormatFixed7(double v, char sep) { return Fmt("%.7f", v, sep); }
std::string FormatExp7(double v, char sep) { return Fmt("%.7e", v, sep); }
std::string FormatUpTo3(double v, char sep) { return Fmt("%.3f", v, sep); }
std::string FormatExp3(double v, char sep) { return Fmt("%.3e", v, sep); }
std::string CoefficientText(double a, char sep) {
    if (a == 0) return "0";
    return ((a > -10 && a <= -1) || (a >= 1 && a < 10)) ? FormatFixed7(a, sep) : FormatExp7(a, sep);
}
std::string ErrorMeasureText(double v, char sep) {
    if (v > 0.01) return FormatUpTo3(v, sep);
    if (v == 0) return "0";
    return FormatExp3(v, sep);
}
std::string CurveValueText(double y, char sep) {
    if (y == 0) return "0";
    return ((y > -1000 && y < -0.001) || (y > 0.001 && y < 1000)) ? FormatFixed7(y, sep) : FormatExp7(y, sep);
}

}  // namespace kurv
