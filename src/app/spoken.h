// What a screen reader reads for controls whose own text does not say what it
// is: a value ("12.5" read as "Y 1: 12.5"), a picture (the warning sign), a
// list (named by its caption, not by its current item) and buttons of the same
// text that do different things. The control's own text is never hidden: it is
// read within the name.
#pragma once

class QString;
class QWidget;

// Gives `w` (a label, a list or a button) its spoken caption and tells
// accessibility tools that its name changed. A label is read as
// "caption: text" (its tooltip when it shows a picture); a list is named by the
// caption, its current item being its value; a button's caption holds "%1"
// where its own text goes.
void SetSpokenCaption(QWidget* w, const QString& caption);
QString SpokenCaption(const QWidget* w);
