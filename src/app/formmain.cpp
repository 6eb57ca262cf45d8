// The main window's composition: every control at its designed rectangle, the
// menus with their shortcuts, and the wiring of each event to its handler.
#include "app/formmain.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTranslator>
#include <new>

#include "app/controls.h"
#include "app/dialogs.h"
#include "core/errors.h"
#include "core/numbers.h"
#include "core/uitext.h"
#include "output/chartview.h"
#include "table/keys.h"
#include "table/stringgrid.h"
#include "table/undo.h"

using kurv::TextId;

namespace {

QFont DefaultFont() {
    QFont f;
    f.setFamilies({"MS Sans Serif", "Liberation Sans", "DejaVu Sans"});
    f.setPointSize(8);
    return f;
}

QFont StaticTextFont() {
    QFont f;
    f.setFamilies({"Times New Roman", "Liberation Serif", "DejaVu Serif"});
    f.setPixelSize(13);
    return f;
}

template <class W>
W* Place(W* w, const char* name, int left, int top, int width = -1, int height = -1) {
    w->setObjectName(name);
    if (width < 0 || height < 0) {
        w->adjustSize();
        if (width < 0) width = w->width();
        if (height < 0) height = w->height();
    }
    w->setGeometry(left, top, width, height);
    return w;
}

QLabel* StaticText(QWidget* parent, const char* name, const QString& caption, int left, int top) {
    auto* l = new QLabel(caption, parent);
    l->setFont(StaticTextFont());
    return Place(l, name, left, top);
}

// Left edges of the evaluation rows' controls, per column: "X=", edit, "Y=", panel, box.
constexpr int kEvalLefts[2][5] = {{8, 24, 104, 128, 216}, {256, 272, 352, 376, 464}};

}  // namespace

