#include "support/scripteddialogs.h"

#include <QPrinter>

int ScriptedDialogs::Message(QWidget* owner, const QString& text, const QString& caption, int buttons,
                             MsgIcon icon, int defaultButton) {
    messages.append({owner != nullptr, text, caption, buttons, icon, defaultButton});
    if (!answers.empty()) {
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    for (int b = 1; b <= MbIgnore; b <<= 1)
        if (buttons & b) return b;
    return MbOk;
}

QString ScriptedDialogs::OpenFileName(QWidget*, const QString& initial) {
    fileDialogInitials << initial;
    if (fileNames.empty()) return {};
    QString n = fileNames.front();
    fileNames.pop_front();
    return n;
}

QString ScriptedDialogs::SaveFileName(QWidget* owner, const QString& initial) {
    return OpenFileName(owner, initial);
}

QString ScriptedDialogs::SaveFileNameFiltered(QWidget* owner, const QString& initial,
                                              const QStringList& filters, int& chosen) {
    offeredFilters = filters;
    chosen = filter;
    return SaveFileName(owner, initial);
}

void ScriptedDialogs::PrintPreview(QWidget*, const std::function<void(QPrinter*)>& paint) {
    ++printPreviews;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath.isEmpty() ? QString("/dev/null") : pdfPath);
    if (onPrintPreview) onPrintPreview(&printer);
    paint(&printer);
}

int ScriptedDialogs::Exec(QWidget* dialog) {
    ++execs;
    return onExec ? onExec(dialog) : 0;
}

QStringList ScriptedDialogs::Texts() const {
    QStringList t;
    for (const auto& m : messages) t << m.text;
    return t;
}
