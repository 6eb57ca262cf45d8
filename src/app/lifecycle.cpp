// Start-up, the settings file and the end of the program.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <memory>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "core/ini_file.h"
#include "core/settings_location.h"
#include "i18n/languagedialog.h"
#include "table/stringgrid.h"

namespace {

QSize PrimaryScreenSize() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().size() : QSize(1024, 768);
}

}  // namespace

QString TFormMain::ReadSetting(const char* section, const char* key, const QString& fallback) const {
    return QString::fromStdString(
        kurv::ReadProfileString(SettingsFilePath.toStdString(), section, key, fallback.toStdString()));
}

void TFormMain::WriteSetting(const char* section, const char* key, const QString& value) {
    // A settings file that cannot be written keeps its old content; the program goes on.
    kurv::WriteProfileString(SettingsFilePath.toStdString(), section, key, value.toStdString());
}

void TFormMain::FormCreate() {
    // 1., 2.
    appTitle_ = windowTitle();
    SettingsFilePath = QString::fromStdString(kurv::SettingsFileFor(programDirectory_.toStdString()));

    // 3. The language; the dialog asks when none is stored.
    const QString language = ReadSetting("Config", "Language", "");
    if (!language.isEmpty()) {
        language == "Rus" ? itmRusClick() : itmEngClick();
    } else {
        try {
            auto dialog =
                std::make_unique<TfrmLanguage>([this] { itmRusClick(); }, [this] { itmEngClick(); });
            dialogs_->Exec(dialog.get());
        } catch (const std::exception&) {
            itmRusClick();
        }
    }

    // 4., 5. The position, centred by default, kept on the primary screen.
    const QSize screen = PrimaryScreenSize();
    const int centredLeft = (screen.width() - width()) / 2;
    const int centredTop = (screen.height() - height()) / 2;
    int left =
        kurv::ParseDecimalInt(ReadSetting("FormMain", "Left", QString::number(centredLeft)).toStdString())
            .value_or(centredLeft);
    if (left > screen.width() - width())
        left = screen.width() - width();
    else if (left < 0)
        left = 0;
    int top = kurv::ParseDecimalInt(ReadSetting("FormMain", "Top", QString::number(centredTop)).toStdString())
                  .value_or(centredTop);
    if (top > screen.height() - height())
        top = screen.height() - height() - 25;
    else if (top < 0)
        top = 0;
    move(left, top);

    // 6. The function kind, without a recalculation.
    const QString function = ReadSetting("FormMain", "Function", "3");
    const QChar first = function.isEmpty() ? QChar() : function.at(0);
    {
        QSignalBlocker block(ComboBox1);
        ComboBox1->setCurrentIndex(first == '1' ? 0 : first == '2' ? 1 : 2);
    }

    // 7. Always on top, written back at every start.
    CheckBoxOnTop->setChecked(ReadSetting("FormMain", "OnTop", "Y").startsWith('Y'));
    CheckBoxOnTopClick();

    // 8., 9.
    FormResize();
    if (ReadSetting("Config", "Points", "Y").startsWith('Y')) {
        SetCheckedByCode(itmAuxPointsEnable, true);
        EnableAuxPoints();
    } else {
        SetCheckedByCode(itmAuxPointsEnable, false);
        DisableAuxPoints();
    }
}

void TFormMain::FormClose() {
    WriteSetting("FormMain", "Left", QString::number(x()));
    WriteSetting("FormMain", "Top", QString::number(y()));
    WriteSetting("FormMain", "Function", QString::number(ComboBox1->currentIndex() + 1));
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
    WriteSetting("FormMain", "OnTop", on ? "Y" : "N");
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
        WriteSetting("Config", "Points", "No");
    } else {
        SetCheckedByCode(itmAuxPointsEnable, true);
        EnableAuxPoints();
        WriteSetting("Config", "Points", "Yes");
    }
}
