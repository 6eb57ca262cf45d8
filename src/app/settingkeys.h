// The settings file's sections and keys, written once.
#pragma once

struct SettingKey {
    const char* section;
    const char* key;
};

namespace settings {
inline constexpr SettingKey kLanguage{"Config", "Language"};  // "Rus" or "Eng"
inline constexpr SettingKey kPoints{"Config", "Points"};      // "Yes" or "No": the evaluation points shown
inline constexpr SettingKey kLeft{"FormMain", "Left"};
inline constexpr SettingKey kTop{"FormMain", "Top"};
inline constexpr SettingKey kFunction{"FormMain", "Function"};  // the kind's list index + 1
inline constexpr SettingKey kOnTop{"FormMain", "OnTop"};        // "Y" or "N"
// The comparison window: where it stood and whether it was open.
inline constexpr SettingKey kCompareLeft{"FormCompare", "Left"};
inline constexpr SettingKey kCompareTop{"FormCompare", "Top"};
inline constexpr SettingKey kCompareVisible{"FormCompare", "Visible"};  // "Y" or "N"
}  // namespace settings
