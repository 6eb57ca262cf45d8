#include "app/dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QWindow>
#include <algorithm>

namespace {

struct ButtonMap {
    int ours;
    QMessageBox::StandardButton qt;
};
constexpr ButtonMap kButtons[] = {
    {MbOk, QMessageBox::Ok},       {MbYes, QMessageBox::Yes},     {MbNo, QMessageBox::No},
    {MbAbort, QMessageBox::Abort}, {MbRetry, QMessageBox::Retry}, {MbIgnore, QMessageBox::Ignore},
};

QMessageBox::Icon ToQt(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::Warning:
            return QMessageBox::Warning;
        case MsgIcon::Error:
            return QMessageBox::Critical;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

bool StaysOnTop(const QWidget* w) {
    return w && (w->windowFlags() & Qt::WindowStaysOnTopHint);
}

}  // namespace

int QtDialogs::Message(QWidget* owner, const QString& text, const QString& caption, int buttons, MsgIcon icon,
                       int defaultButton) {
    QMessageBox box(ToQt(icon), caption, text, QMessageBox::NoButton, owner);
    // A box without an owner would open behind an always-on-top main window.
    if (!owner && StaysOnTop(main_)) box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    for (const auto& b : kButtons)
        if (buttons & b.ours) box.addButton(b.qt);
    for (const auto& b : kButtons)
        if (defaultButton == b.ours) box.setDefaultButton(b.qt);
    box.exec();
    Reactivate();
    auto* clicked = box.clickedButton();
    for (const auto& b : kButtons)
        if (clicked && box.standardButton(clicked) == b.qt) return b.ours;
    // Closed without a button: the box's escape answer.
    for (int b : {MbNo, MbIgnore, MbAbort, MbOk})
        if (buttons & b) return b;
    return MbOk;
}

QString QtDialogs::RunFileDialog(QFileDialog& dlg, const QString& initial) {
    if (!initial.isEmpty()) dlg.selectFile(initial);
    QString result;
    if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty())
        result = dlg.selectedFiles().first();
    Reactivate();
    return result;
}

QString QtDialogs::OpenFileName(QWidget* owner, const QString& initial) {
    QFileDialog dlg(owner);
    dlg.setFileMode(QFileDialog::AnyFile);  // a typed name of a missing file is accepted
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    return RunFileDialog(dlg, initial);
}

QString QtDialogs::SaveFileName(QWidget* owner, const QString& initial) {
    QFileDialog dlg(owner);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    return RunFileDialog(dlg, initial);
}

QString QtDialogs::SaveFileNameFiltered(QWidget* owner, const QString& initial, const QStringList& filters,
                                        int& filter) {
    QFileDialog dlg(owner);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilters(filters);
    // A name typed without an extension gets the chosen filter's.
    auto suffixOf = [](const QString& f) {
        return f.section(QStringLiteral("*."), 1).section(QLatin1Char(')'), 0, 0);
    };
    if (!filters.isEmpty()) dlg.setDefaultSuffix(suffixOf(filters.first()));
    QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg,
                     [&](const QString& f) { dlg.setDefaultSuffix(suffixOf(f)); });
    const QString name = RunFileDialog(dlg, initial);
    filter = std::max(0, int(filters.indexOf(dlg.selectedNameFilter())));
    return name;
}

void QtDialogs::PrintPreview(QWidget* owner, const std::function<void(QPrinter*)>& paint) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dlg(&printer, owner);
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg, [&](QPrinter* p) { paint(p); });
    dlg.exec();
    Reactivate();
}

int QtDialogs::Exec(QWidget* dialog) {
    int r = 0;
    if (auto* d = qobject_cast<QDialog*>(dialog)) r = d->exec();
    Reactivate();
    return r;
}

void QtDialogs::Reactivate() {
    if (main_ && main_->isVisible()) main_->activateWindow();
}
