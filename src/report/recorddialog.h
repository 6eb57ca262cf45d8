// The calibration record, asked for before the report is made: who calibrated
// which instrument against which standard, in which units, and when. Made in
// the window's language when needed and destroyed at once; it ends with the
// way the report goes out (a preview, or a PDF file written directly).
#pragma once

#include <QDate>
#include <QDialog>
#include <array>
#include <cstddef>

#include "core/report_record.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

class TFormReportRecord : public QDialog {
    Q_OBJECT
  public:
    // The dialog's results besides Rejected.
    enum Result { ToPreview = 1, ToPdf = 2 };

    // `remembered` fills the fields; `pairs` is the number of rows the fit used,
    // named by the every-row check box, which only a table longer than the
    // report lists whole can use; every row of a very long one goes to a PDF
    // file only.
    TFormReportRecord(int language, const kurv::ReportRecord& remembered, std::size_t pairs,
                      const QDate& today, QWidget* parent = nullptr);

    // The fields as entered, blanks at either end dropped, dates in the
    // language's form (the valid-until date only when its box is checked).
    kurv::ReportRecord Record() const;
    bool EveryRow() const;

    // The line edit of a text field; nothing for the dates.
    QLineEdit* Edit(kurv::RecordField f) const { return edits_[static_cast<std::size_t>(f)]; }

  private:
    QString Pick(const char* russian, const char* english) const;

    int language_;
    std::array<QLineEdit*, kurv::kRecordFieldCount> edits_{};
    QDateEdit* dtpCalibrated = nullptr;
    QCheckBox* chkValidUntil = nullptr;
    QDateEdit* dtpValidUntil = nullptr;
    QCheckBox* chkEveryRow = nullptr;
    QLabel* lblEveryRowNote = nullptr;
    QPushButton* btnPreview = nullptr;
    QPushButton* btnPdf = nullptr;
    QPushButton* btnCancel = nullptr;
};