TFormMain::TFormMain(const FormEnvironment& env, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(env.dialogs),
      sep_(env.decimalSeparator),
      programDirectory_(env.programDirectory) {
    setObjectName("FormMain");
    setFont(DefaultFont());
    BuildControls();
    BuildMenus();
    WireEvents();

    DescribeByDesignNames(this);
    NameForAccessibility();
    ApplyAccessibleNames();

    FormCreate();
    qApp->installEventFilter(this);          // shortcuts by physical key, see TriggerShortcutByPhysicalKey
    sgData->setFocus(Qt::OtherFocusReason);  // the table is the first control to type into
}

TFormMain::~TFormMain() {
    if (qtTexts_) QCoreApplication::removeTranslator(qtTexts_.get());
    // The controls read the table's cells: they go before the members do, and
    // no event of their teardown reaches the handlers.
    qApp->removeEventFilter(this);
    QWidget* client = takeCentralWidget();
    Memo1 = nullptr;
    memoViewport_ = nullptr;
    for (QObject* o : client->findChildren<QObject*>()) o->removeEventFilter(this);
    client->removeEventFilter(this);
    delete client;
}

void TFormMain::BuildControls() {
    auto* client = new QWidget(this);
    client->setObjectName("client");
    setCentralWidget(client);
    client->installEventFilter(this);  // FormResize on every change of the client size

    setWindowTitle(Text(TextId::AppTitle));
    resize(524, 625);
    setMinimumSize(511, 474);

    // The data table.
    GroupBoxTable = Place(new TGroupBox(client), "GroupBoxTable", 8, 0, 193, 361);
    StaticText1 = Captioned(StaticText(GroupBoxTable, "StaticText1", {}, 16, 8), TextId::TableCaption);
    sgData = Place(new TStringGrid(&table_, GroupBoxTable), "sgData", 8, 24, 177, 329);

    // Coefficients and error measures.
    GroupBoxKoef = Place(new TGroupBox(client), "GroupBoxKoef", 208, 0, 185, 145);
    static const char* const kPanelNames[4] = {"PanelA0", "PanelA1", "PanelA2", "PanelA3"};
    for (int i = 0; i < 4; ++i) {
        PanelA[i] = Place(new TPanel(GroupBoxKoef), kPanelNames[i], 18, 16 + 24 * i, 150, 17);
        PanelA[i]->setText(QString("a%1=").arg(i));
    }
    LabelMaxErr = Place(Captioned(new QLabel(GroupBoxKoef), TextId::MaxErrorLabel), "LabelMaxErr", 8, 112);
    lblMaxErr = Place(new QLabel("0", GroupBoxKoef), "lblMaxErr", 128, 112, 50, -1);
    LabelRms = Place(Captioned(new QLabel(GroupBoxKoef), TextId::RmsLabel), "LabelRms", 8, 128);
    LabelRms->setToolTip(QString::fromUtf8(kurv::kRmsNote));
    LabelRms->installEventFilter(this);  // the hint is kept but not displayed
    lblSigma = Place(new QLabel("0", GroupBoxKoef), "lblSigma", 128, 128, 50, -1);
    BuildFitWarning(GroupBoxKoef);

    // The help text and, above it, the chart.
    Memo1 = Place(new QPlainTextEdit(client), "Memo1", 208, 176, 185, 169);
    Memo1->setFocusPolicy(Qt::ClickFocus);  // skipped by Tab
    Memo1->setReadOnly(true);
    Memo1->setContextMenuPolicy(Qt::NoContextMenu);
    {
        QPalette pal = Memo1->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Button));
        Memo1->setPalette(pal);
    }
    Memo1->installEventFilter(this);
    memoViewport_ = Memo1->viewport();
    ShowHelpText();  // the design shows it before any language is applied
    memoViewport_->installEventFilter(this);
    Chart1 = Place(new TChart(client), "Chart1", 208, 152, 289, 208);
    Chart1->hide();
    Chart1->raise();

    // The right-hand column.
    LabelTypeFunc = Captioned(StaticText(client, "LabelTypeFunc", {}, 402, 38), TextId::FunctionKindLabel);
    ComboBox1 = Place(new QComboBox(client), "ComboBox1", 400, 56, 97, -1);
    ComboBox1->setEditable(false);
    FillFunctionKinds();
    btnPrint = Place(Captioned(new QPushButton(client), TextId::PrintChart), "btnPrint", 400, 92, 97, 25);
    btnGraphCopy =
        Place(Captioned(new QPushButton(client), TextId::CopyChartButton), "btnGraphCopy", 400, 120, 97, 25);
    CheckBoxOnTop = Captioned(new QCheckBox(client), TextId::OnTop);
    CheckBoxOnTop->setFont(StaticTextFont());
    Place(CheckBoxOnTop, "CheckBoxOnTop", 398, 0, 107, 17);

    // The result: formula and evaluation points.
    GroupBoxResult =
        Place(Captioned(new TGroupBox(client), TextId::ResultCaption), "GroupBoxResult", 8, 360, 489, 169);
    PanelResult = Place(new TPanel(GroupBoxResult), "PanelResult", 8, 16, 393, 25);
    PanelResult->setText("Y=");
    btnCopy = Place(Captioned(new QPushButton(GroupBoxResult), TextId::CopyFormulaButton), "btnCopy", 406, 16,
                    75, 25);
    Panel2 = Place(new QLabel(GroupBoxResult), "Panel2", 240, 48, 3, 113);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);

    for (int k = 1; k <= 10; ++k) {
        EvaluationRow& row = evalRows_[k - 1];
        const int* left = kEvalLefts[(k - 1) / 5];
        const int top = 48 + 24 * ((k - 1) % 5);
        const QByteArray n = QByteArray::number(k);
        row.staticX = StaticText(GroupBoxResult, "StaticTextX" + n, "X=", left[0], top);
        row.edit = Place(new QLineEdit("0", GroupBoxResult), "MaskEditX" + n, left[1], top, 73, 21);
        LetWindowShortcutsWin(row.edit);
        row.staticY = StaticText(GroupBoxResult, "StaticTextY" + n, "Y=", left[2], top);
        row.panel = Place(new TPanel(GroupBoxResult), "PanelY" + n, left[3], top, 81, 17);
        row.panel->setAutoFillBackground(true);
        row.panel->setBackgroundRole(QPalette::Base);
        row.check = Place(new QCheckBox(GroupBoxResult), "CheckBox" + n, left[4], top, 17, 17);
    }
    // Keyboard order: the ten edits, then the ten boxes.
    QWidget* prev = evalRows_[0].edit;
    for (int k = 1; k < 10; ++k) setTabOrder(prev, evalRows_[k].edit), prev = evalRows_[k].edit;
    for (int k = 0; k < 10; ++k) setTabOrder(prev, evalRows_[k].check), prev = evalRows_[k].check;
}

