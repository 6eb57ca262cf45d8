// The main window. This header is the window's table of contents: its controls
// by design name and its handlers by control and event. Handlers are defined in
// the folder of the subsystem they belong to:
//   app/formmain.cpp        composition, menus and event wiring
//   app/layout.cpp          FormResize
//   app/lifecycle.cpp       FormCreate, FormClose, settings, on-top, exit
//   fit/recalculation.cpp   sgDataClick
//   fit/fitwarning.cpp      the warning sign for unreliable digits
//   table/*.cpp             cell entry, keyboard commands, clipboard exchange, clear/delete/sort
//   datafile/*.cpp          reading and writing the data file
//   points/*.cpp            evaluation points
//   output/*.cpp            copying, printing, chart clicks
//   i18n/*.cpp              ApplyLanguage and the language commands
//   about/*.cpp             the About command
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "core/datatable.h"
#include "core/fit.h"
#include "core/recalc.h"
#include "core/report.h"
#include "core/uitext.h"

class QAction;
class QKeyEvent;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTranslator;
class TChart;
class TGroupBox;
class TPanel;
class TStringGrid;
class TableUndo;
class TFormCompare;
class Dialogs;
struct SettingKey;
enum class MsgIcon;

// What the window takes from its surroundings, so tests can give their own.
struct FormEnvironment {
    Dialogs* dialogs = nullptr;
    char decimalSeparator = '.';  // the locale's, read once at start-up
    QString programDirectory;     // where the settings file lives
};

