#include "app/longwork.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <algorithm>

#include "app/controls.h"

namespace {

constexpr kurv::TextPair kCancel{"Отмена", "Cancel"};
constexpr int kBarSteps = 1000;
// The window's events are let through at most this often, in milliseconds:
// often enough for Cancel to answer at once, seldom enough to cost nothing.
constexpr qint64 kEventsEvery = 30;

}  // namespace

TFormMain::LongWork::LongWork(TFormMain& form, const kurv::TextPair& label)
    : form_(form),
      label_(label),
      progress_([this](std::uint64_t done, std::uint64_t total) { return Report(done, total); }) {
    clock_.start();
}

TFormMain::LongWork::~LongWork() {
    if (!shown_) return;
    delete dialog_.data();
    // Without a window manager the window would stay inactive, as after a box.
    if (form_.isVisible()) form_.activateWindow();
}

bool TFormMain::LongWork::Report(std::uint64_t done, std::uint64_t total) {
    const qint64 now = clock_.elapsed();
    if (!dialog_) {
        if (now < form_.longWorkDelay_.count()) return true;
        Show();
    }
    if (!dialog_) return false;  // closed from outside: taken as Cancel
    if (lastEvents_ >= 0 && now - lastEvents_ < kEventsEvery) return !dialog_->wasCanceled();
    lastEvents_ = now;
    const std::uint64_t whole = total ? total : 1;
    dialog_->setValue(static_cast<int>(std::min<std::uint64_t>(done, whole) * kBarSteps / whole));
    QCoreApplication::processEvents();
    return dialog_ && !dialog_->wasCanceled();
}

void TFormMain::LongWork::Show() {
    auto* dialog = new QProgressDialog(&form_);
    dialog->setObjectName("dlgProgress");
    dialog->setWindowTitle(form_.ApplicationTitle());
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(0);
    dialog->setRange(0, kBarSteps);
    auto* label = new QLabel(form_.Pick(label_));
    label->setObjectName("lblProgress");
    dialog->setLabel(label);
    auto* bar = new QProgressBar;
    bar->setObjectName("barProgress");
    dialog->setBar(bar);
    auto* cancel = new QPushButton(form_.Pick(kCancel));
    cancel->setObjectName("btnProgressCancel");
    dialog->setCancelButton(cancel);
    dialog->setAccessibleName(label->text());
    DescribeByDesignNames(dialog);
    dialog_ = dialog;
    shown_ = true;
    dialog->show();
}
