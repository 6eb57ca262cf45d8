// The interface texts in Russian (language 0) and English (language 1), UTF-8.
#pragma once

namespace kurv {

constexpr int kUiTextCount = 60;

// Text `id` (0..59) in `language` (0 Russian, 1 English; anything else is Russian).
const char* UiText(int id, int language);

}  // namespace kurv
