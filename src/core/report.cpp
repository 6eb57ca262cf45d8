#include "core/report.h"

#include <cmath>

#include "core/numbers.h"
#include "core/uitext.h"

namespace kurv {

namespace {

std::string In(int language, const char* russian, const char* english) {
    return language == 1 ? english : russian;
}

}  // namespace

Report BuildReport(const ReportInput& in) {
    const int lang = in.language == 1 ? 1 : 0;
    auto text = [lang](TextId id) { return std::string(UiText(id, lang)); };
    Report r;
    r.language = lang;
    r.title = in.title;
    r.heading = In(lang, "Отчёт о градуировке", "Calibration report");

    const int kind = in.kind >= 0 && in.kind <= 2 ? in.kind : 0;
    std::string kindLabel = text(TextId::FunctionKindLabel);
    if (!kindLabel.empty() && kindLabel.back() == ':') kindLabel.pop_back();
    r.fields = {
        {In(lang, "Дата и время", "Date and time"), in.stamp},
        {kindLabel, text(TextId::KindLinear + kind)},
        {In(lang, "Формула", "Formula"), in.formula},
    };

    r.coefficientColumns = {In(lang, "Как показано", "As shown"),
                            In(lang, "Полная точность", "Full precision")};
    const double a[4] = {in.coefficients.a0, in.coefficients.a1, in.coefficients.a2, in.coefficients.a3};
    for (int i = 0; i < kind + 2; ++i)
        r.coefficients.push_back({"A" + std::to_string(i) + " = " + in.coefficientTexts[std::size_t(i)],
                                  FullPrecisionText(a[i], in.sep)});

    const int n = in.pairs ? in.pairs->Size() : 0;
    r.measures = {
        {text(TextId::MaxErrorLabel), ErrorMeasureText(in.maxError, in.sep)},
        {text(TextId::RmsLabel) + " " + kRmsNote, ErrorMeasureText(in.sigma, in.sep)},
        {In(lang, "Число пар", "Number of pairs"), std::to_string(n)},
    };

    r.columns = {"№", text(TextId::HeaderTrueY), text(TextId::HeaderGaugeX), text(TextId::HeaderFittedY),
                 "Y − " + text(TextId::HeaderFittedY)};
    if (in.pairs && in.fitted) {
        const std::size_t count = std::min(in.pairs->rows.size(), in.fitted->size());
        r.rows.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            const double y = in.pairs->y[i], f = (*in.fitted)[i];
            const double residual = y - f;
            r.rows.push_back({in.pairs->rows[i], GeneralNumberText(y, in.sep),
                              GeneralNumberText(in.pairs->x[i], in.sep), GeneralNumberText(f, in.sep),
                              GeneralNumberText(residual, in.sep),
                              ClassOfResidual(std::fabs(residual), in.sigma)});
        }
    }
    r.legend = In(lang,
                  "Цвет остатка, как на графике: синий — меньше σ/4, фиолетовый — меньше σ/2, красный — "
                  "σ/2 и больше.",
                  "Residual colours as on the chart: blue below σ/4, purple below σ/2, red σ/2 and more.");
    return r;
}

std::string PageText(int language, int page, int pages) {
    return (language == 1 ? "Page " : "Страница ") + std::to_string(page) +
           (language == 1 ? " of " : " из ") + std::to_string(pages);
}

}  // namespace kurv
