// A QLineEdit claims Ctrl+C, Ctrl+V and the like for itself (it accepts the
// ShortcutOverride event), so the window's menu shortcuts would never fire
// while an edit has the focus. The program's shortcuts act on the table
// wherever the focus is, so the edits must let them through.
#pragma once

class QWidget;

// Installs a filter on `edit` that refuses ShortcutOverride for every key
// combination with Ctrl or Alt and for Shift+Del: the window's QActions then
// win, while a combination no action takes (Ctrl+A, Ctrl+Z, Ctrl+Left...)
// still reaches the edit as an ordinary key press. Installing it twice on the
// same widget is harmless.
void LetWindowShortcutsWin(QWidget* edit);
