// A tool window beside the main one: what the calibration is worth (the fit
// statistics, the coefficients' uncertainties, the uncertainty at each shown
// evaluation point) as the sheet the core lays out, and its copy as TSV.
#pragma once

#include <QWidget>

#include "core/statistics_text.h"

class QLabel;
class QPushButton;
class QTableWidget;

class TFormStatistics : public QWidget {
    Q_OBJECT
  public:
    explicit TFormStatistics(QWidget* owner);

    void ApplyLanguage(int language);
    void ShowSheet(kurv::StatisticsSheet sheet);
    const kurv::StatisticsSheet& Sheet() const { return sheet_; }
    QString Tsv() const;

    // The grid's cell as shown (title rows span the grid in column 0).
    QString CellText(int row, int column) const;
    int RowCount() const;

  signals:
    // The Copy button or Ctrl+C: the owner puts Tsv() on the clipboard.
    void copyRequested();

  protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void Render();

    QTableWidget* gridStatistics = nullptr;
    QLabel* lblStatisticsNotes = nullptr;
    QPushButton* btnStatisticsCopy = nullptr;
    int language_ = 0;
    kurv::StatisticsSheet sheet_;
};
