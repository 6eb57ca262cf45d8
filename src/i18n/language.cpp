// The two language commands.
#include "app/formmain.h"
#include "app/settingkeys.h"

void TFormMain::itmRusClick() {
    LanguageIndex = 0;
    ApplyLanguage(0);
    WriteSetting(settings::kLanguage, "Rus");
}

void TFormMain::itmEngClick() {
    LanguageIndex = 1;
    ApplyLanguage(1);
    WriteSetting(settings::kLanguage, "Eng");
}
