#include "app/spoken.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QVariant>

namespace {

constexpr char kProperty[] = "spokenCaption";

// A label read as what it shows with what that is. Qt 6.4 exposes a label's
// text over AT-SPI only as its name, so the caption goes into the name.
class SpokenLabel : public QAccessibleWidget {
  public:
    explicit SpokenLabel(QLabel* l) : QAccessibleWidget(l, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) return QAccessibleWidget::text(t);
        const auto* l = static_cast<const QLabel*>(widget());
        QString caption = SpokenCaption(l);
        if (caption.endsWith(QLatin1Char(':'))) caption.chop(1);
        const QString shown = l->text().isEmpty() ? l->toolTip() : l->text();
        return shown.isEmpty() ? caption : caption + QStringLiteral(": ") + shown;
    }
};

// Qt names a list on Linux by its current item; this one is named by its
// caption and has the item as its value.
class SpokenList : public QAccessibleWidget {
  public:
    explicit SpokenList(QComboBox* c) : QAccessibleWidget(c, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return SpokenCaption(widget());
        if (t == QAccessible::Value) return List()->currentText();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(List()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == List()->view() ? 0 : -1;
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction())
            List()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

  private:
    QComboBox* List() const { return static_cast<QComboBox*>(widget()); }
};

// A button read as its own text within the caption.
class SpokenButton : public QAccessibleWidget {
  public:
    explicit SpokenButton(QAbstractButton* b) : QAccessibleWidget(b, QAccessible::PushButton) {}

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) return QAccessibleWidget::text(t);
        QString own = Button()->text();
        own.remove(QLatin1Char('&'));
        return SpokenCaption(widget()).arg(own);
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction())
            Button()->click();
        else
            QAccessibleWidget::doAction(action);
    }

  private:
    QAbstractButton* Button() const { return static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* SpokenInterface(const QString&, QObject* object) {
    auto* w = qobject_cast<QWidget*>(object);
    if (!w || !w->property(kProperty).isValid()) return nullptr;
    if (auto* l = qobject_cast<QLabel*>(w)) return new SpokenLabel(l);
    if (auto* c = qobject_cast<QComboBox*>(w)) return new SpokenList(c);
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return new SpokenButton(b);
    return nullptr;
}

bool IsSpoken(QAccessibleInterface* i) {
    return dynamic_cast<SpokenLabel*>(i) || dynamic_cast<SpokenList*>(i) || dynamic_cast<SpokenButton*>(i);
}

}  // namespace

void SetSpokenCaption(QWidget* w, const QString& caption) {
    static const bool installed = [] {
        QAccessible::installFactory(SpokenInterface);
        return true;
    }();
    (void)installed;
    w->setProperty(kProperty, caption);
    // An interface made before the caption was given (a label's first text
    // makes one) is Qt's own: it makes way for this one.
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
    if (i && !IsSpoken(i)) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(i));
        QAccessible::queryAccessibleInterface(w);
    }
    QAccessibleEvent changed(w, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

QString SpokenCaption(const QWidget* w) {
    return w->property(kProperty).toString();
}
