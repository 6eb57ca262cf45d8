// Start-up, the window's position and the end of the program.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>

#include "app/controls.h"
#include "app/formmain.h"
#include "app/settingkeys.h"
#include "core/ini_file.h"
#include "core/settings_location.h"

void TFormMain::FormCreate() {
    LocateSettingsFile();
    RestoreLanguage();
    RestorePosition();
    RestoreFunctionKind();
    RestoreOnTop();
    FormResize();
    RestoreEvaluationPoints();
    CompareFormCreate();
    StatisticsFormCreate();
}

void TFormMain::LocateSettingsFile() {
    SettingsFilePath = QString::fromStdString(kurv::SettingsFileFor(programDirectory_.toStdString()));
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

// Written back at every start.
void TFormMain::RestoreOnTop() {
    app_.CheckBoxOnTop->setChecked(ReadSetting(settings::kOnTop, "Y").startsWith('Y'));
    CheckBoxOnTopClick();
}

void TFormMain::FormClose() {
    WriteSetting(settings::kLeft, QString::number(x()));
    WriteSetting(settings::kTop, QString::number(y()));
    WriteSetting(settings::kFunction, QString::number(fit_.ComboBox1->currentIndex() + 1));
    CompareFormClose();
    StatisticsFormClose();
}

void TFormMain::closeEvent(QCloseEvent* e) {
    Guarded([&] { FormClose(); });
    QMainWindow::closeEvent(e);
}
