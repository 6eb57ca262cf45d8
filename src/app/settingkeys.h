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
// A tool window: where it stood and whether it was open ("Y" or "N").
struct ToolWindowKeys {
    SettingKey left, top, visible;
};
inline constexpr ToolWindowKeys kCompareWindow{
    {"FormCompare", "Left"}, {"FormCompare", "Top"}, {"FormCompare", "Visible"}};
inline constexpr ToolWindowKeys kStatisticsWindow{
    {"FormStatistics", "Left"}, {"FormStatistics", "Top"}, {"FormStatistics", "Visible"}};
inline constexpr SettingKey kBand{"Config", "Band"};  // "Yes" or "No": the chart's 95 % band
}  // namespace settings
