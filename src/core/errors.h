// Errors that end an operation and reach the default error box.
// The window's outermost Qt-facing handler catches KurvError and shows what().
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/uitext.h"

namespace kurv {

struct KurvError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A text that the number form rejects: "'<text>' is not a valid floating point value",
// the text as QuotedForMessage gives it.
struct ConvertError : KurvError {
    explicit ConvertError(std::string_view text);
};

// An arithmetic fault outside the solution: a power, product, residual or
// evaluated value beyond the double range ("Floating point overflow.").
struct ArithmeticError : KurvError {
    ArithmeticError();
    using KurvError::KurvError;
};

// What an operation that ran out of memory tells its user.
inline constexpr TextPair kNotEnoughMemory{"Недостаточно памяти для этой операции.",
                                           "Not enough memory for this operation."};

constexpr std::size_t kQuotedCharsMax = 100;

// User text as a message may quote it: at most kQuotedCharsMax characters, cut
// on a character boundary and ended with "…" when longer; control characters
// shown as their Control Pictures symbols (NUL as U+2400 "␀"), bytes that are
// not UTF-8 as U+FFFD.
std::string QuotedForMessage(std::string_view text);

}  // namespace kurv
