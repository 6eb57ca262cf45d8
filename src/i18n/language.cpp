// The language commands of the Parameters menu and the language restored at start-up.
#include <QAction>
#include <QMenu>
#include <memory>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "app/settingkeys.h"
#include "i18n/languagedialog.h"

void TFormMain::BuildLanguage() {
    auto* language = Captioned(new QMenu(this), kurv::TextId::MenuLanguage);
    language->setObjectName("itmLanguage");
    language->menuAction()->setObjectName("itmLanguage");
    app_.itmParam->addMenu(language);
    FillMenu(language,
             {{"itmRus", kurv::TextId::ItemRussian, "", &TFormMain::itmRusClick},
              {"itmEng", kurv::TextId::ItemEnglish, "", &TFormMain::itmEngClick}},
             Qt::WindowShortcut);
}

void TFormMain::itmRusClick() {
    ApplyLanguage(0);
    WriteSetting(settings::kLanguage, "Rus");
}

void TFormMain::itmEngClick() {
    ApplyLanguage(1);
    WriteSetting(settings::kLanguage, "Eng");
}

// The dialog asks when no language is stored and none is given.
void TFormMain::RestoreLanguage() {
    if (givenLanguage_ >= 0) {
        ApplyLanguage(givenLanguage_);
        return;
    }
    const QString language = ReadSetting(settings::kLanguage, "");
    if (!language.isEmpty()) {
        language == "Rus" ? itmRusClick() : itmEngClick();
        return;
    }
    try {
        auto dialog = std::make_unique<TfrmLanguage>([this] { itmRusClick(); }, [this] { itmEngClick(); });
        dialogs_->Exec(dialog.get());
    } catch (const std::exception&) {
        itmRusClick();
    }
}
