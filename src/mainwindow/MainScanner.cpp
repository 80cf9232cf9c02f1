// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of the thumbnail scanner: starting, stopping and the view it reports to.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include "mainwindow/Main.h"
#include "model/MExplorerItem.h"
#include "scanner/HandOverPump.h"
#include "scanner/MScanIcon.h"

namespace pixelary {
namespace {

constexpr int kThumbBoxWidth = 94;
constexpr int kThumbBoxHeight = 78;
constexpr unsigned long kPollMs = 5;

// The scanner's view: its calls arrive on the main thread through the hand-over.
class FormScanView : public ScanView {
  public:
    explicit FormScanView(TMainForm& form) : form_(form) {}
    void InvalidateItem(int index) override { form_.InvalidateItem(index); }
    void SetProgress(int value) override { form_.SetProgress(value); }

  private:
    TMainForm& form_;
};

}  // namespace

void TMainForm::CreateScannerLink() {
    scanView_ = std::make_unique<FormScanView>(*this);
    pump_ = std::make_unique<HandOverPump>(HandOver::Main());
}

void TMainForm::StartScanner(bool reload) {
    Scanner = std::make_unique<MScanIcon>(*scanView_, Cache.get(), reload ? 1 : 0);
    Scanner->Start(Folder.get(), kThumbBoxWidth, kThumbBoxHeight);
}

void TMainForm::StopScanner() {
    if (!Scanner) return;
    // The destructor waits for the thread, serving its pending calls into this window.
    Scanner->Terminate();
    Scanner.reset();
}

bool TMainForm::WaitForScanner(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (Scanner && !Scanner->Finished()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, kPollMs);
        HandOver::Main().RunPending();
        QThread::msleep(kPollMs);
    }
    // Let the last calls (the final progress) arrive.
    HandOver::Main().RunPending();
    QCoreApplication::processEvents();
    return true;
}

}  // namespace pixelary
