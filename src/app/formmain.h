// The main window. This header is the window's table of contents: its parts by
// subsystem, each with its controls by design name, its handlers by control and
// event, and where they are defined.
//
// How a feature joins: it adds its folder (or files in an existing one) with a
// `Build…` member that makes its controls and menu items and records their
// captions (Captioned: a UiText id or a Russian/English pair; ApplyLanguage keeps
// them in the language), and a `Wire…` member that connects their events to its
// handlers through Guarded. It declares these below under its own heading, keeps
// its controls and state in one small struct member, and adds one line to kSubsystems
// in app/formmain.cpp. Its menu items go after or before the designed ones
// (app_.itmFile, itmEdit, itmParam); controls that act on a fit follow "a fit is
// on show" (FollowFitOnShow); a command that changes the table holds a TableEdit,
// and one whose work may run for seconds a LongWork; another window follows the language through
// languageApplied.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/datatable.h"
#include "core/file_io.h"
#include "core/fit.h"
#include "core/fit_check.h"
#include "core/recalc.h"
#include "core/report.h"
#include "core/statistics_text.h"
#include "core/uitext.h"
#include "i18n/uistring.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMimeData;
class QPlainTextEdit;
class QPushButton;
class QTranslator;
class TChart;
class TGroupBox;
class TPanel;
class TStringGrid;
class TableUndo;
class TFormCompare;
class TFormStatistics;
class Dialogs;
struct SettingKey;
namespace settings {
struct ToolWindowKeys;
}
struct ReportPainting;
enum class ChartFormat;
enum class MsgIcon;
namespace kurv {
enum class PasteResult;
struct PairsAhead;
class Progress;
class TableHistory;
}  // namespace kurv

// What the window takes from its surroundings, so tests can give their own.
struct FormEnvironment {
    Dialogs* dialogs = nullptr;
    char decimalSeparator = '.';  // the locale's, read once at start-up
    QString programDirectory;     // where the settings file lives
    // Long work (a paste, a read) shows its progress once it has run this long.
    std::chrono::milliseconds longWorkDelay{500};
    // A run without a user (the command line's chart and report): the language
    // is given, never asked, and the settings file is read but never written.
    int language = -1;  // 0 Russian, 1 English; -1: the stored one, or ask
    bool readOnlySettings = false;
};

