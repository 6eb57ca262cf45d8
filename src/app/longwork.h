// A command's work that may run for seconds (a paste or a read of millions of
// rows). Once it has run for the window's delay, a modal dialog shows how far
// it has come, with a Cancel button that stops it; work that stops leaves the
// table as it was.
//
// The work runs on the window's thread. Its progress reports (one for every
// megabyte of text) let the window's events through, at most every few
// hundredths of a second, so that the window repaints and Cancel is heard.
// That is safe because the table's long work builds its new rows beside the
// table and only reads the table until its last step, which comes after the
// last report; the modal dialog keeps the user's input from the window. A
// worker thread would gain nothing but the need to keep the grid's painting
// off the table while the rows change hands.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <cstdint>

#include "app/formmain.h"
#include "core/progress.h"

class QProgressDialog;

class TFormMain::LongWork {
  public:
    // `label` says what is being done, in both languages.
    LongWork(TFormMain& form, const kurv::TextPair& label);
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    // What the work reports to.
    kurv::Progress* Progress() { return &progress_; }

  private:
    bool Report(std::uint64_t done, std::uint64_t total);
    void Show();

    TFormMain& form_;
    kurv::TextPair label_;
    QElapsedTimer clock_;
    qint64 lastEvents_ = -1;  // when the window's events were last let through
    QPointer<QProgressDialog> dialog_;
    bool shown_ = false;
    kurv::Progress progress_;
};
