// Putting every language-dependent text of the main window in place.
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/formmain.h"

void TFormMain::ApplyLanguage(int language) {
    if (language > 1 || language < 0) language = 0;
    LanguageIndex = language;
    for (const Caption& c : i18n_.captions) c.Show(language);
    FollowQtTexts(language);
    // Shown coefficients stay as they are; the texts saying there are none follow the language.
    if (!fitOnShow_) ShowNoCoefficients();
    emit languageApplied(language);
}

// Qt's own texts (message-box buttons, file dialogs, the print preview) follow
// the interface language. Without Qt's Russian translations installed they stay English.
void TFormMain::FollowQtTexts(int language) {
    if (language == 0 && !i18n_.qtTexts) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(translator.get());
            i18n_.qtTexts = std::move(translator);
        }
    } else if (language != 0 && i18n_.qtTexts) {
        QCoreApplication::removeTranslator(i18n_.qtTexts.get());
        i18n_.qtTexts.reset();
    }
}