void TFormMain::NameForAccessibility() {
    accessibleNames_ = {
        {sgData, "Экспериментальные данные", "Test data"},
        {GroupBoxKoef, "Коэффициенты", "Coefficients"},
        {Memo1, "Справка", "Help"},
        {Chart1, "График", "Chart"},
        {ComboBox1, "Вид функции", "Type of function"},
    };
    for (int k = 1; k <= 10; ++k) {
        const EvaluationRow& row = evalRows_[k - 1];
        accessibleNames_.push_back({row.edit, "X", "X", k});
        accessibleNames_.push_back({row.panel, "Y", "Y", k});
        accessibleNames_.push_back({row.check, "Показать точку на графике", "Plot point", k});
    }
}

QAction* TFormMain::MakeAction(const char* name, const QKeySequence& shortcut) {
    auto* a = new QAction(this);
    a->setObjectName(name);
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    return a;
}

// One row of a menu: design name, text, shortcut, handler. A row without a
// handler or text is a separator.
struct TFormMain::MenuRow {
    const char* name;
    TextId text;
    const char* shortcut;
    void (TFormMain::*run)();
};

// A command offered both in the Edit menu and in the table's pop-up menu: one row
// carries both design names. `key` is shown in both; `popupKey` in the pop-up only.
struct TFormMain::TwinRow {
    const char* mainName;
    const char* popupName;
    TextId text;
    const char* key;
    void (TFormMain::*run)();
    const char* popupKey = "";
};

namespace {

constexpr TextId kSeparator = TextId::Count;

}  // namespace

void TFormMain::FillMenu(QMenu* menu, std::initializer_list<MenuRow> rows, Qt::ShortcutContext context) {
    for (const MenuRow& it : rows) {
        if (it.run == nullptr && it.text == kSeparator) {
            menu->addSeparator()->setObjectName(it.name);
            continue;
        }
        QAction* a = Captioned(MakeAction(it.name, QKeySequence(QString::fromLatin1(it.shortcut))), it.text);
        a->setShortcutContext(context);
        connect(a, &QAction::triggered, this, [this, a, run = it.run] {
            // A checkable item has flipped itself already; its mark is the handler's to set.
            if (a->isCheckable()) SetCheckedByCode(a, !a->isChecked());
            Guarded([&] { (this->*run)(); });
        });
        menu->addAction(a);
    }
}

