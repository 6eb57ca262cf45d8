// Errors that end an operation and reach the default error box.
// The window's outermost Qt-facing handler catches KurvError and shows what().
#pragma once

#include <stdexcept>
#include <string>

namespace kurv {

struct KurvError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A text that the number form rejects: "'<text>' is not a valid floating point value".
struct ConvertError : KurvError {
    explicit ConvertError(const std::string& text);
};

// An arithmetic fault outside the solution: a power, product, residual or
// evaluated value beyond the double range ("Floating point overflow.").
struct ArithmeticError : KurvError {
    ArithmeticError();
    using KurvError::KurvError;
};

}  // namespace kurv
