// Placeholder until the text table lands.
#include "core/uitext.h"

namespace kurv {
const char* UiText(int, int) { return ""; }
}  // namespace kurv
