// The About command: the box is built anew each time, in the current language.
#include "about/aboutbox.h"
#include "app/dialogs.h"
#include "app/formmain.h"

void TFormMain::itmAboutClick() {
    TAboutBox box(LanguageIndex, this);
    dialogs_->Exec(&box);
}