void TFormMain::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    auto submenu = [this](const char* name, TextId text) {
        auto* m = Captioned(new QMenu(this), text);
        m->setObjectName(name);
        m->menuAction()->setObjectName(name);
        return m;
    };

    QMenu* file = submenu("itmFile", TextId::MenuFile);
    bar->addMenu(file);
    FillMenu(file,
             {{"itmRead", TextId::ItemRead, "Ctrl+L", &TFormMain::itmReadClick},
              {"itmWrite", TextId::ItemWrite, "Ctrl+S", &TFormMain::itmWriteClick},
              {"N8", kSeparator, "", nullptr},
              {"itmExit", TextId::ItemExit, "", &TFormMain::itmExitClick}},
             Qt::WindowShortcut);
    BuildReportItems(file);

    static const TwinRow kTableCommands[] = {
        {"itmClearMain", "itmClear", TextId::ItemTableClear, "", &TFormMain::itmClearClick},
        {"itmTablCopyMain", "itmTablCopy", TextId::ItemTableCopy, "Ctrl+C", &TFormMain::itmTablCopyClick},
        {"itmTablPasteMain", "itmTablPaste", TextId::ItemTablePaste, "Ctrl+V", &TFormMain::itmTablPasteClick},
        {"itmAppendMain", "itmAppend", TextId::ItemAppend, "Ctrl+B", &TFormMain::itmAppendClick},
        {"N10", "N9", kSeparator, "", nullptr},
        {"itmClearColMain", "itmClearCol", TextId::ItemColumnClear, "", &TFormMain::itmClearColClick},
        {"itmColCopyMain", "itmColCopy", TextId::ItemColumnCopy, "Ctrl+Alt+C", &TFormMain::itmColCopyClick},
        {"itmColPasteMain", "itmColPaste", TextId::ItemColumnPaste, "Ctrl+Alt+V",
         &TFormMain::itmColPasteClick},
        {"N3", "N5", kSeparator, "", nullptr},
        {"itmDeleteMain", "itmDelete", TextId::ItemDeleteRows, "Shift+Del", &TFormMain::itmDeleteClick},
        {"N6", "N7", kSeparator, "", nullptr},
        {"itmSortMain", "itmSort", TextId::ItemSort, "", &TFormMain::itmSortClick, "Ctrl+S"},
    };
    QMenu* edit = submenu("itmEdit", TextId::MenuEdit);
    bar->addMenu(edit);
    // Pop-up menus. Their shortcuts are shown but act only through the main menu's
    // twins (two live actions on one key would both stay silent).
    PopupMenuTabl = new QMenu(this);
    PopupMenuTabl->setObjectName("PopupMenuTabl");
    for (const TwinRow& r : kTableCommands) {
        FillMenu(edit, {{r.mainName, r.text, r.key, r.run}}, Qt::WindowShortcut);
        FillMenu(PopupMenuTabl, {{r.popupName, r.text, *r.popupKey ? r.popupKey : r.key, r.run}},
                 Qt::WidgetShortcut);
    }
    BuildUndoItems(edit);

    QMenu* param = submenu("itmParam", TextId::MenuParameters);
    bar->addMenu(param);
    QMenu* language = submenu("itmLanguage", TextId::MenuLanguage);
    param->addMenu(language);
    FillMenu(language,
             {{"itmRus", TextId::ItemRussian, "", &TFormMain::itmRusClick},
              {"itmEng", TextId::ItemEnglish, "", &TFormMain::itmEngClick}},
             Qt::WindowShortcut);
    FillMenu(param,
             {{"N1", kSeparator, "", nullptr},
              {"itmAuxPointsEnable", TextId::ItemEvaluationPoints, "", &TFormMain::itmAuxPointsEnableClick}},
             Qt::WindowShortcut);
    itmAuxPointsEnable = findChild<QAction*>("itmAuxPointsEnable");
    itmAuxPointsEnable->setCheckable(true);
    BuildExtraItems(edit, param);

    QAction* about = Captioned(MakeAction("itmAbout"), TextId::MenuAbout);
    connect(about, &QAction::triggered, this, [this] { Guarded([&] { itmAboutClick(); }); });
    bar->addAction(about);

    PopupMenuGraph = new QMenu(this);
    PopupMenuGraph->setObjectName("PopupMenuGraph");
    FillMenu(PopupMenuGraph,
             {{"itmLine", TextId::ItemLinear, "", &TFormMain::itmLineClick},
              {"itmDouble", TextId::ItemQuadratic, "", &TFormMain::itmDoubleClick},
              {"itmCubic", TextId::ItemCubic, "", &TFormMain::itmCubicClick},
              {"sepN1", kSeparator, "", nullptr},
              {"itmGraphPrint", TextId::PrintChart, "", &TFormMain::btnPrintClick},
              {"itmGraphCopy", TextId::CopyChartItem, "", &TFormMain::btnGraphCopyClick}},
             Qt::WidgetShortcut);
    itmLine = findChild<QAction*>("itmLine");
    itmDouble = findChild<QAction*>("itmDouble");
    itmCubic = findChild<QAction*>("itmCubic");
    for (QAction* a : {itmLine, itmDouble, itmCubic}) a->setCheckable(true);

    PopupMenuCoef = new QMenu(this);
    PopupMenuCoef->setObjectName("PopupMenuCoef");
    FillMenu(PopupMenuCoef, {{"itmCoefCopy", TextId::CopyCoefficients, "", &TFormMain::itmCoefCopyClick}},
             Qt::WidgetShortcut);

    for (int k = 1; k <= 10; ++k) {
        EvaluationRow& row = evalRows_[k - 1];
        row.popup = new QMenu(this);
        row.popup->setObjectName(QString("PopupMenuY%1").arg(k));
        row.itmCopy = CaptionedLater(MakeAction(QString("itmCopyY%1").arg(k).toLatin1().constData()),
                                     TextId::CopyCoefficients);
        row.itmCopy->setText(QString::fromUtf8("Копировать"));
        connect(row.itmCopy, &QAction::triggered, this, [this, k] { Guarded([&] { itmCopyYClick(k); }); });
        row.popup->addAction(row.itmCopy);
    }

    // Ctrl+S means Sort in the table and Write elsewhere: the two items show the
    // key, and one window-wide action decides by the focus.
    for (const char* name : {"itmWrite", "itmSort"})
        findChild<QAction*>(name)->setShortcutContext(Qt::WidgetShortcut);
    ctrlS_ = MakeAction("ctrlS", QKeySequence("Ctrl+S"));
    ctrlS_->setShortcutContext(Qt::WindowShortcut);
    addAction(ctrlS_);
    connect(ctrlS_, &QAction::triggered, this, [this] {
        QWidget* f = QApplication::focusWidget();
        const bool inTable = f && (f == sgData || sgData->isAncestorOf(f));
        Guarded([&] { inTable ? itmSortClick() : itmWriteClick(); });
    });
}