// Names: controls, handlers and the records the design names (FitCoefficients,
// CoefficientTexts, LanguageIndex, SettingsFilePath, SeriesClicked) keep the
// design's names; the window's other members end in an underscore.
class TFormMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit TFormMain(const FormEnvironment& env, QWidget* parent = nullptr);
    ~TFormMain() override;

    // The state the window owns.
    kurv::DataTable& Table() { return table_; }
    const kurv::Coefficients& Coefficients() const { return FitCoefficients; }
    const std::array<std::string, 4>& CoefficientTextsNow() const { return CoefficientTexts; }
    int Language() const { return LanguageIndex; }
    QString ApplicationTitle() const { return appTitle_; }
    QString SettingsFile() const { return SettingsFilePath; }
    char DecimalSeparator() const { return sep_; }

    // Every control or action whose caption is a UiText, recorded once when the
    // window is built; ApplyLanguage walks this record.
    struct Caption {
        QPointer<QObject> target;
        kurv::TextId id;
    };
    const std::vector<Caption>& Captions() const { return captions_; }

    // The accessible name of a control that shows no caption of its own (an edit,
    // a value panel, a box without text), in both languages; `number` (when not 0)
    // follows the name, as in "X 3".
    struct AccessibleName {
        QPointer<QWidget> target;
        const char* rus;
        const char* eng;
        int number = 0;
    };
    const std::vector<AccessibleName>& AccessibleNames() const { return accessibleNames_; }
    // The caption a recorded control shows (text or title).
    static QString CaptionOf(const QObject* target);

    // ---- Application shell
    void FormCreate();  // the start-up phases, in order:
    void LocateSettingsFile();
    void RestoreLanguage();
    void RestorePosition();
    void RestoreFunctionKind();
    void RestoreOnTop();
    void RestoreEvaluationPoints();
    void FormResize();
    void FormClose();
    void CheckBoxOnTopClick();
    void GroupBoxTableDblClick();
    void itmExitClick();
    void Memo1Click();
    void Memo1KeyDown();

    // ---- Approximation
    void sgDataClick();  // the recalculation
    void itmLineClick();
    void itmDoubleClick();
    void itmCubicClick();
    // The warning sign for coefficient digits a stable solution does not confirm.
    void BuildFitWarning(QWidget* parent);
    // Whether the stable second solution finds the shown coefficients unreliable; the answer may come from
    // another thread.
    std::future<bool> StartFitCheck(int kind, bool solved);
    void SetFitWarningLanguage(int language);
    void itmCompareClick();       // fit/comparecommands.cpp: the kinds compared
    void itmCoefCopyFullClick();  // the coefficients, each read back exactly

    // ---- Data table
    void sgDataSetEditText(int col, int row, const QString& value);
    void sgDataKeyPress(QChar key);
    void sgDataKeyDown(int key, Qt::KeyboardModifiers shift);
    void sgDataColumnMoved(int fromIndex, int toIndex);
    void itmClearClick();
    void itmClearColClick();
    void itmDeleteClick();
    void itmSortClick();
    void itmTablCopyClick();
    void itmColCopyClick();
    void itmTablPasteClick();
    void itmColPasteClick();
    void itmAppendClick();

    // ---- Undo and redo of the table's changes
    void itmUndoClick();
    void itmRedoClick();

    // ---- Data files
    void itmReadClick();
    void itmWriteClick();

    // ---- Evaluation points
    void MaskEditX1Change(QObject* sender);
    void CheckBox1Click(QObject* sender);
    void EnableAuxPoints();
    void DisableAuxPoints();
    void itmAuxPointsEnableClick();

    // ---- Output
    void CopyAnsiStringToClipboard(const QString& text);
    void btnCopyClick();
    void itmCoefCopyClick();
    void itmCopyYClick(int k);  // itmCopyY1Click .. itmCopyY10Click
    void btnGraphCopyClick();
    void btnPrintClick();
    void Chart1ClickSeries(int series, int valueIndex, Qt::MouseButton button);
    void Chart1Click();
    void itmSaveChartClick();  // output/savechart.cpp: the chart as an SVG, PNG or PDF file
    void itmReportClick();     // output/reportcommands.cpp: the calibration report
    // Its texts from what the window shows now and the record entered.
    kurv::Report ReportNow(const kurv::ReportRecord& record = {}, bool everyRow = false) const;

    // ---- Localization
    void ApplyLanguage(int language);
    void itmRusClick();
    void itmEngClick();

    // ---- About box
    void itmAboutClick();

  protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    struct EvaluationRow {
        QLabel* staticX = nullptr;
        QLineEdit* edit = nullptr;
        QLabel* staticY = nullptr;
        TPanel* panel = nullptr;
        QCheckBox* check = nullptr;
        QMenu* popup = nullptr;
        QAction* itmCopy = nullptr;
    };

    void SetEvaluationRowsVisible(bool shown);
    void BuildControls();
    void BuildMenus();
    struct MenuRow;
    struct TwinRow;
    void FillMenu(QMenu* menu, std::initializer_list<MenuRow> rows, Qt::ShortcutContext context);
    void WireEvents();
    QAction* MakeAction(const char* name, const QKeySequence& shortcut = {});
    QString Text(kurv::TextId id) const;  // UiText in the current language
    // Records `target`'s caption and shows it in the current language.
    template <class T>
    T* Captioned(T* target, kurv::TextId id) {
        captions_.push_back({target, id});
        SetCaption(target, Text(id));
        return target;
    }
    // Records a caption that the design shows otherwise until a language is applied.
    template <class T>
    T* CaptionedLater(T* target, kurv::TextId id) {
        captions_.push_back({target, id});
        return target;
    }
    static void SetCaption(QObject* target, const QString& text);
    void FillFunctionKinds();
    void ShowHelpText();          // the eleven lines in the current language
    void ApplyAccessibleNames();  // the list's three kinds, keeping the current choice
    QString Pick(const char* russian, const char* english) const;

    // Runs a handler from a Qt event: an error that ends the operation is shown in
    // the default error box; nothing crosses the event loop.
    void Guarded(const std::function<void()>& f);
    void ShowDefaultError(const QString& message);
    int MessageBox(QWidget* owner, const QString& text, const QString& caption, int buttons, MsgIcon icon,
                   int defaultButton = 0);

    QString ReadSetting(const SettingKey& key, const QString& fallback) const;
    void WriteSetting(const SettingKey& key, const QString& value);
    double Number(const std::string& text) const;  // TextToNumber, throwing
    void SetCheckedByCode(QAction* a, bool on);
    void SetFitKindChecks(int kind);
    void BuildExtraItems(QMenu* edit, QMenu* param);
    void ApplyExtraLanguage(int language);
    void CompareFromTable();
    void CompareAfterRead(bool same, int kind);  // in each run, once its pairs are read
    void CompareFormCreate();
    void CompareFormClose();
    void TableChanged();  // after a core operation rewrote the table
    void BuildUndoItems(QMenu* edit);
    void BuildReportItems(QMenu* file);
    void RetextReportItems(int language);
    void RetextUndoItems(int language);
    void PasteDone(int result);  // the message when nothing was pasted, then the recalculation
    int FileFailureBox(const QString& text, const QString& caption);  // Abort / Retry / Ignore

    std::vector<Caption> captions_;
    std::vector<AccessibleName> accessibleNames_;
    std::unique_ptr<QTranslator> qtTexts_;  // Qt's own texts in Russian, installed while Russian is applied
    void FollowQtTexts(int language);
    void NameForAccessibility();

    // Environment
    Dialogs* dialogs_;
    char sep_;
    QString programDirectory_;

    // State owned by the window
    kurv::DataTable table_;
    std::unique_ptr<TableUndo> undo_;
    kurv::Coefficients FitCoefficients;
    std::array<std::string, 4> CoefficientTexts;
    kurv::RecalcState recalc_;
    int LanguageIndex = 0;
    QString appTitle_;
    QString SettingsFilePath;
    bool SeriesClicked = false;
    int layoutLock_ = 0;    // GroupBoxResult's Tag
    QString lastOpenName_;  // each file dialog remembers its own last choice
    QString lastSaveName_;

    // Controls
    TGroupBox* GroupBoxTable = nullptr;
    QLabel* StaticText1 = nullptr;
    TStringGrid* sgData = nullptr;
    TGroupBox* GroupBoxKoef = nullptr;
    std::array<TPanel*, 4> PanelA{};
    QLabel* LabelMaxErr = nullptr;
    QLabel* lblMaxErr = nullptr;
    QLabel* LabelRms = nullptr;
    QLabel* lblSigma = nullptr;
    QLabel* lblFitWarning = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QWidget* memoViewport_ = nullptr;
    TChart* Chart1 = nullptr;
    QLabel* LabelTypeFunc = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnGraphCopy = nullptr;
    QCheckBox* CheckBoxOnTop = nullptr;
    TGroupBox* GroupBoxResult = nullptr;
    TPanel* PanelResult = nullptr;
    QPushButton* btnCopy = nullptr;
    QLabel* Panel2 = nullptr;
    std::array<EvaluationRow, 10> evalRows_{};

    // Menus
    QMenu* PopupMenuTabl = nullptr;
    QMenu* PopupMenuGraph = nullptr;
    QMenu* PopupMenuCoef = nullptr;
    QAction* itmLine = nullptr;
    QAction* itmDouble = nullptr;
    QAction* itmCubic = nullptr;
    QAction* itmAuxPointsEnable = nullptr;
    QAction* ctrlS_ = nullptr;  // Ctrl+S: Sort in the table, Write elsewhere
    QAction* itmCompare = nullptr;
    QAction* itmCoefCopyFull = nullptr;
    QAction* itmSaveChart = nullptr;
    QAction* itmReport = nullptr;
    QString lastChartName_;
    QString lastReportPdf_;
    kurv::ReportDataFiles dataFiles_;  // the data files last read and written, for the report
    TFormCompare* FormCompare = nullptr;
};
