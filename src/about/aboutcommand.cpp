// The About command, last in the menu bar: the box is built anew each time, in
// the current language.
#include <QAction>
#include <QMenuBar>

#include "about/aboutbox.h"
#include "app/dialogs.h"
#include "app/formmain.h"

void TFormMain::BuildAbout() {
    QAction* about = Captioned(MakeAction("itmAbout"), kurv::TextId::MenuAbout);
    connect(about, &QAction::triggered, this, [this] { Guarded([&] { itmAboutClick(); }); });
    menuBar()->addAction(about);
}

void TFormMain::itmAboutClick() {
    TAboutBox box(LanguageIndex, this);
    dialogs_->Exec(&box);
}
