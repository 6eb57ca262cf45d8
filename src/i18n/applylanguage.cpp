// Putting every language-dependent text of the main window in place.
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTranslator>

#include "app/controls.h"
#include "app/formmain.h"
#include "core/uitext.h"
#include "table/stringgrid.h"

using kurv::TextId;

void TFormMain::ApplyLanguage(int language) {
    if (language > 1 || language < 0) language = 0;
    LanguageIndex = language;

    setWindowTitle(Text(TextId::AppTitle));
    appTitle_ = windowTitle();

    for (const Caption& c : captions_)
        if (c.target) SetCaption(c.target, Text(c.id));
    ApplyAccessibleNames();
    FollowQtTexts(language);
    RetextUndoItems(language);
    SetFitWarningLanguage(language);
    ApplyExtraLanguage(language);
    RetextReportItems(language);

    table_.SetCell(0, 0, Text(TextId::HeaderTrueY).toStdString());
    table_.SetCell(1, 0, Text(TextId::HeaderGaugeX).toStdString());
    table_.SetCell(2, 0, Text(TextId::HeaderFittedY).toStdString());
    sgData->HeaderChanged();

    // Only the "no coefficients" texts follow the language; shown ones stay.
    if (!PanelA[0]->text().startsWith(QLatin1Char('A'))) {
        for (TPanel* p : PanelA) p->setText(Text(TextId::InsufficientData));
        PanelResult->setText(Text(TextId::FillTheTable));
    }

    FillFunctionKinds();

    ShowHelpText();
}

void TFormMain::ShowHelpText() {
    QStringList help;
    for (TextId id = TextId::HelpFirst; id <= TextId::HelpLast; id = id + 1) help << Text(id);
    Memo1->setPlainText(help.join(QLatin1Char('\n')));
}

void TFormMain::ApplyAccessibleNames() {
    for (const AccessibleName& a : accessibleNames_) {
        if (!a.target) continue;
        QString name = Pick(a.rus, a.eng);
        if (a.number != 0) name += QLatin1Char(' ') + QString::number(a.number);
        a.target->setAccessibleName(name);
    }
}

// Qt's own texts (message-box buttons, file dialogs, the print preview) follow
// the interface language. Without Qt's Russian translations installed they stay English.
void TFormMain::FollowQtTexts(int language) {
    if (language == 0 && !qtTexts_) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(translator.get());
            qtTexts_ = std::move(translator);
        }
    } else if (language != 0 && qtTexts_) {
        QCoreApplication::removeTranslator(qtTexts_.get());
        qtTexts_.reset();
    }
}

void TFormMain::FillFunctionKinds() {
    // Re-filling the list is not a user change: no recalculation.
    const int index = ComboBox1->currentIndex();
    QSignalBlocker block(ComboBox1);
    ComboBox1->clear();
    for (TextId id : {TextId::KindLinear, TextId::KindQuadratic, TextId::KindCubic})
        ComboBox1->addItem(Text(id));
    ComboBox1->setCurrentIndex(index);
}
