#include "table/shortcutpriority.h"

#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>

namespace {

constexpr const char* kFilterName = "LetWindowShortcutsWin";

class ShortcutPriorityFilter : public QObject {
  public:
    explicit ShortcutPriorityFilter(QObject* parent) : QObject(parent) { setObjectName(kFilterName); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride) return QObject::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        const bool windowKey = (mods & (Qt::ControlModifier | Qt::AltModifier)) ||
                               (key->key() == Qt::Key_Delete && mods == Qt::ShiftModifier);
        if (!windowKey) return false;
        // Not accepted and not delivered: the shortcut map gets its turn, and
        // without a matching shortcut the key press comes to the edit as usual.
        key->ignore();
        return true;
    }
};

}  // namespace

void LetWindowShortcutsWin(QWidget* edit) {
    if (!edit || edit->findChild<ShortcutPriorityFilter*>(kFilterName, Qt::FindDirectChildrenOnly)) return;
    edit->installEventFilter(new ShortcutPriorityFilter(edit));
}
