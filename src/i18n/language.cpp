// The two language commands.
#include "app/formmain.h"

void TFormMain::itmRusClick() {
    LanguageIndex = 0;
    ApplyLanguage(0);
    WriteSetting("Config", "Language", "Rus");
}

void TFormMain::itmEngClick() {
    LanguageIndex = 1;
    ApplyLanguage(1);
    WriteSetting("Config", "Language", "Eng");
}
