// Start-up, the settings file and the end of the program.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QWindow>
#include <memory>

#include "app/controls.h"
#include "app/dialogs.h"
#include "app/formmain.h"
#include "app/settingkeys.h"
#include "core/ini_file.h"
#include "core/settings_location.h"
#include "i18n/languagedialog.h"
#include "table/stringgrid.h"

QString TFormMain::ReadSetting(const SettingKey& key, const QString& fallback) const {
    return QString::fromStdString(kurv::ReadProfileString(SettingsFilePath.toStdString(), key.section,
                                                          key.key, fallback.toStdString()));
}

void TFormMain::WriteSetting(const SettingKey& key, const QString& value) {
    // A settings file that cannot be written keeps its old content; the program goes on.
    kurv::WriteProfileString(SettingsFilePath.toStdString(), key.section, key.key, value.toStdString());
}

void TFormMain::FormCreate() {
    appTitle_ = windowTitle();
    LocateSettingsFile();
    RestoreLanguage();
    RestorePosition();
    RestoreFunctionKind();
    RestoreOnTop();
    FormResize();
    RestoreEvaluationPoints();
    CompareFormCreate();
}

void TFormMain::LocateSettingsFile() {
    SettingsFilePath = QString::fromStdString(kurv::SettingsFileFor(programDirectory_.toStdString()));
}

// The dialog asks when no language is stored.
void TFormMain::RestoreLanguage() {
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

// Centred by default, kept on the primary screen.
void TFormMain::RestorePosition() {
    const QSize screen = PrimaryScreenSize();
    const int centredLeft = (screen.width() - width()) / 2;
    const int centredTop = (screen.height() - height()) / 2;
    int left = kurv::ParseDecimalInt(ReadSetting(settings::kLeft, QString::number(centredLeft)).toStdString())
                   .value_or(centredLeft);
    if (left > screen.width() - width())
        left = screen.width() - width();
    else if (left < 0)
        left = 0;
    int top = kurv::ParseDecimalInt(ReadSetting(settings::kTop, QString::number(centredTop)).toStdString())
                  .value_or(centredTop);
    if (top > screen.height() - height())
        top = screen.height() - height() - 25;
    else if (top < 0)
        top = 0;
    move(left, top);
}

// Without a recalculation: the table is still empty.
void TFormMain::RestoreFunctionKind() {
    const QString function = ReadSetting(settings::kFunction, "3");
    const QChar first = function.isEmpty() ? QChar() : function.at(0);
    QSignalBlocker block(ComboBox1);
    ComboBox1->setCurrentIndex(first == '1' ? 0 : first == '2' ? 1 : 2);
}

// Written back at every start.
void TFormMain::RestoreOnTop() {
    CheckBoxOnTop->setChecked(ReadSetting(settings::kOnTop, "Y").startsWith('Y'));
    CheckBoxOnTopClick();
}

void TFormMain::RestoreEvaluationPoints() {
    const bool shown = ReadSetting(settings::kPoints, "Y").startsWith('Y');
    SetCheckedByCode(itmAuxPointsEnable, shown);
    shown ? EnableAuxPoints() : DisableAuxPoints();
}

void TFormMain::FormClose() {
    WriteSetting(settings::kLeft, QString::number(x()));
    WriteSetting(settings::kTop, QString::number(y()));
    WriteSetting(settings::kFunction, QString::number(ComboBox1->currentIndex() + 1));
    CompareFormClose();
}

void TFormMain::closeEvent(QCloseEvent* e) {
    Guarded([&] { FormClose(); });
    QMainWindow::closeEvent(e);
}

void TFormMain::CheckBoxOnTopClick() {
    const bool on = CheckBoxOnTop->isChecked();
    // Before the first show the flag is the widget's; afterwards it is changed on the
    // native window, which keeps position, visibility and focus.
    if (windowHandle() && isVisible())
        windowHandle()->setFlag(Qt::WindowStaysOnTopHint, on);
    else
        setWindowFlag(Qt::WindowStaysOnTopHint, on);
    WriteSetting(settings::kOnTop, on ? "Y" : "N");
}

void TFormMain::GroupBoxTableDblClick() {
    sgData->SetDefaultColWidth(sgData->DefaultColWidth() == 77 ? 51 : 77);
}

void TFormMain::itmExitClick() {
    // Ends at once: the window is not closed, so the position is not written.
    QCoreApplication::exit(0);
}

void TFormMain::itmAuxPointsEnableClick() {
    if (itmAuxPointsEnable->isChecked()) {
        SetCheckedByCode(itmAuxPointsEnable, false);
        DisableAuxPoints();
        WriteSetting(settings::kPoints, "No");
    } else {
        SetCheckedByCode(itmAuxPointsEnable, true);
        EnableAuxPoints();
        WriteSetting(settings::kPoints, "Yes");
    }
}
