#include "report/recorddialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/controls.h"
#include "app/qtext.h"
#include "core/report.h"
#include "i18n/uistring.h"

namespace {

using kurv::RecordField;

// The text fields in the order asked, with their names and the longest text
// each takes (a unit is short; a laboratory's name or the conditions are not).
struct TextField {
    RecordField field;
    const char* name;
    int maxLength;
};
constexpr TextField kTextFields[] = {
    {RecordField::Laboratory, "edtLaboratory", 200},
    {RecordField::ReportNumber, "edtReportNumber", 60},
    {RecordField::InstrumentType, "edtInstrument", 200},
    {RecordField::InstrumentSerial, "edtSerial", 60},
    {RecordField::Standard, "edtStandard", 200},
    {RecordField::Certificate, "edtCertificate", 200},
    {RecordField::UnitY, "edtUnitY", 30},
    {RecordField::UnitX, "edtUnitX", 30},
    {RecordField::Conditions, "edtConditions", 300},
    {RecordField::Operator, "edtOperator", 100},
    {RecordField::CheckedBy, "edtCheckedBy", 100},
};

QString DateFormat(int language) {
    return language == 1 ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("dd.MM.yyyy");
}

// A count as the report writes it.
QString Count(std::size_t n, int language) {
    QString digits = QString::number(qulonglong(n));
    for (int i = digits.size() - 3; i > 0; i -= 3) digits.insert(i, language == 1 ? QChar(',') : QChar(0xA0));
    return digits;
}

}  // namespace

TFormReportRecord::TFormReportRecord(int language, const kurv::ReportRecord& remembered, std::size_t pairs,
                                     const QDate& today, QWidget* parent)
    : QDialog(parent), language_(language) {
    setObjectName("FormReportRecord");
    setWindowTitle(Pick("Отчёт о градуировке", "Calibration report"));
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    auto label = [&](const QString& name, RecordField f, QWidget* buddy) {
        auto* l = new QLabel(Q(kurv::RecordFieldLabel(f, language)) + QStringLiteral(":"), this);
        l->setObjectName(name);
        l->setBuddy(buddy);
        return l;
    };
    for (const TextField& t : kTextFields) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(t.name);
        edit->setMaxLength(t.maxLength);
        edit->setText(Q(remembered[t.field]).left(t.maxLength));
        edit->setAccessibleName(Q(kurv::RecordFieldLabel(t.field, language)));
        edits_[std::size_t(t.field)] = edit;
        form->addRow(label(QStringLiteral("lbl") + QLatin1String(t.name + 3), t.field, edit), edit);
    }
    edits_[std::size_t(RecordField::UnitY)]->setPlaceholderText(Pick("например, °C", "e.g. °C"));
    edits_[std::size_t(RecordField::UnitX)]->setPlaceholderText(Pick("например, мВ", "e.g. mV"));

    dtpCalibrated = new QDateEdit(today, this);
    dtpCalibrated->setObjectName("dtpCalibrated");
    dtpCalibrated->setDisplayFormat(DateFormat(language));
    dtpCalibrated->setCalendarPopup(true);
    form->addRow(label("lblCalibrated", RecordField::CalibrationDate, dtpCalibrated), dtpCalibrated);

    // "Valid until" is empty unless asked for; a year on is the usual interval.
    chkValidUntil = new QCheckBox(Q(kurv::RecordFieldLabel(RecordField::ValidUntil, language)) + ":", this);
    chkValidUntil->setObjectName("chkValidUntil");
    dtpValidUntil = new QDateEdit(today.addYears(1), this);
    dtpValidUntil->setObjectName("dtpValidUntil");
    dtpValidUntil->setDisplayFormat(DateFormat(language));
    dtpValidUntil->setCalendarPopup(true);
    dtpValidUntil->setEnabled(false);
    connect(chkValidUntil, &QCheckBox::toggled, dtpValidUntil, &QWidget::setEnabled);
    form->addRow(chkValidUntil, dtpValidUntil);

    chkEveryRow = new QCheckBox(this);
    chkEveryRow->setObjectName("chkEveryRow");
    const bool longTable = pairs > kurv::kWholeTableRows;
    chkEveryRow->setText(longTable
                             ? Pick("Все %1 строк в таблице остатков, а не только %2 наибольших остатков",
                                    "All %1 rows in the residual table, not only the %2 largest residuals")
                                   .arg(Count(pairs, language))
                                   .arg(kurv::kLargestResidualRows)
                             : Pick("В таблице остатков все строки", "Every row is in the residual table"));
    chkEveryRow->setChecked(!longTable);
    chkEveryRow->setEnabled(longTable);
    lblEveryRowNote =
        new QLabel(Pick("Все строки такой длинной таблицы — только в файл PDF: просмотр держал бы "
                        "в памяти каждую из тысяч страниц.",
                        "Every row of a table this long goes to a PDF file only: the preview would "
                        "hold each of its thousands of pages in memory."),
                   this);
    lblEveryRowNote->setObjectName("lblEveryRowNote");
    lblEveryRowNote->setWordWrap(true);
    lblEveryRowNote->setVisible(false);

    btnPreview = new QPushButton(Pick("Просмотр…", "Preview…"), this);
    btnPreview->setObjectName("btnPreview");
    btnPreview->setDefault(true);
    btnPdf = new QPushButton(Pick("Сохранить PDF…", "Save PDF…"), this);
    btnPdf->setObjectName("btnPdf");
    btnCancel = new QPushButton(Pick("Отмена", "Cancel"), this);
    btnCancel->setObjectName("btnCancel");
    connect(btnPreview, &QPushButton::clicked, this, [this] { done(ToPreview); });
    connect(btnPdf, &QPushButton::clicked, this, [this] { done(ToPdf); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    if (pairs > kurv::kEveryRowPreviewPairs)
        connect(chkEveryRow, &QCheckBox::toggled, this, [this](bool every) {
            btnPreview->setEnabled(!every);
            btnPdf->setDefault(every);
            btnPreview->setDefault(!every);
            lblEveryRowNote->setVisible(every);
        });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnPreview);
    buttons->addWidget(btnPdf);
    buttons->addWidget(btnCancel);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(chkEveryRow);
    column->addWidget(lblEveryRowNote);
    column->addSpacing(6);
    column->addLayout(buttons);
    setMinimumWidth(460);

    DescribeByDesignNames(this);
}

kurv::ReportRecord TFormReportRecord::Record() const {
    kurv::ReportRecord r;
    for (const TextField& t : kTextFields)
        r[t.field] = edits_[std::size_t(t.field)]->text().trimmed().toStdString();
    r[RecordField::CalibrationDate] = dtpCalibrated->date().toString(DateFormat(language_)).toStdString();
    if (chkValidUntil->isChecked())
        r[RecordField::ValidUntil] = dtpValidUntil->date().toString(DateFormat(language_)).toStdString();
    return r;
}

bool TFormReportRecord::EveryRow() const {
    return chkEveryRow->isEnabled() && chkEveryRow->isChecked();
}

QString TFormReportRecord::Pick(const char* russian, const char* english) const {
    return UiString(russian, english).In(language_);
}
