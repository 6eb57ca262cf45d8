#include "core/report.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/numbers.h"
#include "core/uitext.h"

namespace kurv {

namespace {

std::string In(int language, const char* russian, const char* english) {
    return language == 1 ? english : russian;
}

// "1 000 000" in Russian (no-break spaces), "1,000,000" in English.
std::string Grouped(std::size_t n, int language) {
    const std::string digits = std::to_string(n);
    const std::string gap = language == 1 ? "," : "\u00A0";
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += gap;
        out += digits[i];
    }
    return out;
}

std::string WithUnit(std::string text, const std::string& unit) {
    if (!unit.empty()) text += ", " + unit;
    return text;
}

// A unit that is more than one word or a quotient goes in brackets when
// divided by or raised to a power.
std::string Bracketed(const std::string& unit) {
    const bool compound =
        unit.find_first_of(" /*") != std::string::npos || unit.find("·") != std::string::npos;
    return compound ? "(" + unit + ")" : unit;
}

struct Ranked {
    long double size;
    std::uint32_t index;
};
// The larger residual first, then the earlier row.
bool Before(const Ranked& a, const Ranked& b) {
    return a.size > b.size || (a.size == b.size && a.index < b.index);
}

}  // namespace

std::uint64_t DataFingerprint(const DataTable& table) {
    // Hashed in the store, word by word: at a million rows a hash of each
    // text's bytes in turn took longer than reading the file.
    return table.TextHash(1, 2);
}

DataFilesNow MatchDataFiles(const ReportDataFiles& files, std::uint64_t now) {
    DataFilesNow m;
    if (!files.read.path.empty() && files.read.fingerprint == now) m.source = files.read.path;
    m.copy = m.source;
    // The last write is the newer copy when both hold the data.
    if (!files.written.path.empty() && files.written.fingerprint == now) m.copy = files.written.path;
    return m;
}

std::vector<std::uint32_t> LargestResiduals(const CountingPairs& pairs, const std::vector<double>& fitted,
                                            std::size_t count) {
    const std::size_t n = std::min(pairs.y.size(), fitted.size());
    count = std::min(count, n);
    // A heap of the best so far with the least of them on top.
    std::vector<Ranked> heap;
    heap.reserve(count);
    for (std::size_t i = 0; i < n && count > 0; ++i) {
        // In extended precision: the difference of two doubles never overflows there.
        const Ranked r{std::fabs(static_cast<long double>(pairs.y[i]) - fitted[i]),
                       static_cast<std::uint32_t>(i)};
        if (heap.size() < count) {
            heap.push_back(r);
            std::push_heap(heap.begin(), heap.end(), Before);
        } else if (Before(r, heap.front())) {
            std::pop_heap(heap.begin(), heap.end(), Before);
            heap.back() = r;
            std::push_heap(heap.begin(), heap.end(), Before);
        }
    }
    std::sort_heap(heap.begin(), heap.end(), Before);
    std::vector<std::uint32_t> out;
    out.reserve(heap.size());
    for (const Ranked& r : heap) out.push_back(r.index);
    return out;
}

ReportTable::ReportTable(const CountingPairs* pairs, const std::vector<double>* fitted, double sigma,
                         char sep, bool every)
    : pairs_(pairs), fitted_(fitted), sigma_(sigma), sep_(sep) {
    if (!pairs || !fitted) return;
    const std::size_t n = std::min(pairs->rows.size(), fitted->size());
    whole_ = every || n <= kWholeTableRows;
    if (whole_) {
        count_ = n;
    } else {
        picked_ = LargestResiduals(*pairs, *fitted, kLargestResidualRows);
        count_ = picked_.size();
    }
}

std::size_t ReportTable::Count() const {
    return pairs_ ? count_ : own_.size();
}

