// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of the thumbnail scanner: starting, stopping and the view it reports to.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <chrono>

#include "cache/IndexCheckpoint.h"
#include "cache/MCacheFile.h"
#include "core/Exception.h"
#include "mainwindow/Controls.h"
#include "mainwindow/Logging.h"
#include "mainwindow/Main.h"
#include "model/MExplorerItem.h"
#include "scanner/HandOverPump.h"
#include "scanner/MScanIcon.h"

namespace pixelary {
namespace {

constexpr int kThumbBoxWidth = 94;
constexpr int kThumbBoxHeight = 78;
constexpr int kServeSliceMs = 5;
// How often a running scan asks whether the index is due to be written (IndexCheckpoint keeps
// the real interval).
constexpr int kCheckpointPollMs = 1000;

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
    // Scrolling during a scan brings the entries in view forward.
    connect(ItemScrollBox->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { TellScannerWhatIsVisible(); });
    checkpointTimer_ = new QTimer(this);
    checkpointTimer_->setObjectName(QStringLiteral("CheckpointTimer"));
    checkpointTimer_->setInterval(kCheckpointPollMs);
    connect(checkpointTimer_, &QTimer::timeout, this, [this] { CheckpointIndex(false); });
}

void TMainForm::TellScannerWhatIsVisible() {
    if (!Scanner || Scanner->Finished()) return;
    const GridLayout grid = CurrentGrid();
    const int cellHeight = grid.Cell.height();
    if (cellHeight <= 0 || grid.Columns <= 0) return;
    const int top = ItemScrollBox->verticalScrollBar()->value();
    const int firstRow = top / cellHeight;
    const int lastRow = (top + ItemScrollBox->viewport()->height()) / cellHeight;
    Scanner->SetVisibleRange(firstRow * grid.Columns, (lastRow - firstRow + 1) * grid.Columns);
}

void TMainForm::StartScanner(bool reload) {
    Scanner = std::make_unique<MScanIcon>(*scanView_, Cache.get(), reload ? 1 : 0);
    Scanner->Start(Folder.get(), kThumbBoxWidth, kThumbBoxHeight);
    checkpointTimer_->start();
}

void TMainForm::CheckpointIndex(bool scanDone) {
    if (shutDown_ || !checkpoint_) return;  // the exit writes the index itself
    if (scanDone) checkpointTimer_->stop();
    try {
        if (scanDone) {
            checkpoint_->SaveNow();
        } else {
            checkpoint_->SaveIfDue();
        }
    } catch (const Exception& error) {
        Cache->NoteWriteFailure(error.what());
    }
    if (const auto failure = Cache->TakeWriteFailure()) {
        qCWarning(lcMainWindow) << "cache folder not writable:" << failure->c_str();
        ShowCacheNotice(QString::fromStdString(*failure));
    }
}

void TMainForm::ShowCacheNotice(const QString& reason) {
    if (cacheNoticeShown_) return;
    cacheNoticeShown_ = true;
    auto* notice =
        new QMessageBox(QMessageBox::Information, QGuiApplication::applicationDisplayName(),
                        QCoreApplication::translate(
                            "MainWindow",
                            "無法寫入縮圖快取資料夾:\n%1\n(%2)\n縮圖仍會顯示,但不會存入快取。"
                            "可在「選項」中改用其他資料夾。")
                            .arg(QString::fromStdString(Cache->Directory()), reason),
                        QMessageBox::Ok, this);
    notice->setObjectName(QStringLiteral("CacheNotice"));
    notice->button(QMessageBox::Ok)->setText(QCoreApplication::translate("MainWindow", "確定"));
    notice->setWindowModality(Qt::NonModal);
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->show();
}

void TMainForm::StopScanner() {
    if (!Scanner) return;
    qCDebug(lcMainWindow) << "stopping the scanner"
                          << (Scanner->Finished() ? "(done)" : "(mid-scan)");
    // The destructor waits for the thread, serving its pending calls into this window.
    Scanner->Terminate();
    Scanner.reset();
}

bool TMainForm::WaitForScanner(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (Scanner && !Scanner->Finished()) {
        if (deadline.hasExpired()) return false;
        // Serve the scanner's calls as they come, and between them let the window repaint.
        HandOver::Main().ServeUntil([this] { return Scanner->Finished(); },
                                    std::chrono::milliseconds(kServeSliceMs));
        QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    return true;
}

}  // namespace pixelary
