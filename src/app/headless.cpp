#include "app/headless.h"

#include <QCoreApplication>
#include <cstdio>
#include <optional>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "core/datafile_format.h"
#include "core/file_io.h"
#include "core/uitext.h"
#include "output/savechart.h"

namespace {

// No one to answer: every box is answered with the button that ends its
// command (Abort, No, OK) and kept for standard error; file dialogs and
// other dialogs are cancelled.
class HeadlessDialogs : public Dialogs {
  public:
    QStringList messages;

    int Message(QWidget*, const QString& text, const QString&, int buttons, MsgIcon, int) override {
        messages << text;
        for (int b : {MbAbort, MbNo, MbOk})
            if (buttons & b) return b;
        return MbOk;
    }
    QString OpenFileName(QWidget*, const QString&) override { return {}; }
    QString SaveFileName(QWidget*, const QString&) override { return {}; }
    void PrintPreview(QWidget*, const std::function<void(QPrinter*)>&) override {}
    int Exec(QWidget*) override { return 0; }
};

void Complain(const QString& message) {
    std::fprintf(stderr, "kurvilon: %s\n", message.toUtf8().constData());
}

int Fail(int status, const QStringList& messages, const QString& fallback) {
    if (messages.isEmpty()) Complain(fallback);
    for (const QString& m : messages) Complain(m);
    return status;
}

}  // namespace

int RunHeadless(const QStringList& args) {
    static const QStringList kKinds = {"linear", "quadratic", "cubic"};
    const bool chart = args.value(0) == "chart";
    const int kind = int(kKinds.indexOf(args.value(1)));
    const QString sep = args.value(2), language = args.value(3), file = args.value(4), out = args.value(5);
    const std::optional<ChartFormat> format = ChartFormatOf(out);
    if (args.size() != 6 || (!chart && args.value(0) != "report") || kind < 0 || (sep != "." && sep != ",") ||
        (language != "ru" && language != "en") || (chart && !format)) {
        Complain(QStringLiteral("%1: bad arguments").arg(kHeadlessOption));
        return 2;
    }
    const int lang = language == "en" ? 1 : 0;

    HeadlessDialogs dialogs;
    FormEnvironment env;
    env.dialogs = &dialogs;
    env.decimalSeparator = sep[0].toLatin1();
    env.programDirectory = QCoreApplication::applicationDirPath();
    env.language = lang;
    env.readOnlySettings = true;
    TFormMain form(env);
    // Laid out at its size as a shown window is, for the chart's size, yet never on a screen.
    form.setAttribute(Qt::WA_DontShowOnScreen);
    form.show();

    // The kind first, so that the file's recalculation is the one asked for.
    kind == 0 ? form.itmLineClick() : kind == 1 ? form.itmDoubleClick() : form.itmCubicClick();
    dialogs.messages.clear();
    if (!form.OpenDataFile(file))
        return Fail(3, dialogs.messages, QString::fromUtf8(kurv::kFileCannotOpen.In(lang)));
    if (!form.ReportAvailable())
        return Fail(1, dialogs.messages,
                    QString::fromUtf8(kurv::UiText(kurv::TextId::InsufficientData, lang)));

    const kurv::FileWriteResult r = chart ? form.WriteChartFile(out, *format) : form.WriteReportFile(out);
    if (r == kurv::FileWriteResult::Written) return 0;
    // Save chart… and Report… say this for either failure.
    Complain(out + QStringLiteral(": ") + QString::fromUtf8(kurv::kFileCannotWrite.In(lang)));
    return 3;
}
