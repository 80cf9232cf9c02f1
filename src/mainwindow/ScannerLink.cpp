// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/ScannerLink.h"

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
#include "mainwindow/BrowserState.h"
#include "mainwindow/Logging.h"
#include "mainwindow/ThumbnailView.h"
#include "model/MExplorerItem.h"
#include "readers/ThumbnailSize.h"
#include "scanner/MScanIcon.h"
#include "scanner/qt/HandOverPump.h"

namespace pixelary {
namespace {

constexpr int kServeSliceMs = 5;
// How often a running scan asks whether the index is due to be written (IndexCheckpoint keeps
// the real interval).
constexpr int kCheckpointPollMs = 1000;

// The scanner's view: its calls arrive on the main thread through the hand-over.
class LinkScanView : public ScanView {
  public:
    LinkScanView(ThumbnailView& view, ScannerLink& link) : view_(view), link_(link) {}
    void InvalidateItem(int index) override { view_.InvalidateItem(index); }
    void SetProgress(int value) override { link_.SetProgress(value); }

  private:
    ThumbnailView& view_;
    ScannerLink& link_;
};

}  // namespace

ScannerLink::ScannerLink(BrowserState& state, ThumbnailView& view, QWidget* window)
    : state_(state),
      view_(view),
      window_(window),
      scanView_(std::make_unique<LinkScanView>(view, *this)),
      pump_(std::make_unique<HandOverPump>(HandOver::Main())),
      checkpointTimer_(new QTimer(window)) {
    // Scrolling during a scan brings the entries in view forward.
    connect(view.verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { TellScannerWhatIsVisible(); });
    checkpointTimer_->setObjectName(QStringLiteral("CheckpointTimer"));
    checkpointTimer_->setInterval(kCheckpointPollMs);
    connect(checkpointTimer_, &QTimer::timeout, this, [this] { CheckpointIndex(false); });
}

ScannerLink::~ScannerLink() = default;

void ScannerLink::CreateCheckpoint() {
    checkpoint_ = std::make_unique<IndexCheckpoint>(*state_.Cache);
}

void ScannerLink::DropCheckpoint() {
    checkpoint_.reset();
}

bool ScannerLink::Running() const {
    return state_.Scanner && !state_.Scanner->Finished();
}

bool ScannerLink::Reloading() const {
    return Running() && state_.Scanner->ReloadImages != 0;
}

void ScannerLink::SetProgress(int value) {
    emit ProgressChanged(value);
    if (value < 0) CheckpointIndex(true);
}

void ScannerLink::TellScannerWhatIsVisible() {
    if (!Running()) return;
    const GridLayout grid = view_.CurrentGrid();
    const int cellHeight = grid.Cell.height();
    if (cellHeight <= 0 || grid.Columns <= 0) return;
    const int top = view_.verticalScrollBar()->value();
    const int firstRow = top / cellHeight;
    const int lastRow = (top + view_.viewport()->height()) / cellHeight;
    state_.Scanner->SetVisibleRange(firstRow * grid.Columns,
                                    (lastRow - firstRow + 1) * grid.Columns);
}

void ScannerLink::Start(bool reload) {
    state_.Scanner = std::make_unique<MScanIcon>(*scanView_, state_.Cache.get(), reload ? 1 : 0);
    state_.Scanner->Start(state_.Folder.get(), kThumbnailBoxWidth, kThumbnailBoxHeight);
    checkpointTimer_->start();
}

void ScannerLink::CheckpointIndex(bool scanDone) {
    if (shutDown_ || !checkpoint_) return;  // the exit writes the index itself
    if (scanDone) checkpointTimer_->stop();
    try {
        if (scanDone) {
            checkpoint_->SaveNow();
        } else {
            checkpoint_->SaveIfDue();
        }
    } catch (const Exception& error) {
        state_.Cache->NoteWriteFailure(error.what());
    }
    if (const auto failure = state_.Cache->TakeWriteFailure()) {
        qCWarning(lcMainWindow) << "cache folder not writable:" << failure->c_str();
        ShowCacheNotice(QString::fromStdString(*failure));
    }
}

void ScannerLink::ShowCacheNotice(const QString& reason) {
    if (cacheNoticeShown_) return;
    cacheNoticeShown_ = true;
    auto* notice = new QMessageBox(
        QMessageBox::Information, QGuiApplication::applicationDisplayName(),
        QStringLiteral("無法寫入縮圖快取資料夾:\n%1\n(%2)\n縮圖仍會顯示,但不會存入快取。"
                       "可在「選項」中改用其他資料夾。")
            .arg(QString::fromStdString(state_.Cache->Directory()), reason),
        QMessageBox::Ok, window_);
    notice->setObjectName(QStringLiteral("CacheNotice"));
    notice->button(QMessageBox::Ok)->setText(QStringLiteral("確定"));
    notice->setWindowModality(Qt::NonModal);
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->show();
}

void ScannerLink::Stop() {
    if (!state_.Scanner) return;
    qCDebug(lcMainWindow) << "stopping the scanner"
                          << (state_.Scanner->Finished() ? "(done)" : "(mid-scan)");
    // The destructor waits for the thread, serving its pending calls into this window.
    state_.Scanner->Terminate();
    state_.Scanner.reset();
}

bool ScannerLink::WaitForScanner(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (Running()) {
        if (deadline.hasExpired()) return false;
        // Serve the scanner's calls as they come, and between them let the window repaint.
        HandOver::Main().ServeUntil([this] { return state_.Scanner->Finished(); },
                                    std::chrono::milliseconds(kServeSliceMs));
        QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    return true;
}

}  // namespace pixelary