// Names: controls, handlers and the records the design names (FitCoefficients,
// CoefficientTexts, LanguageIndex, SettingsFilePath, SeriesClicked) keep the
// design's names; the window's other members end in an underscore, the fields
// of its parts' small structs do not.
class TFormMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit TFormMain(const FormEnvironment& env, QWidget* parent = nullptr);
    ~TFormMain() override;

    // The state the window owns.
    kurv::DataTable& Table() { return data_; }
    const kurv::Coefficients& Coefficients() const { return FitCoefficients; }
    const std::array<std::string, 4>& CoefficientTextsNow() const { return CoefficientTexts; }
    int Language() const { return LanguageIndex; }
    QString ApplicationTitle() const { return Text(kurv::TextId::AppTitle); }
    QString SettingsFile() const { return SettingsFilePath; }
    char DecimalSeparator() const { return sep_; }
    const kurv::TableHistory& UndoHistory() const;  // table/undocommands.cpp
    // Whether the coefficients, formula and chart of a fit are on show.
    bool FitOnShow() const { return fitOnShow_; }

    // Every language-dependent text of the window, recorded once when its control
    // is built (i18n/captions.cpp); ApplyLanguage walks this record.
    struct Caption {
        enum class Role { Text, AccessibleName, SpokenCaption, ToolTip, ListItem, Header };
        QPointer<QObject> target;
        UiString text;
        Role role = Role::Text;
        // ListItem: the list's row; Header: the table's column; AccessibleName
        // and SpokenCaption (app/spoken.h): a number after the name ("X 3") when not 0.
        int number = 0;

        QString In(int language) const;  // the text it shows in that language
        QString Shown() const;           // what the target shows now
        void Show(int language) const;
    };
    const std::vector<Caption>& Captions() const { return i18n_.captions; }

    // One command's change of the table (table/tableedit.h).
    class TableEdit;
    // Work that may run for seconds, with progress and Cancel (app/longwork.h).
    class LongWork;
    // The pairs read from the table, let go while a command builds a whole new
    // table (fit/recalculation.cpp).
    class SparedPairs;

    // ---- Application shell: app/shell.cpp, layout.cpp, lifecycle.cpp
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
    void itmExitClick();
    void Memo1Click();
    void Memo1KeyDown();

    // ---- Approximation: fit/recalculation.cpp (the recalculation), fitresults.cpp
    //      (its controls and the coefficient copies), fitwarning.cpp, comparecommands.cpp
    void sgDataClick();  // the recalculation
    void itmLineClick();
    void itmDoubleClick();
    void itmCubicClick();
    void itmCoefCopyClick();
    void itmCoefCopyFullClick();  // the coefficients, each read back exactly
    void itmCompareClick();       // the kinds compared in a window of their own

    // ---- Data table: table/tablecontrols.cpp, tablecommands.cpp, clipboardcommands.cpp,
    //      undocommands.cpp
    void sgDataSetEditText(int col, int row, const QString& value);
    void sgDataKeyPress(QChar key);
    void sgDataKeyDown(int key, Qt::KeyboardModifiers shift);
    void sgDataColumnMoved(int fromIndex, int toIndex);
    void GroupBoxTableDblClick();
    void itmClearClick();
    void itmClearColClick();
    void itmDeleteClick();
    void itmSortClick();
    void itmTablCopyClick();
    void itmColCopyClick();
    void itmTablPasteClick();
    void itmColPasteClick();
    void itmAppendClick();
    void itmUndoClick();
    void itmRedoClick();

    // ---- Data files: datafile/datafilecommands.cpp
    void itmReadClick();
    void itmWriteClick();
    // Reads `name` as File / Read reads the file chosen, with the same messages
    // (Retry reads it again); true when the table holds it. For a file named on
    // the command line or dropped onto the window.
    bool OpenDataFile(const QString& name);

    // ---- Fit statistics: stats/statisticscommands.cpp, formstatistics.cpp
    void itmStatisticsClick();  // the statistics in a window of their own
    void itmBandClick();        // the curve's 95 % band on the chart, or none
    // The last run's statistics, and the sheet the statistics window and the report show of them.
    kurv::FitStatistics StatisticsOfLastRun() const;
    kurv::StatisticsSheet StatisticsSheet(const kurv::FitStatistics& st) const;

    // ---- Evaluation points: points/evaluation.cpp
    void MaskEditX1Change(QObject* sender);
    void CheckBox1Click(QObject* sender);
    void EnableAuxPoints();
    void DisableAuxPoints();
    void itmAuxPointsEnableClick();
    void itmCopyYClick(int k);  // itmCopyY1Click .. itmCopyY10Click

    // ---- Output: output/outputcontrols.cpp, outputcommands.cpp, savechart.cpp, reportcommands.cpp
    void CopyAnsiStringToClipboard(const QString& text);
    void btnCopyClick();
    void btnGraphCopyClick();
    void btnPrintClick();
    void Chart1ClickSeries(int series, int valueIndex, Qt::MouseButton button);
    void Chart1Click();
    void itmSaveChartClick();  // the chart as an SVG, PNG or PDF file
    void itmReportClick();     // the calibration report
    // What those two write, without their dialogs (the command line's chart and
    // report, app/headless.cpp): the chart as it is now; the report's PDF with
    // the record as the record dialog opens it (the remembered fields, today).
    kurv::FileWriteResult WriteChartFile(const QString& name, ChartFormat format);
    kurv::FileWriteResult WriteReportFile(const QString& name);
    bool ReportAvailable() const;  // a fit on show with every row's fitted value
    // Its texts from what the window shows now and the record entered.
    kurv::Report ReportNow(const kurv::ReportRecord& record = {}, bool everyRow = false) const;

    // ---- Localization: i18n/applylanguage.cpp, captions.cpp, language.cpp
    void ApplyLanguage(int language);
    void itmRusClick();
    void itmEngClick();

    // ---- About box: about/aboutcommand.cpp
    void itmAboutClick();

  signals:
    // After every change of the language, for windows of the program's own.
    void languageApplied(int language);

  protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    // ---- Composition (app/formmain.cpp): every part built, then every part wired.
    struct Subsystem {
        void (TFormMain::*build)();
        void (TFormMain::*wire)();
    };
    static const Subsystem kSubsystems[];
    void SetKeyboardOrder();

    // ---- What the handlers share (app/commands.cpp)
    // Runs a handler from a Qt event: an error that ends the operation is shown in
    // the default error box; nothing crosses the event loop.
    void Guarded(const std::function<void()>& f);
    void ShowDefaultError(const QString& message);
    int MessageBox(QWidget* owner, const QString& text, const QString& caption, int buttons, MsgIcon icon,
                   int defaultButton = 0);
    int FileFailureBox(const QString& text, const QString& caption);  // Abort / Retry / Ignore
    QAction* MakeAction(const char* name, const QKeySequence& shortcut = {});
    // One row of a menu: design name, caption, shortcut, handler. A row without
    // a handler is a separator.
    struct MenuRow {
        const char* name;
        UiString text;
        const char* shortcut;
        void (TFormMain::*run)();
    };
    QAction* MakeItem(const MenuRow& row, Qt::ShortcutContext context);
    // Adds the rows' items, before `before` or at the end.
    void FillMenu(QMenu* menu, std::initializer_list<MenuRow> rows, Qt::ShortcutContext context,
                  QAction* before = nullptr);
    QMenu* MakePopupMenu(const char* name);
    void PopupOn(QWidget* w, QMenu* menu);  // the menu of a right click on w
    // Runs `handler` for every event `watched` gets first; true stops the event.
    void OnEvent(QObject* watched, std::function<bool(QEvent*)> handler);
    void SetCheckedByCode(QAction* a, bool on);
    double Number(const std::string& text) const;  // TextToNumber, throwing
    QString ReadSetting(const SettingKey& key, const QString& fallback) const;
    void WriteSetting(const SettingKey& key, const QString& value);
    // A tool window of the program's own: placed where it last stood (beside the
    // main window, at `defaultTop`, the first time), reopened at start-up when
    // it was open at the end, and its place remembered at the end.
    void PlaceToolWindow(QWidget* w, const settings::ToolWindowKeys& keys, int defaultTop);
    void ReopenToolWindow(const settings::ToolWindowKeys& keys, void (TFormMain::*open)());
    void RememberToolWindow(const QWidget* w, const settings::ToolWindowKeys& keys);

    // ---- Captions and languages (i18n/captions.cpp)
    QString Text(kurv::TextId id) const;  // UiText in the current language
    QString Pick(const char* russian, const char* english) const;
    QString Pick(const kurv::TextPair& text) const { return Pick(text.rus, text.eng); }
    // Records `target`'s caption and shows it in the current language.
    template <class T>
    T* Captioned(T* target, UiString text, Caption::Role role = Caption::Role::Text, int number = 0) {
        RecordCaption({target, text, role, number}, true);
        return target;
    }
    // Records a caption that the design shows otherwise until a language is applied.
    template <class T>
    T* CaptionedLater(T* target, UiString text) {
        RecordCaption({target, text}, false);
        return target;
    }
    void RecordCaption(Caption caption, bool showNow);
    void FollowQtTexts(int language);

    // ---- State followers
    // "A fit is on show": the controls that act on a fit are enabled (or shown)
    // only then. FollowFitOnShow adds a control and sets it at once.
    void SetFitOnShow(bool on);
    void FollowFitOnShow(QObject* control, bool shown = false);

    // ---- Application shell (app/shell.cpp)
    void BuildShell();
    void WireShell();
    struct ShellParts {
        QWidget* client = nullptr;
        QPlainTextEdit* Memo1 = nullptr;
        QCheckBox* CheckBoxOnTop = nullptr;
        TGroupBox* GroupBoxResult = nullptr;  // the formula and the evaluation points
        QMenu* itmFile = nullptr;
        QMenu* itmEdit = nullptr;
        QMenu* itmParam = nullptr;
        int layoutLock = 0;  // GroupBoxResult's Tag
    } app_;

    // ---- Data table (table/)
    void BuildTable();
    void WireTable();
    void BuildUndoItems();
    void sgDataCellLeft();  // undo's typing step first, then the recalculation
    // A paste of the clipboard's text by `paste`, as one command with progress;
    // `wholeTable` when it builds a whole new table beside the old one, whose
    // pairs `paste` may then read ahead (it gets null otherwise).
    void Paste(const std::function<kurv::PasteResult(kurv::Progress*, kurv::PairsAhead*)>& paste,
               bool wholeTable = false);
    struct TableParts {
        TGroupBox* GroupBoxTable = nullptr;
        QLabel* StaticText1 = nullptr;
        TStringGrid* sgData = nullptr;
        QMenu* PopupMenuTabl = nullptr;
        QAction* ctrlS = nullptr;  // Ctrl+S: Sort in the table, Write elsewhere
        std::unique_ptr<TableUndo> undo;
    } table_;

    // ---- Data files (datafile/)
    void BuildDataFile();
    enum class DataFileOutcome { Read, Failed, Retry };
    DataFileOutcome ReadDataFileNamed(const QString& name);
    static QString DroppedFile(const QMimeData* mime);
    struct DataFileParts {
        QString lastOpenName;  // each file dialog remembers its own last choice
        QString lastSaveName;
        kurv::ReportDataFiles files;  // the data files last read and written, for the report
    } datafile_;

    // ---- Approximation (fit/)
    void BuildFitResults();
    void WireFitResults();
    void BuildFitWarning();
    void BuildCompareItems();
    kurv::FitKind CurrentKind() const;  // the list's item
    void SetFitKindChecks(kurv::FitKind kind);
    void ShowNoCoefficients();  // "insufficient data" in the panels and the formula
    // The recalculation's phases, in order (fit/recalculation.cpp).
    struct Run;
    Run StartRun();
    void ReadPairs(Run& run);
    void ShowInsufficientData(Run& run);
    void SolveFit(Run& run);
    void ShowCoefficients(Run& run);
    void FitPairsAndColumn(Run& run);
    void ShowErrorMeasures();
    void TakeFitCheck(Run& run);
    void EndRun(Run& run);
    std::future<kurv::FitCheck> StartFitCheck(kurv::FitKind kind, bool solved);
    // Reads the pairs and fits them again as the last run did, the table unchanged.
    void RereadPairs();
    void ShowFitWarning();  // the sign and its tooltip, from the last check
    void sgDataEnter();     // the table's focus-in
    // The comparison window (fit/comparecommands.cpp).
    void CompareFromTable();
    void CompareAfterRead(bool same, kurv::FitKind kind);  // in each run, once its pairs are read
    void CompareFormCreate();
    void CompareFormClose();
    struct FitParts {
        TGroupBox* GroupBoxKoef = nullptr;
        std::array<TPanel*, 4> PanelA{};
        QLabel* LabelMaxErr = nullptr;
        QLabel* lblMaxErr = nullptr;
        QLabel* LabelRms = nullptr;
        QLabel* lblSigma = nullptr;
        QLabel* lblFitWarning = nullptr;  // the shown digits are not confirmed
        QLabel* LabelTypeFunc = nullptr;
        QComboBox* ComboBox1 = nullptr;
        TPanel* PanelResult = nullptr;
        QMenu* PopupMenuCoef = nullptr;
        QAction* itmLine = nullptr;  // in the chart's pop-up menu
        QAction* itmDouble = nullptr;
        QAction* itmCubic = nullptr;
        QAction* itmCoefCopyFull = nullptr;
        QAction* itmCompare = nullptr;
        TFormCompare* FormCompare = nullptr;
        // The last complete run's check by the stable solution; empty (passing,
        // with no solution) when the run found no coefficients to check.
        kurv::FitCheck check;
        std::uint64_t checkRun = 1;  // counts the changes of `check`
    } fit_;

    // ---- Fit statistics (stats/)
    void BuildStatistics();
    void WireStatistics();
    // The last run's statistics, computed when first wanted after it: only the
    // statistics window and the band want them.
    const kurv::FitStatistics& StatisticsNow();
    void StatisticsAfterRun();  // at the end of every recalculation
    void RefreshStatisticsWindow();
    void ShowBandOnChart();
    void StatisticsFormCreate();
    void StatisticsFormClose();
    struct StatisticsParts {
        QAction* itmStatistics = nullptr;
        QAction* itmBand = nullptr;
        TFormStatistics* FormStatistics = nullptr;
        bool band = false;
        std::optional<kurv::FitStatistics> statistics;  // of fit_.check, when computed
        std::uint64_t computedFor = 0;                  // fit_.checkRun it was computed for
    } stats_;

    // ---- Evaluation points (points/)
    void BuildEvaluationPoints();
    void WireEvaluationPoints();
    void SetEvaluationRowsVisible(bool shown);
    void RefreshEvaluationPoints();  // at the end of every complete recalculation
    struct EvaluationRow {
        QLabel* staticX = nullptr;
        QLineEdit* edit = nullptr;
        QLabel* staticY = nullptr;
        TPanel* panel = nullptr;
        QCheckBox* check = nullptr;
        QMenu* popup = nullptr;
        QAction* itmCopy = nullptr;
    };
    struct PointsParts {
        QLabel* Panel2 = nullptr;
        std::array<EvaluationRow, 10> rows{};
        QAction* itmAuxPointsEnable = nullptr;
        bool shown = false;
    } points_;

    // ---- Output (output/)
    void BuildOutput();
    void WireOutput();
    void BuildReportItems();
    ReportPainting ReportPaintingNow() const;
    // The report's PDF; false when its painting was cancelled.
    bool ReportPdf(const kurv::Report& report, const ReportPainting& how, QByteArray& bytes) const;
    // The measured points coloured by their residuals and the fitted curve.
    void ShowFitOnChart();
    // Evaluation point k (1..10) on the chart, or none.
    void ShowEvaluationPoint(int k, double x, double y, bool plotted);
    struct OutputParts {
        TChart* Chart1 = nullptr;
        QPushButton* btnPrint = nullptr;
        QPushButton* btnGraphCopy = nullptr;
        QPushButton* btnCopy = nullptr;
        QMenu* PopupMenuGraph = nullptr;
        QAction* itmSaveChart = nullptr;
        QAction* itmReport = nullptr;
        QString lastChartName;
        QString lastReportPdf;
        bool SeriesClicked = false;
    } output_;

    // ---- Localization (i18n/)
    void BuildLanguage();
    struct I18nParts {
        std::vector<Caption> captions;
        std::unique_ptr<QTranslator>
            qtTexts;  // Qt's own texts in Russian, installed while Russian is applied
    } i18n_;

    // ---- About box (about/)
    void BuildAbout();

    // ---- Environment
    Dialogs* dialogs_;
    char sep_;
    QString programDirectory_;
    std::chrono::milliseconds longWorkDelay_;

    // ---- State owned by the window; controls follow it, never the other way
    kurv::DataTable data_;  // the table's cells: the one store of the data
    kurv::Coefficients FitCoefficients;
    std::array<std::string, 4> CoefficientTexts;
    kurv::RecalcState recalc_;
    bool fitOnShow_ = false;
    struct FitFollower {
        QPointer<QObject> control;
        bool shown;  // shown rather than enabled
    };
    std::vector<FitFollower> fitFollowers_;
    int LanguageIndex = 0;
    QString SettingsFilePath;
    int givenLanguage_;
    bool readOnlySettings_;
    struct EventHook {
        QObject* watched;
        std::function<bool(QEvent*)> handler;
    };
    std::vector<EventHook> hooks_;
};