void TFormMain::WireEvents() {
    auto recalc = [this] { Guarded([&] { sgDataClick(); }); };

    connect(sgData, &TStringGrid::clicked, this, recalc);
    connect(sgData, &TStringGrid::doubleClicked, this, recalc);
    connect(sgData, &TStringGrid::focusEntered, this, recalc);
    connect(sgData, &TStringGrid::setEditText, this,
            [this](int c, int r, const QString& v) { Guarded([&] { sgDataSetEditText(c, r, v); }); });
    connect(sgData, &TStringGrid::keyPress, this, [this](QChar ch) { Guarded([&] { sgDataKeyPress(ch); }); });
    connect(sgData, &TStringGrid::keyDown, this,
            [this](int key, Qt::KeyboardModifiers m) { Guarded([&] { sgDataKeyDown(key, m); }); });
    connect(sgData, &TStringGrid::columnMoved, this,
            [this](int from, int to) { Guarded([&] { sgDataColumnMoved(from, to); }); });
    sgData->SetPopupMenu(PopupMenuTabl);

    connect(GroupBoxTable, &TGroupBox::doubleClicked, this,
            [this] { Guarded([&] { GroupBoxTableDblClick(); }); });
    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this, recalc);
    connect(PanelResult, &TPanel::clicked, this, recalc);
    connect(PanelResult, &TPanel::doubleClicked, this, recalc);
    connect(btnCopy, &QPushButton::clicked, this, [this] { Guarded([&] { btnCopyClick(); }); });
    connect(btnPrint, &QPushButton::clicked, this, [this] { Guarded([&] { btnPrintClick(); }); });
    connect(btnGraphCopy, &QPushButton::clicked, this, [this] { Guarded([&] { btnGraphCopyClick(); }); });
    connect(CheckBoxOnTop, &QCheckBox::clicked, this, [this] { Guarded([&] { CheckBoxOnTopClick(); }); });

    connect(Chart1, &TChart::seriesClicked, this, [this](int series, int index, Qt::MouseButton b) {
        Guarded([&] { Chart1ClickSeries(series, index, b); });
    });
    // The chart's click is the left button's; a right click opens its menu.
    connect(Chart1, &TChart::clicked, this, [this](Qt::MouseButton b) {
        if (b == Qt::LeftButton) Guarded([&] { Chart1Click(); });
    });
    Chart1->SetPopupMenu(PopupMenuGraph);
    Chart1->SetValueFormatter(
        [this](double y) { return QString::fromStdString(kurv::GeneralNumberText(y, sep_)); });

    auto popupOn = [this](QWidget* w, QMenu* menu) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [w, menu](const QPoint& pos) { menu->popup(w->mapToGlobal(pos)); });
    };
    popupOn(GroupBoxKoef, PopupMenuCoef);
    for (TPanel* p : PanelA) popupOn(p, PopupMenuCoef);

    for (EvaluationRow& row : evalRows_) {
        popupOn(row.panel, row.popup);
        QLineEdit* edit = row.edit;
        QCheckBox* box = row.check;
        connect(edit, &QLineEdit::textChanged, this,
                [this, edit] { Guarded([&] { MaskEditX1Change(edit); }); });
        // A box unchecked by the program raises its click as a user click would.
        connect(box, &QCheckBox::toggled, this, [this, box] { Guarded([&] { CheckBox1Click(box); }); });
    }
}

