// The keyboard as the window sees it: keys as Windows virtual-key codes
// (the codes the grid's keyDown reports and the table's commands test), and
// the routing that lets the window's shortcuts win over the line edits and
// follow the physical key under a non-Latin layout.
#pragma once

class QKeyEvent;
class QWidget;

// Windows virtual-key codes, the codes the grid's keyDown reports. Digits and
// Latin letters are their own ASCII codes.
enum VirtualKey : int {
    kVkBack = 8,
    kVkTab = 9,
    kVkClear = 12,
    kVkReturn = 13,
    kVkShift = 16,
    kVkControl = 17,
    kVkMenu = 18,
    kVkPause = 19,
    kVkCapital = 20,
    kVkEscape = 27,
    kVkSpace = 32,
    kVkPrior = 33,
    kVkNext = 34,
    kVkEnd = 35,
    kVkHome = 36,
    kVkLeft = 37,
    kVkUp = 38,
    kVkRight = 39,
    kVkDown = 40,
    kVkSnapshot = 44,
    kVkInsert = 45,
    kVkDelete = 46,
    kVkA = 'A',
    kVkF = 'F',
    kVkZ = 'Z',
    kVkLWin = 91,
    kVkApps = 93,
    kVkNumpad0 = 96,
    kVkMultiply = 106,
    kVkAdd = 107,
    kVkSubtract = 109,
    kVkDecimal = 110,
    kVkDivide = 111,
    kVkF1 = 112,
    kVkNumLock = 144,
    kVkScroll = 145,
    kVkOem1 = 186,
    kVkOemPlus = 187,
    kVkOemComma = 188,
    kVkOemMinus = 189,
    kVkOemPeriod = 190,
    kVkOem2 = 191,
    kVkOem3 = 192,
    kVkOem4 = 219,
    kVkOem5 = 220,
    kVkOem6 = 221,
    kVkOem7 = 222,
};

// The key code of a key event as a Windows virtual-key code. Letters come
// from the physical key when the layout gives a non-Latin one, so Alt+F with
// a Cyrillic layout is still kVkF.
int VirtualKeyOf(const QKeyEvent& event);

// A QLineEdit claims Ctrl+C, Ctrl+V and the like for itself (it accepts the
// ShortcutOverride event), so the window's menu shortcuts would never fire
// while an edit has the focus. The program's shortcuts act on the table
// wherever the focus is, so the edits must let them through.
//
// Installs a filter on `edit` that refuses ShortcutOverride for every key
// combination with Ctrl or Alt and for Shift+Del: the window's QActions then
// win, while a combination no action takes (Ctrl+A, Ctrl+Z, Ctrl+Left...)
// still reaches the edit as an ordinary key press. Installing it twice on the
// same widget is harmless.
void LetWindowShortcutsWin(QWidget* edit);

// With a non-Latin keyboard layout active (Russian in "us,ru"), Qt matches no
// shortcut for Ctrl+C and the key press goes on to the focused control. This
// triggers the enabled window-wide action of `window` whose shortcut is the
// physical key of `ke` with its Ctrl, Alt and Shift; true when one ran. A key
// press that a shortcut took never gets here, so nothing runs twice.
bool TriggerShortcutByPhysicalKey(QWidget* window, QKeyEvent* ke);
