#include "fit/formcompare.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/statistics_text.h"
#include "core/uitext.h"
#include "i18n/uistring.h"

namespace {

const QColor kChosenBackground(220, 232, 255);
const char* const kMark = "\u2014";  // no result of this kind

}  // namespace

TFormCompare::TFormCompare(QWidget* owner) : QWidget(owner, Qt::Tool) {
    setObjectName("FormCompare");
    setAccessibleDescription(objectName());
    setFont(owner->font());

    gridCompare = new QTableWidget(3, ColumnCount, this);
    gridCompare->setObjectName("gridCompare");
    gridCompare->setAccessibleDescription(gridCompare->objectName());
    gridCompare->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridCompare->setSelectionMode(QAbstractItemView::NoSelection);
    gridCompare->setFocusPolicy(Qt::NoFocus);
    gridCompare->verticalHeader()->hide();
    gridCompare->horizontalHeader()->setStretchLastSection(true);
    gridCompare->setWordWrap(false);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < ColumnCount; ++c) gridCompare->setItem(r, c, new QTableWidgetItem);
    connect(gridCompare, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { emit kindChosen(row); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(gridCompare);
    ApplyLanguage(0);
}

QString TFormCompare::Pick(const char* russian, const char* english) const {
    return UiString(russian, english).In(language_);
}

void TFormCompare::ApplyLanguage(int language) {
    language_ = language == 1 ? 1 : 0;
    setWindowTitle(Pick("Сравнение видов функции", "Function types compared"));
    gridCompare->setHorizontalHeaderLabels(
        {Pick("Вид функции", "Type of function"), UiString(kurv::TextId::RmsLabel).In(language_),
         UiString(kurv::TextId::MaxErrorLabel).In(language_), "s", QString::fromUtf8("R²"),
         Pick("Скорр. R²", "Adjusted R²"), Pick("Формула", "Formula")});
    gridCompare->horizontalHeaderItem(ColS)->setToolTip(
        Pick("Остаточное стандартное отклонение √(SSR/ν), ν = n − p",
             "Residual standard deviation √(SSR/ν), ν = n − p"));
    Render();
}

void TFormCompare::ShowResults(const std::array<kurv::KindComparison, 3>& results) {
    results_ = results;
    hasResults_ = true;
    Render();
}

void TFormCompare::ShowNoResults() {
    hasResults_ = false;
    Render();
}

void TFormCompare::ShowKind(int kind) {
    if (kind == kind_) return;
    kind_ = kind;
    Render();
}

QString TFormCompare::CellText(int kind, Column column) const {
    return gridCompare->item(kind, column)->text();
}

void TFormCompare::Render() {
    auto ui = [this](kurv::TextId id) { return UiString(id).In(language_); };
    for (int k = 0; k < 3; ++k) {
        QString texts[ColumnCount] = {ui(kurv::TextId::KindLinear + k)};
        QString tip;
        if (hasResults_) {
            const kurv::KindComparison& r = results_[k];
            switch (r.outcome) {
                case kurv::KindOutcome::Fitted:
                    texts[ColSigma] = QString::fromStdString(r.sigma);
                    texts[ColMaxError] = QString::fromStdString(r.maxError);
                    texts[ColFormula] = QString::fromStdString(r.formula);
                    if (r.statistics.Ok()) {
                        texts[ColS] = QString::fromStdString(r.s);
                        texts[ColR2] = QString::fromStdString(r.r2);
                        texts[ColAdjustedR2] = QString::fromStdString(r.adjustedR2);
                    } else {
                        // Why there are none, once, under s.
                        texts[ColS] =
                            QString::fromStdString(kurv::ShortReasonText(r.statistics.status, language_));
                    }
                    break;
                case kurv::KindOutcome::TooFew:
                    texts[ColSigma] = texts[ColMaxError] = ui(kurv::TextId::InsufficientData);
                    texts[ColS] = QString::fromStdString(
                        kurv::ShortReasonText(kurv::StatisticsStatus::TooFewPairs, language_));
                    texts[ColFormula] = ui(kurv::TextId::FillTheTable);
                    break;
                case kurv::KindOutcome::Fault:
                case kurv::KindOutcome::Overflow:
                    texts[ColSigma] = texts[ColMaxError] = texts[ColFormula] = QString::fromUtf8(kMark);
                    texts[ColS] = texts[ColR2] = texts[ColAdjustedR2] = QString::fromUtf8(kMark);
                    tip =
                        r.outcome == kurv::KindOutcome::Fault
                            ? Pick(
                                  "Коэффициенты этого вида определить невозможно: решение даёт деление на "
                                  "нуль или переполнение.",
                                  "The coefficients of this type can not be determined: the solution divides "
                                  "by zero or overflows.")
                            : Pick("Погрешности этого вида выходят за пределы представимых чисел.",
                                   "The errors of this type lie beyond the range of numbers.");
                    break;
            }
        }
        for (int c = 0; c < ColumnCount; ++c) {
            QTableWidgetItem* item = gridCompare->item(k, c);
            item->setText(texts[c]);
            item->setToolTip(c == ColKind ? QString() : tip);
            item->setBackground(k == kind_ ? QBrush(kChosenBackground) : QBrush());
            QFont f = font();
            f.setBold(k == kind_);
            item->setFont(f);
        }
    }
    Fit();
}

void TFormCompare::Fit() {
    gridCompare->resizeColumnsToContents();
    gridCompare->resizeRowsToContents();
    int width = 2 * gridCompare->frameWidth();
    for (int c = 0; c < ColumnCount; ++c) width += gridCompare->columnWidth(c);
    int height = 2 * gridCompare->frameWidth() + gridCompare->horizontalHeader()->height();
    for (int r = 0; r < 3; ++r) height += gridCompare->rowHeight(r);
    // Three rows always: the window is as tall as they are and never narrower.
    gridCompare->setFixedHeight(height);
    gridCompare->setMinimumWidth(width);
    if (!isVisible())
        adjustSize();
    else if (this->width() < sizeHint().width())
        resize(sizeHint().width(), this->height());
}
