#include "core/errors.h"

namespace kurv {

ConvertError::ConvertError(const std::string& text)
    : KurvError("'" + text + "' is not a valid floating point value") {}

ArithmeticError::ArithmeticError() : KurvError("Floating point overflow.") {}

}  // namespace kurv
