// The File menu's two additions: the chart saved as a file and the
// calibration report in a print preview.
#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <vector>

#include "app/controls.h"
#include "app/dialogs.h"
#include "app/formmain.h"
#include "core/report.h"
#include "output/chartview.h"
#include "output/report.h"

namespace {

QString PickIn(int language, const char* russian, const char* english) {
    return QString::fromUtf8(language == 1 ? english : russian);
}

// Keeps actions enabled as a button is: the recalculation enables the chart's
// output buttons while a fit is on show, and these items go with them.
class FollowEnabled : public QObject {
  public:
    FollowEnabled(QWidget* button, std::initializer_list<QAction*> actions)
        : QObject(button), button_(button), actions_(actions) {
        button->installEventFilter(this);
        Sync();
    }
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched == button_ && e->type() == QEvent::EnabledChange) Sync();
        return false;
    }

  private:
    void Sync() {
        for (QAction* a : actions_) a->setEnabled(button_->isEnabled());
    }
    QWidget* button_;
    std::vector<QAction*> actions_;
};

}  // namespace

void TFormMain::BuildReportItems(QMenu* file) {
    // After the designed write item, before the separator above Exit.
    QAction* before = file->findChild<QAction*>("N8", Qt::FindDirectChildrenOnly);
    itmSaveChart = MakeAction("itmSaveChart");
    connect(itmSaveChart, &QAction::triggered, this, [this] { Guarded([&] { itmSaveChartClick(); }); });
    itmReport = MakeAction("itmReport");
    connect(itmReport, &QAction::triggered, this, [this] { Guarded([&] { itmReportClick(); }); });
    file->insertActions(before, {itmSaveChart, itmReport});
    new FollowEnabled(btnGraphCopy, {itmSaveChart, itmReport});
}

void TFormMain::RetextReportItems(int language) {
    itmSaveChart->setText(PickIn(language, "Сохранить график…", "Save chart…"));
    itmReport->setText(PickIn(language, "Отчёт…", "Report…"));
}

kurv::Report TFormMain::ReportNow() const {
    kurv::ReportInput in;
    in.language = LanguageIndex;
    in.kind = ComboBox1->currentIndex();
    in.title = appTitle_.toStdString();
    in.stamp = QDateTime::currentDateTime()
                   .toString(LanguageIndex == 1 ? QStringLiteral("yyyy-MM-dd HH:mm")
                                                : QStringLiteral("dd.MM.yyyy HH:mm"))
                   .toStdString();
    in.formula = PanelResult->text().toStdString();
    in.coefficients = FitCoefficients;
    in.coefficientTexts = CoefficientTexts;
    in.sigma = recalc_.sigma;
    in.maxError = recalc_.maxError;
    in.pairs = &recalc_.pairs;
    in.fitted = &recalc_.fitted;
    in.sep = sep_;
    return kurv::BuildReport(in);
}

void TFormMain::itmReportClick() {
    if (!btnGraphCopy->isEnabled()) return;  // no fit on show
    // A run cut short by an overflow has no fitted value for some rows: no
    // record is made of it.
    if (recalc_.fitted.size() != recalc_.pairs.rows.size()) return;
    const kurv::Report report = ReportNow();
    const QSizeF chartSize = Chart1->size();
    const double aspect = chartSize.width() > 0 ? chartSize.height() / chartSize.width() : 0;
    dialogs_->PrintPreview(this, [&](QPrinter* printer) {
        PaintReport(printer, report, aspect,
                    [this](QPainter* p, const QRectF& r) { Chart1->RenderTo(p, r); });
    });
}
