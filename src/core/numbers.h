// The one number text form of the program: reading a typed text and the
// display patterns. Everything here is exact to the last shown digit:
// conversions go through the 80-bit extended type and rounding is done
// on the exact binary value, ties away from zero (the library's
// correctly rounded conversions, with exact ties found from the bits).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kurv {

// The text form of a number, extended precision. `sep` is the locale's decimal
// separator; the first '.' in the text stands for it. Returns nothing when the
// text is not a number (or overflows the 80-bit range). Values beyond the double
// range are accepted here (1e400): callers decide what that means.
std::optional<long double> ParseNumber(std::string_view text, char sep);

// ParseNumber rounded to double, for computations. Throws ConvertError when the
// text is not a number and ArithmeticError when it lies beyond the double range.
double TextToNumber(std::string_view text, char sep);

// True for "", "-" and "+": texts on the way to a number, never checked.
bool IsPartialNumberText(std::string_view text);

// At most 15 significant digits, trailing zeros dropped; fixed notation for
// 0.0001 <= |v| < 1e15, otherwise d.dddE[-]x. Zero is "0".
std::string GeneralNumberText(double v, char sep);

// The same text written at `out`, which has room for kGeneralNumberChars;
// returns its end. No allocation: for filling many cells.
inline constexpr int kGeneralNumberChars = 24;  // "-1.23456789012345E-308"
char* WriteGeneralNumberText(double v, char sep, char* out);

// The shortest text that TextToNumber reads back to exactly v (the sign of
// zero too), fixed or with an exponent ("1.5e-7"), whichever is shorter.
// Not a number and the infinities give "NAN", "INF" and "-INF".
std::string FullPrecisionText(double v, char sep);

// The display patterns.
std::string FormatFixed7(double v, char sep);  // "0.0000000"
std::string FormatExp7(double v, char sep);    // "0.0000000e+0"
std::string FormatUpTo3(double v, char sep);   // "0.###"
std::string FormatExp3(double v, char sep);    // "0.000e+00"

// A coefficient's text: fixed for 1 <= |a| < 10, exponent form otherwise;
// "0" for an exact zero (also -0).
std::string CoefficientText(double a, char sep);

// Maximum error and RMS deviation: "0.###" above 0.01, "0" for 0, else "0.000e+00".
std::string ErrorMeasureText(double v, char sep);

// A value read off the curve (evaluation points, fill command): fixed inside
// (-1000, -0.001) and (0.001, 1000), exponent form otherwise, "0" for exactly 0.
std::string CurveValueText(double y, char sep);

}  // namespace kurv
