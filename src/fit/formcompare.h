// A small tool window beside the main one: the three kinds' error measures, fit
// statistics and formulas on the current table, the chosen kind's row marked. A double click
// on a row chooses that kind.
#pragma once

#include <QWidget>
#include <array>

#include "core/compare.h"

class QTableWidget;

class TFormCompare : public QWidget {
    Q_OBJECT
  public:
    enum Column { ColKind, ColSigma, ColMaxError, ColS, ColR2, ColAdjustedR2, ColFormula, ColumnCount };

    explicit TFormCompare(QWidget* owner);

    void ApplyLanguage(int language);
    void ShowResults(const std::array<kurv::KindComparison, 3>& results);
    void ShowNoResults();  // the table cannot be read: empty rows
    void ShowKind(int kind);

    QString CellText(int kind, Column column) const;

  signals:
    void kindChosen(int kind);

  private:
    QString Pick(const char* russian, const char* english) const;
    void Render();
    void Fit();

    QTableWidget* gridCompare = nullptr;
    int language_ = 0;
    int kind_ = -1;
    bool hasResults_ = false;
    std::array<kurv::KindComparison, 3> results_;
};
