// The fit statistics: their window (Parameters menu, beside the comparison of
// the kinds) and the curve's 95 % band on the chart. Both read the statistics
// of the stable solution the fit check has made; while both are closed
// nothing is computed.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <algorithm>

#include "app/controls.h"
#include "app/formmain.h"
#include "app/settingkeys.h"
#include "core/numbers.h"
#include "output/chartview.h"
#include "stats/formstatistics.h"

void TFormMain::BuildStatistics() {
    FillMenu(app_.itmParam,
             {{"itmStatistics",
               {"Статистика аппроксимации", "Fit statistics"},
               "",
               &TFormMain::itmStatisticsClick},
              {"itmBand", {"Показывать 95 % полосу", "Show the 95 % band"}, "", &TFormMain::itmBandClick}},
             Qt::WindowShortcut);
    stats_.itmStatistics = findChild<QAction*>("itmStatistics");
    stats_.itmBand = findChild<QAction*>("itmBand");
    stats_.itmBand->setCheckable(true);
}

void TFormMain::WireStatistics() {
    // The evaluation points' section follows the points as they are typed and
    // shown; their own handlers have run by then.
    auto follow = [this] { Guarded([&] { RefreshStatisticsWindow(); }); };
    for (const EvaluationRow& row : points_.rows) connect(row.edit, &QLineEdit::textChanged, this, follow);
    connect(points_.itmAuxPointsEnable, &QAction::triggered, this, follow);
    connect(this, &TFormMain::languageApplied, this, follow);
}

kurv::FitStatistics TFormMain::StatisticsOfLastRun() const {
    const kurv::FitKind kind = CurrentKind();
    if (!fitOnShow_) return kurv::NoStatistics(kurv::StatisticsStatus::TooFewPairs, kind);
    // The solution faulted, or the run ended before its check.
    if (fit_.check.stable.n == 0) return kurv::NoStatistics(kurv::StatisticsStatus::SolutionFault, kind);
    return kurv::ComputeStatistics(fit_.check.stable);
}

const kurv::FitStatistics& TFormMain::StatisticsNow() {
    if (!stats_.statistics || stats_.computedFor != fit_.checkRun) {
        stats_.statistics = StatisticsOfLastRun();
        stats_.computedFor = fit_.checkRun;
    }
    return *stats_.statistics;
}

void TFormMain::StatisticsAfterRun() {
    RefreshStatisticsWindow();
    ShowBandOnChart();
}

kurv::StatisticsSheet TFormMain::StatisticsSheet(const kurv::FitStatistics& st) const {
    kurv::StatisticsInput in;
    in.language = LanguageIndex;
    in.sep = sep_;
    in.statistics = &st;
    in.coefficientTexts = CoefficientTexts;
    in.warning = fit_.check.unreliable;
    // The evaluation points on show with a number in X, as the window shows
    // them; a point at the X of one listed before adds nothing (all ten start at 0).
    if (points_.shown) {
        std::vector<long double> listed;
        for (const EvaluationRow& row : points_.rows) {
            const std::string x = row.edit->text().toStdString();
            const auto value = kurv::ParseNumber(x, sep_);
            const QString y = row.panel->text();
            if (!value || y.isEmpty() || std::find(listed.begin(), listed.end(), *value) != listed.end())
                continue;
            listed.push_back(*value);
            in.points.push_back({static_cast<double>(*value), x, y.toStdString()});
        }
    }
    return kurv::BuildStatisticsSheet(in);
}

void TFormMain::RefreshStatisticsWindow() {
    if (stats_.FormStatistics && stats_.FormStatistics->isVisible())
        stats_.FormStatistics->ShowSheet(StatisticsSheet(StatisticsNow()));
}

void TFormMain::itmStatisticsClick() {
    if (!stats_.FormStatistics) {
        stats_.FormStatistics = new TFormStatistics(this);
        stats_.FormStatistics->ApplyLanguage(LanguageIndex);
        connect(this, &TFormMain::languageApplied, stats_.FormStatistics, &TFormStatistics::ApplyLanguage);
        connect(stats_.FormStatistics, &TFormStatistics::copyRequested, this,
                [this] { Guarded([&] { CopyAnsiStringToClipboard(stats_.FormStatistics->Tsv()); }); });
        PlaceToolWindow(stats_.FormStatistics, settings::kStatisticsWindow, y() + height() / 2);
    }
    stats_.FormStatistics->show();
    RefreshStatisticsWindow();
    stats_.FormStatistics->raise();
}

void TFormMain::itmBandClick() {
    stats_.band = !stats_.band;
    SetCheckedByCode(stats_.itmBand, stats_.band);
    WriteSetting(settings::kBand, stats_.band ? "Yes" : "No");
    ShowBandOnChart();
}

// The band of the curve as drawn: the shown curve ± U of the curve, at the
// curve's own X. None without statistics (the reason is the window's to say).
void TFormMain::ShowBandOnChart() {
    TChart* chart = output_.Chart1;
    const kurv::FitStatistics* st = stats_.band && fitOnShow_ ? &StatisticsNow() : nullptr;
    if (!st || !st->Ok()) {
        chart->Clear(TChart::kBandUpper);
        chart->Clear(TChart::kBandLower);
        return;
    }
    const std::vector<ChartPoint> curve = chart->Points(TChart::kCurve);
    TChart::Fill upper = chart->Refill(TChart::kBandUpper, {QColor()}, curve.size());
    TChart::Fill lower = chart->Refill(TChart::kBandLower, {QColor()}, curve.size());
    for (const ChartPoint& c : curve) {
        const auto at = st->At(c.x);
        if (!at) continue;
        const double u = at->expanded.value;
        upper.Add(c.x, c.y + u);
        lower.Add(c.x, c.y - u);
    }
}

void TFormMain::StatisticsFormCreate() {
    stats_.band = ReadSetting(settings::kBand, "No").startsWith('Y');
    SetCheckedByCode(stats_.itmBand, stats_.band);
    ReopenToolWindow(settings::kStatisticsWindow, &TFormMain::itmStatisticsClick);
}

void TFormMain::StatisticsFormClose() {
    RememberToolWindow(stats_.FormStatistics, settings::kStatisticsWindow);
}