ReportRow ReportTable::Row(std::size_t k) const {
    if (!pairs_) return k < own_.size() ? own_[k] : ReportRow{};
    // The pairs belong to the window: should they have changed since, no row
    // is read beyond them.
    const std::size_t i = whole_ ? k : k < picked_.size() ? picked_[k] : SIZE_MAX;
    if (i >= std::min({pairs_->rows.size(), pairs_->y.size(), pairs_->x.size(), fitted_->size()})) return {};
    const double y = pairs_->y[i], f = (*fitted_)[i];
    const double residual = y - f;
    return {pairs_->rows[i],
            GeneralNumberText(y, sep_),
            GeneralNumberText(pairs_->x[i], sep_),
            GeneralNumberText(f, sep_),
            GeneralNumberText(residual, sep_),
            ClassOfResidual(std::fabs(residual), sigma_)};
}

std::string CoefficientUnit(const std::string& unitY, const std::string& unitX, int power) {
    if (power == 0 || unitX.empty()) return unitY;
    static const char* const kPowers[] = {"", "", "²", "³"};
    return (unitY.empty() ? std::string("1") : Bracketed(unitY)) + "/" +
           (power == 1 ? unitX : Bracketed(unitX) + kPowers[std::clamp(power, 0, 3)]);
}

Report BuildReport(const ReportInput& in) {
    const int lang = in.language == 1 ? 1 : 0;
    auto text = [lang](TextId id) { return std::string(UiText(id, lang)); };
    auto label = [lang](RecordField f) { return RecordFieldLabel(f, lang); };
    const ReportRecord& rec = in.record;
    const std::string& unitY = rec[RecordField::UnitY];
    const std::string& unitX = rec[RecordField::UnitX];

    Report r;
    r.language = lang;
    r.title = in.title;
    r.laboratory = rec[RecordField::Laboratory];
    const std::string& number = rec[RecordField::ReportNumber];
    r.heading = In(lang, "Отчёт о градуировке", "Calibration report");
    if (!number.empty()) r.heading += In(lang, " № ", " No. ") + number;
    r.footer = number.empty() ? in.title : r.heading + " · " + in.title;

    for (RecordField f : {RecordField::InstrumentType, RecordField::InstrumentSerial, RecordField::Standard,
                          RecordField::Certificate, RecordField::Conditions, RecordField::CalibrationDate,
                          RecordField::ValidUntil})
        if (!rec[f].empty()) r.fields.push_back({label(f), rec[f]});
    r.fields.push_back({In(lang, "Источник данных", "Data source"),
                        in.sourceFile.empty()
                            ? In(lang, "буфер обмена или ввод с клавиатуры", "clipboard or typed in")
                            : In(lang, "файл данных ", "data file ") + in.sourceFile});
    r.fields.push_back({In(lang, "Отчёт составлен", "Report made"), in.stamp});

    const int kind = in.kind >= 0 && in.kind <= 2 ? in.kind : 0;
    std::string kindLabel = text(TextId::FunctionKindLabel);
    if (!kindLabel.empty() && kindLabel.back() == ':') kindLabel.pop_back();
    r.fit = {{kindLabel, text(TextId::KindLinear + kind)}, {In(lang, "Формула", "Formula"), in.formula}};
    if (!unitY.empty() || !unitX.empty()) {
        std::string units;
        for (const auto& [name, unit] :
             {std::pair{text(TextId::HeaderTrueY), unitY}, std::pair{text(TextId::HeaderGaugeX), unitX}})
            if (!unit.empty()) units += (units.empty() ? "" : ", ") + name + In(lang, " в ", " in ") + unit;
        r.fit.push_back({In(lang, "Единицы", "Units"), units});
    }

    r.coefficientColumns = {"", In(lang, "Как показано", "As shown"),
                            In(lang, "Полная точность", "Full precision"), In(lang, "Единица", "Unit")};
    const double a[4] = {in.coefficients.a0, in.coefficients.a1, in.coefficients.a2, in.coefficients.a3};
    for (int i = 0; i < kind + 2; ++i)
        r.coefficients.push_back({"A" + std::to_string(i), in.coefficientTexts[std::size_t(i)],
                                  FullPrecisionText(a[i], in.sep), CoefficientUnit(unitY, unitX, i)});

    const std::size_t n = in.pairs ? in.pairs->rows.size() : 0;
    auto spaced = [&](double v) {
        std::string t = ErrorMeasureText(v, in.sep);
        return unitY.empty() ? t : t + " " + unitY;
    };
    r.measures = {
        {text(TextId::MaxErrorLabel), spaced(in.maxError)},
        {text(TextId::RmsLabel) + " " + kRmsNote, spaced(in.sigma)},
        {In(lang, "Число пар", "Number of pairs"), Grouped(n, lang)},
    };

    r.statisticsTitle = In(lang, "Статистика аппроксимации", "Fit statistics");
    r.statistics = in.statistics;

    r.axisX = WithUnit(text(TextId::HeaderGaugeX), unitX);
    r.axisY = WithUnit(text(TextId::HeaderTrueY), unitY);
    const std::string residualName = "Y − " + text(TextId::HeaderFittedY);
    r.axisResidual = WithUnit(residualName, unitY);
    r.chartTitle = In(lang, "Градуировочная кривая", "Calibration curve");
    r.plotTitle = In(lang, "Остатки в зависимости от X (штрихи: ±σ)", "Residuals against X (dashed: ±σ)");
    r.pairs = in.pairs;
    r.fitted = in.fitted;
    r.sigma = in.sigma;
    r.sep = in.sep;

    r.pointsTitle = In(lang, "Значения по кривой", "Values read from the curve");
    r.pointColumns = {"№", WithUnit("X", unitX), WithUnit("Y", unitY)};
    r.points = in.points;

    r.columns = {"№", WithUnit(text(TextId::HeaderTrueY), unitY), WithUnit(text(TextId::HeaderGaugeX), unitX),
                 WithUnit(text(TextId::HeaderFittedY), unitY), r.axisResidual};
    r.table = ReportTable(in.pairs, in.fitted, in.sigma, in.sep, in.everyRow);
    if (!r.table.Whole()) {
        const std::string shown = Grouped(r.table.Count(), lang);
        r.tableTitle = In(lang, "Наибольшие остатки", "Largest residuals");
        r.tableNote = In(lang, "В таблице ", "The table has ") + Grouped(n, lang) +
                      In(lang, " пар; здесь ", " pairs; listed here are the ") + shown +
                      In(lang, " с наибольшими по модулю остатками, по убыванию. ",
                         " with the largest residuals in magnitude, largest first. ");
        r.tableNote +=
            in.copyFile.empty()
                ? In(lang, "Полная таблица не сохранена в файл: она в таблице программы (",
                     "The full table is not saved in a file: it is in the program's table (") +
                      text(TextId::MenuFile) + " / " + text(TextId::ItemWrite) +
                      In(lang, " сохранит её).", " saves it).")
                : In(lang, "Полная таблица — в файле данных ", "The full table is in the data file ") +
                      in.copyFile + ".";
    } else {
        r.tableTitle = In(lang, "Остатки по строкам таблицы", "Residuals by table row");
    }
    r.legend = In(lang,
                  "Цвет остатка, как на графике: синий — меньше σ/4, фиолетовый — меньше σ/2, красный — "
                  "σ/2 и больше.",
                  "Residual colours as on the chart: blue below σ/4, purple below σ/2, red σ/2 and more.");

    r.signatureLabels = {label(RecordField::Operator), label(RecordField::CheckedBy)};
    r.signers = {rec[RecordField::Operator], rec[RecordField::CheckedBy]};
    r.signatureHint = In(lang, "подпись", "signature");
    r.dateHint = In(lang, "дата", "date");
    return r;
}

std::string PageText(int language, int page, int pages) {
    return (language == 1 ? "Page " : "Страница ") + std::to_string(page) +
           (language == 1 ? " of " : " из ") + std::to_string(pages);
}

}  // namespace kurv
