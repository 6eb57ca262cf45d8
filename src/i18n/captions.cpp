// The caption record: every language-dependent text of the main window, with
// the control and the part of it that shows the text.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>

#include "app/formmain.h"
#include "app/spoken.h"
#include "table/stringgrid.h"

QString UiString::In(int language) const {
    if (russian_) return QString::fromUtf8(language == 1 ? english_ : russian_);
    QString text = QString::fromUtf8(kurv::UiText(first_, language));
    for (kurv::TextId id = first_ + 1; static_cast<int>(id) <= static_cast<int>(last_); id = id + 1)
        text += QLatin1Char('\n') + QString::fromUtf8(kurv::UiText(id, language));
    return text;
}

QString TFormMain::Text(kurv::TextId id) const {
    return UiString(id).In(LanguageIndex);
}

QString TFormMain::Pick(const char* russian, const char* english) const {
    return UiString(russian, english).In(LanguageIndex);
}

void TFormMain::RecordCaption(Caption caption, bool showNow) {
    i18n_.captions.push_back(caption);
    if (showNow) caption.Show(LanguageIndex);
}

QString TFormMain::Caption::In(int language) const {
    QString s = text.In(language);
    if ((role == Role::AccessibleName || role == Role::SpokenCaption) && number != 0)
        s += QLatin1Char(' ') + QString::number(number);
    return s;
}

void TFormMain::Caption::Show(int language) const {
    QObject* t = target;
    if (!t) return;
    const QString s = In(language);
    auto* w = qobject_cast<QWidget*>(t);
    switch (role) {
        case Role::AccessibleName:
            if (w) w->setAccessibleName(s);
            return;
        case Role::SpokenCaption:
            if (w) SetSpokenCaption(w, s);
            return;
        case Role::ToolTip:
            if (w) w->setToolTip(s);
            return;
        case Role::ListItem:
            if (auto* list = qobject_cast<QComboBox*>(t)) list->setItemText(number, s);
            return;
        case Role::Header:
            // The header row belongs to the language; the grid shows it as the column headers.
            if (auto* grid = qobject_cast<TStringGrid*>(t)) grid->SetCell(number, 0, s.toStdString());
            return;
        case Role::Text:
            break;
    }
    if (auto* a = qobject_cast<QAction*>(t)) {
        a->setText(s);
    } else if (auto* m = qobject_cast<QMenu*>(t)) {
        m->setTitle(s);
    } else if (auto* g = qobject_cast<QGroupBox*>(t)) {
        g->setTitle(s);
    } else if (auto* b = qobject_cast<QAbstractButton*>(t)) {
        b->setText(s);
    } else if (auto* l = qobject_cast<QLabel*>(t)) {
        l->setText(s);
        l->adjustSize();  // captions keep their left edge and take their text's width
    } else if (auto* e = qobject_cast<QPlainTextEdit*>(t)) {
        e->setPlainText(s);
    } else if (w && w->isWindow()) {
        w->setWindowTitle(s);
    }
}

QString TFormMain::Caption::Shown() const {
    const QObject* t = target;
    if (!t) return {};
    auto* w = qobject_cast<const QWidget*>(t);
    switch (role) {
        case Role::AccessibleName:
            return w ? w->accessibleName() : QString();
        case Role::SpokenCaption:
            return w ? SpokenCaption(w) : QString();
        case Role::ToolTip:
            return w ? w->toolTip() : QString();
        case Role::ListItem: {
            auto* list = qobject_cast<const QComboBox*>(t);
            return list ? list->itemText(number) : QString();
        }
        case Role::Header: {
            auto* grid = qobject_cast<const TStringGrid*>(t);
            return grid ? QString::fromStdString(grid->Cell(number, 0)) : QString();
        }
        case Role::Text:
            break;
    }
    if (auto* a = qobject_cast<const QAction*>(t)) return a->text();
    if (auto* m = qobject_cast<const QMenu*>(t)) return m->title();
    if (auto* g = qobject_cast<const QGroupBox*>(t)) return g->title();
    if (auto* b = qobject_cast<const QAbstractButton*>(t)) return b->text();
    if (auto* l = qobject_cast<const QLabel*>(t)) return l->text();
    if (auto* e = qobject_cast<const QPlainTextEdit*>(t)) return e->toPlainText();
    if (w && w->isWindow()) return w->windowTitle();
    return {};
}
