// The window's frame: its client area, title and size, the menu bar with its
// three submenus and File / Exit, the help text, the always-on-top box and the
// result group that the formula and the evaluation points share.
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QWindow>

#include "app/controls.h"
#include "app/formmain.h"
#include "app/settingkeys.h"
#include "table/stringgrid.h"

using kurv::TextId;

void TFormMain::BuildShell() {
    setFont(DesignFont());
    app_.client = new QWidget(this);
    app_.client->setObjectName("client");
    setCentralWidget(app_.client);
    Captioned(static_cast<QWidget*>(this), TextId::AppTitle);
    resize(524, 625);
    setMinimumSize(511, 474);

    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    auto submenu = [this, bar](const char* name, TextId text) {
        auto* m = Captioned(new QMenu(this), text);
        m->setObjectName(name);
        m->menuAction()->setObjectName(name);
        bar->addMenu(m);
        return m;
    };
    app_.itmFile = submenu("itmFile", TextId::MenuFile);
    app_.itmEdit = submenu("itmEdit", TextId::MenuEdit);
    app_.itmParam = submenu("itmParam", TextId::MenuParameters);
    FillMenu(app_.itmFile,
             {{"N8", {}, "", nullptr}, {"itmExit", TextId::ItemExit, "", &TFormMain::itmExitClick}},
             Qt::WindowShortcut);

    app_.Memo1 = Place(new QPlainTextEdit(app_.client), "Memo1", 208, 176, 185, 169);
    app_.Memo1->setFocusPolicy(Qt::ClickFocus);  // skipped by Tab
    app_.Memo1->setReadOnly(true);
    app_.Memo1->setContextMenuPolicy(Qt::NoContextMenu);
    QPalette pal = app_.Memo1->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    app_.Memo1->setPalette(pal);
    // The design shows the help text before any language is applied.
    Captioned(app_.Memo1, UiString::Lines(TextId::HelpFirst, TextId::HelpLast));
    Captioned(app_.Memo1, {"Справка", "Help"}, Caption::Role::AccessibleName);

    app_.CheckBoxOnTop = Captioned(new QCheckBox(app_.client), TextId::OnTop);
    app_.CheckBoxOnTop->setFont(StaticTextFont());
    Place(app_.CheckBoxOnTop, "CheckBoxOnTop", 398, 0, 107, 17);

    app_.GroupBoxResult = Place(Captioned(new TGroupBox(app_.client), TextId::ResultCaption),
                                "GroupBoxResult", 8, 360, 489, 169);
}

void TFormMain::WireShell() {
    connect(app_.CheckBoxOnTop, &QCheckBox::clicked, this,
            [this] { Guarded([&] { CheckBoxOnTopClick(); }); });
    OnEvent(app_.client, [this](QEvent* e) {
        if (e->type() == QEvent::Resize) Guarded([&] { FormResize(); });
        return false;
    });
    // The help text takes neither clicks nor keys: both give the table the focus.
    QWidget* viewport = app_.Memo1->viewport();
    auto memo = [this, viewport](QObject* watched, QEvent* e) {
        switch (e->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                if (watched == viewport) Guarded([&] { Memo1Click(); });
                return true;
            case QEvent::KeyPress:
                Guarded([&] { Memo1KeyDown(); });
                return true;  // the key's own action in the help text is cancelled
            default:
                return false;
        }
    };
    OnEvent(app_.Memo1, [memo, this](QEvent* e) { return memo(app_.Memo1, e); });
    OnEvent(viewport, [memo, viewport](QEvent* e) { return memo(viewport, e); });
}

void TFormMain::Memo1Click() {
    table_.sgData->setFocus(Qt::MouseFocusReason);
}

void TFormMain::Memo1KeyDown() {
    table_.sgData->setFocus(Qt::OtherFocusReason);
}

void TFormMain::CheckBoxOnTopClick() {
    const bool on = app_.CheckBoxOnTop->isChecked();
    // Before the first show the flag is the widget's; afterwards it is changed on the
    // native window, which keeps position, visibility and focus.
    if (windowHandle() && isVisible())
        windowHandle()->setFlag(Qt::WindowStaysOnTopHint, on);
    else
        setWindowFlag(Qt::WindowStaysOnTopHint, on);
    WriteSetting(settings::kOnTop, on ? "Y" : "N");
}

void TFormMain::itmExitClick() {
    // Ends at once: the window is not closed, so the position is not written.
    QCoreApplication::exit(0);
}