bool TFormMain::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->window() == this && TriggerShortcutByPhysicalKey(this, static_cast<QKeyEvent*>(e)))
            return true;
    }
    if (watched == centralWidget() && e->type() == QEvent::Resize) {
        Guarded([&] { FormResize(); });
        return false;
    }
    if (watched == LabelRms && e->type() == QEvent::ToolTip) return true;
    if (Memo1 && (watched == Memo1 || watched == memoViewport_)) {
        switch (e->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                if (watched == memoViewport_) Guarded([&] { Memo1Click(); });
                return true;
            case QEvent::KeyPress:
                Guarded([&] { Memo1KeyDown(); });
                return true;  // the key's own action in the help text is cancelled
            default:
                break;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

void TFormMain::Memo1Click() {
    sgData->setFocus(Qt::MouseFocusReason);
}

void TFormMain::Memo1KeyDown() {
    sgData->setFocus(Qt::OtherFocusReason);
}

// ---- Helpers shared by the handlers

QString TFormMain::Text(TextId id) const {
    return QString::fromUtf8(kurv::UiText(id, LanguageIndex));
}

void TFormMain::SetCaption(QObject* target, const QString& text) {
    if (auto* a = qobject_cast<QAction*>(target)) {
        a->setText(text);
    } else if (auto* m = qobject_cast<QMenu*>(target)) {
        m->setTitle(text);
    } else if (auto* g = qobject_cast<QGroupBox*>(target)) {
        g->setTitle(text);
    } else if (auto* b = qobject_cast<QAbstractButton*>(target)) {
        b->setText(text);
    } else if (auto* l = qobject_cast<QLabel*>(target)) {
        l->setText(text);
        l->adjustSize();  // captions keep their left edge and take their text's width
    }
}

QString TFormMain::CaptionOf(const QObject* target) {
    if (auto* a = qobject_cast<const QAction*>(target)) return a->text();
    if (auto* m = qobject_cast<const QMenu*>(target)) return m->title();
    if (auto* g = qobject_cast<const QGroupBox*>(target)) return g->title();
    if (auto* b = qobject_cast<const QAbstractButton*>(target)) return b->text();
    if (auto* l = qobject_cast<const QLabel*>(target)) return l->text();
    return {};
}

QString TFormMain::Pick(const char* russian, const char* english) const {
    return QString::fromUtf8(LanguageIndex == 1 ? english : russian);
}

void TFormMain::Guarded(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::bad_alloc&) {
        ShowDefaultError(Pick(kurv::kNotEnoughMemory.rus, kurv::kNotEnoughMemory.eng));
    } catch (const std::exception& e) {  // KurvError among them
        ShowDefaultError(QString::fromUtf8(e.what()));
    }
}

void TFormMain::ShowDefaultError(const QString& message) {
    MessageBox(this, message, appTitle_, MbOk, MsgIcon::Error);
}

int TFormMain::MessageBox(QWidget* owner, const QString& text, const QString& caption, int buttons,
                          MsgIcon icon, int defaultButton) {
    return dialogs_->Message(owner, text, caption, buttons, icon, defaultButton);
}

double TFormMain::Number(const std::string& text) const {
    return kurv::TextToNumber(text, sep_);
}

void TFormMain::SetCheckedByCode(QAction* a, bool on) {
    // A checkable action flips itself before `triggered`; only code sets these marks.
    QSignalBlocker block(a);
    a->setChecked(on);
}

void TFormMain::TableChanged() {
    sgData->TableReset();
    undo_->Commit();
}
