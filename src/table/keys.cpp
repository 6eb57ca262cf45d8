#include "table/keys.h"

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QObject>
#include <QWidget>

namespace {

// The main block of a PC keyboard by X11/xkb keycode (evdev code + 8), as
// its keys are labelled on a US keyboard. A Cyrillic layout's letters sit on
// the same keys, so this gives the Latin letter of the physical key.
int VirtualKeyOfKeycode(quint32 code) {
    static constexpr char kRowQ[] = "QWERTYUIOP";
    static constexpr char kRowA[] = "ASDFGHJKL";
    static constexpr char kRowZ[] = "ZXCVBNM";
    if (code >= 10 && code <= 18) return '1' + static_cast<int>(code - 10);
    if (code == 19) return '0';
    if (code >= 24 && code <= 33) return kRowQ[code - 24];
    if (code >= 38 && code <= 46) return kRowA[code - 38];
    if (code >= 52 && code <= 58) return kRowZ[code - 52];
    switch (code) {
        case 20:
            return kVkOemMinus;
        case 21:
            return kVkOemPlus;
        case 34:
            return kVkOem4;
        case 35:
            return kVkOem6;
        case 47:
            return kVkOem1;
        case 48:
            return kVkOem7;
        case 49:
            return kVkOem3;
        case 51:
            return kVkOem5;
        case 59:
            return kVkOemComma;
        case 60:
            return kVkOemPeriod;
        case 61:
            return kVkOem2;
        default:
            return 0;
    }
}

// What a key event's native codes are on this platform.
enum class NativeCodes { Xkb, Windows, Other };

NativeCodes PlatformNativeCodes() {
    static const NativeCodes codes = [] {
        const QString p = QGuiApplication::platformName();
        if (p == QLatin1String("windows")) return NativeCodes::Windows;
        if (p == QLatin1String("cocoa") || p == QLatin1String("ios")) return NativeCodes::Other;
        return NativeCodes::Xkb;  // xcb, wayland, offscreen
    }();
    return codes;
}

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

int VirtualKeyOf(const QKeyEvent& event) {
    const int key = event.key();
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    switch (key) {
        case Qt::Key_Backspace:
            return kVkBack;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return kVkTab;
        case Qt::Key_Clear:
            return kVkClear;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kVkReturn;
        case Qt::Key_Shift:
            return kVkShift;
        case Qt::Key_Control:
            return kVkControl;
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
            return kVkMenu;
        case Qt::Key_Pause:
            return kVkPause;
        case Qt::Key_CapsLock:
            return kVkCapital;
        case Qt::Key_Escape:
            return kVkEscape;
        case Qt::Key_Space:
            return kVkSpace;
        case Qt::Key_PageUp:
            return kVkPrior;
        case Qt::Key_PageDown:
            return kVkNext;
        case Qt::Key_End:
            return kVkEnd;
        case Qt::Key_Home:
            return kVkHome;
        case Qt::Key_Left:
            return kVkLeft;
        case Qt::Key_Up:
            return kVkUp;
        case Qt::Key_Right:
            return kVkRight;
        case Qt::Key_Down:
            return kVkDown;
        case Qt::Key_Print:
            return kVkSnapshot;
        case Qt::Key_Insert:
            return kVkInsert;
        case Qt::Key_Delete:
            return kVkDelete;
        case Qt::Key_Meta:
            return kVkLWin;
        case Qt::Key_Menu:
            return kVkApps;
        case Qt::Key_NumLock:
            return kVkNumLock;
        case Qt::Key_ScrollLock:
            return kVkScroll;
        default:
            break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return kVkF1 + (key - Qt::Key_F1);
    if (keypad) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) return kVkNumpad0 + (key - Qt::Key_0);
        switch (key) {
            case Qt::Key_Asterisk:
                return kVkMultiply;
            case Qt::Key_Plus:
                return kVkAdd;
            case Qt::Key_Minus:
                return kVkSubtract;
            case Qt::Key_Period:
            case Qt::Key_Comma:
                return kVkDecimal;
            case Qt::Key_Slash:
                return kVkDivide;
            default:
                break;
        }
    }
    // A Latin letter is its own code, whatever key carries it.
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;
    // Anything else on the main block (non-Latin letters, shifted digits,
    // punctuation): the physical key decides, as with a Windows layout.
    switch (PlatformNativeCodes()) {
        case NativeCodes::Xkb:
            if (const int vk = VirtualKeyOfKeycode(event.nativeScanCode())) return vk;
            break;
        case NativeCodes::Windows:
            if (event.nativeVirtualKey() != 0) return static_cast<int>(event.nativeVirtualKey());
            break;
        case NativeCodes::Other:
            break;
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return key;
    switch (key) {
        case Qt::Key_Semicolon:
            return kVkOem1;
        case Qt::Key_Equal:
        case Qt::Key_Plus:
            return kVkOemPlus;
        case Qt::Key_Comma:
            return kVkOemComma;
        case Qt::Key_Minus:
            return kVkOemMinus;
        case Qt::Key_Period:
            return kVkOemPeriod;
        case Qt::Key_Slash:
            return kVkOem2;
        case Qt::Key_QuoteLeft:
            return kVkOem3;
        case Qt::Key_BracketLeft:
            return kVkOem4;
        case Qt::Key_Backslash:
            return kVkOem5;
        case Qt::Key_BracketRight:
            return kVkOem6;
        case Qt::Key_Apostrophe:
            return kVkOem7;
        default:
            return 0;
    }
}

void LetWindowShortcutsWin(QWidget* edit) {
    if (!edit || edit->findChild<ShortcutPriorityFilter*>(kFilterName, Qt::FindDirectChildrenOnly)) return;
    edit->installEventFilter(new ShortcutPriorityFilter(edit));
}

bool TriggerShortcutByPhysicalKey(QWidget* window, QKeyEvent* ke) {
    const Qt::KeyboardModifiers mods =
        ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    if (!(mods & (Qt::ControlModifier | Qt::AltModifier))) return false;
    const int vk = VirtualKeyOf(*ke);
    if (vk < kVkA || vk > kVkZ) return false;
    const QKeySequence sequence(QKeyCombination(mods, Qt::Key(vk)));
    for (QAction* a : window->findChildren<QAction*>()) {
        if (a->shortcutContext() == Qt::WindowShortcut && a->isEnabled() && a->shortcut() == sequence) {
            a->trigger();
            return true;
        }
    }
    return false;
}
