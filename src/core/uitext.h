// The interface texts in Russian (language 0) and English (language 1), UTF-8,
// each addressed by what it is.
#pragma once

namespace kurv {

// The order is fixed: stored texts and the About box's title address the table by
// position, and the help text's lines run from HelpFirst to HelpLast.
enum class TextId : int {
    AppTitle,
    MenuFile,
    MenuEdit,
    MenuParameters,
    MenuAbout,
    ItemRead,
    ItemWrite,
    ItemExit,
    ItemTableClear,
    ItemTableCopy,
    ItemTablePaste,
    ItemAppend,
    ItemColumnClear,
    ItemColumnCopy,
    ItemColumnPaste,
    ItemDeleteRows,
    ItemSort,
    ItemEvaluationPoints,
    MenuLanguage,
    ItemRussian,
    ItemEnglish,
    TableCaption,
    HeaderTrueY,
    HeaderGaugeX,
    HeaderFittedY,
    InsufficientData,
    FillTheTable,
    MaxErrorLabel,
    RmsLabel,
    OnTop,
    FunctionKindLabel,
    KindLinear,
    KindQuadratic,
    KindCubic,
    PrintChart,
    CopyChartButton,
    CopyChartItem,
    HelpFirst,
    HelpLast = HelpFirst + 10,
    ResultCaption,
    CopyFormulaButton,
    CopyCoefficients,
    ItemLinear,
    ItemQuadratic,
    ItemCubic,
    CoefficientsUndetermined,
    CannotCalculate,
    NotANumberSuffix,  // appended to the rejected input
    InvalidNumberCaption,
    ClipboardInvalid,
    CannotPaste,
    Count
};

// A text held by its operation, in both languages.
struct TextPair {
    const char* rus;
    const char* eng;
    // 1 English, anything else Russian.
    constexpr const char* In(int language) const { return language == 1 ? eng : rus; }
};

// The hint beside the RMS deviation, the same in both languages.
inline constexpr const char* kRmsNote = "(по ГОСТ 17624-87)";

constexpr int kUiTextCount = static_cast<int>(TextId::Count);

// Text `id` in `language` (0 Russian, 1 English; anything else is Russian).
const char* UiText(TextId id, int language);
// By position (0..kUiTextCount-1); an id out of range gives "".
const char* UiText(int id, int language);

constexpr TextId operator+(TextId id, int n) {
    return static_cast<TextId>(static_cast<int>(id) + n);
}

}  // namespace kurv
