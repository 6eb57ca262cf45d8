// What every subsystem's construction and handlers share: actions and menus,
// the guarded run of a handler, message boxes, event hooks and settings.
#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <new>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "app/settingkeys.h"
#include "core/errors.h"
#include "core/ini_file.h"
#include "core/numbers.h"
#include "table/keys.h"

QAction* TFormMain::MakeAction(const char* name, const QKeySequence& shortcut) {
    auto* a = new QAction(this);
    a->setObjectName(name);
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    return a;
}

QAction* TFormMain::MakeItem(const MenuRow& row, Qt::ShortcutContext context) {
    QAction* a = Captioned(MakeAction(row.name, QKeySequence(QString::fromLatin1(row.shortcut))), row.text);
    a->setShortcutContext(context);
    connect(a, &QAction::triggered, this, [this, a, run = row.run] {
        // A checkable item has flipped itself already; its mark is the handler's to set.
        if (a->isCheckable()) SetCheckedByCode(a, !a->isChecked());
        Guarded([&] { (this->*run)(); });
    });
    return a;
}

void TFormMain::FillMenu(QMenu* menu, std::initializer_list<MenuRow> rows, Qt::ShortcutContext context,
                         QAction* before) {
    for (const MenuRow& it : rows) {
        if (it.run == nullptr)
            menu->insertSeparator(before)->setObjectName(it.name);
        else
            menu->insertAction(before, MakeItem(it, context));
    }
}

QMenu* TFormMain::MakePopupMenu(const char* name) {
    auto* menu = new QMenu(this);
    menu->setObjectName(name);
    return menu;
}

void TFormMain::PopupOn(QWidget* w, QMenu* menu) {
    w->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(w, &QWidget::customContextMenuRequested, menu,
            [w, menu](const QPoint& pos) { menu->popup(w->mapToGlobal(pos)); });
}

void TFormMain::SetCheckedByCode(QAction* a, bool on) {
    // A checkable action flips itself before `triggered`; only code sets these marks.
    QSignalBlocker block(a);
    a->setChecked(on);
}

void TFormMain::OnEvent(QObject* watched, std::function<bool(QEvent*)> handler) {
    hooks_.push_back({watched, std::move(handler)});
}

// Installed on the application: every event of the window's controls passes here first.
bool TFormMain::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->window() == this && TriggerShortcutByPhysicalKey(this, static_cast<QKeyEvent*>(e)))
            return true;
    }
    for (const EventHook& h : hooks_)
        if (h.watched == watched && h.handler(e)) return true;
    return QMainWindow::eventFilter(watched, e);
}

void TFormMain::Guarded(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::bad_alloc&) {
        ShowDefaultError(Pick(kurv::kNotEnoughMemory));
    } catch (const std::exception& e) {  // KurvError among them
        ShowDefaultError(QString::fromUtf8(e.what()));
    }
}

void TFormMain::ShowDefaultError(const QString& message) {
    MessageBox(this, message, ApplicationTitle(), MbOk, MsgIcon::Error);
}

int TFormMain::MessageBox(QWidget* owner, const QString& text, const QString& caption, int buttons,
                          MsgIcon icon, int defaultButton) {
    return dialogs_->Message(owner, text, caption, buttons, icon, defaultButton);
}

int TFormMain::FileFailureBox(const QString& text, const QString& caption) {
    return MessageBox(nullptr, text, caption, MbAbort | MbRetry | MbIgnore, MsgIcon::Warning, MbRetry);
}

double TFormMain::Number(const std::string& text) const {
    return kurv::TextToNumber(text, sep_);
}

QString TFormMain::ReadSetting(const SettingKey& key, const QString& fallback) const {
    return QString::fromStdString(kurv::ReadProfileString(SettingsFilePath.toStdString(), key.section,
                                                          key.key, fallback.toStdString()));
}

void TFormMain::WriteSetting(const SettingKey& key, const QString& value) {
    if (readOnlySettings_) return;
    // A settings file that cannot be written keeps its old content; the program goes on.
    kurv::WriteProfileString(SettingsFilePath.toStdString(), key.section, key.key, value.toStdString());
}

void TFormMain::SetFitOnShow(bool on) {
    fitOnShow_ = on;
    for (const FitFollower& f : fitFollowers_) {
        if (auto* a = qobject_cast<QAction*>(f.control))
            a->setEnabled(on);
        else if (auto* w = qobject_cast<QWidget*>(f.control))
            f.shown ? w->setVisible(on) : w->setEnabled(on);
    }
}

void TFormMain::FollowFitOnShow(QObject* control, bool shown) {
    fitFollowers_.push_back({control, shown});
    SetFitOnShow(fitOnShow_);
}

void TFormMain::PlaceToolWindow(QWidget* w, const settings::ToolWindowKeys& keys, int defaultTop) {
    // Beside the main window unless the settings say where, kept on the screen.
    const QScreen* s = QGuiApplication::primaryScreen();
    const QRect screen = s ? s->geometry() : QRect(0, 0, 1024, 768);
    const QSize size = w->sizeHint();
    const int left =
        kurv::ParseDecimalInt(ReadSetting(keys.left, "").toStdString()).value_or(frameGeometry().right() + 1);
    const int top = kurv::ParseDecimalInt(ReadSetting(keys.top, "").toStdString()).value_or(defaultTop);
    w->move(qBound(0, left, qMax(0, screen.width() - size.width())),
            qBound(0, top, qMax(0, screen.height() - size.height())));
}

void TFormMain::ReopenToolWindow(const settings::ToolWindowKeys& keys, void (TFormMain::*open)()) {
    // Shown once the main window is: a tool window goes with its owner.
    if (ReadSetting(keys.visible, "N").startsWith('Y'))
        QTimer::singleShot(0, this, [this, open] { Guarded([&] { (this->*open)(); }); });
}

void TFormMain::RememberToolWindow(const QWidget* w, const settings::ToolWindowKeys& keys) {
    if (!w) return;
    WriteSetting(keys.left, QString::number(w->x()));
    WriteSetting(keys.top, QString::number(w->y()));
    WriteSetting(keys.visible, w->isVisible() ? "Y" : "N");
}
