// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QTimer;
class QWidget;

namespace pixelary {

struct BrowserState;
class HandOverPump;
class IndexCheckpoint;
class ScanView;
class ThumbnailView;

// The main window's side of the thumbnail scanner: starting and stopping it on the shown
// folder, the view it reports to (repainted cells, progress), the entries in view scanned
// first, and the cache index written while and after it runs.
class ScannerLink : public QObject {
    Q_OBJECT
  public:
    // Notices are shown over the window; the checkpoint timer is its child.
    ScannerLink(BrowserState& state, ThumbnailView& view, QWidget* window);
    ~ScannerLink() override;

    void Start(bool reload);
    // Requests the scanner's termination and waits for its thread, serving its pending calls.
    void Stop();
    bool Running() const;
    bool Reloading() const;
    // Waits (serving the scanner's calls) until the running scan has ended; false on timeout.
    bool WaitForScanner(int timeoutMs);
    // The scanner's progress in percent, outside 0..100 when none is shown; below 0 the scan
    // has ended and the index is written.
    void SetProgress(int value);

    // The cache index writer, made once the cache has loaded its index, dropped before the
    // cache goes.
    void CreateCheckpoint();
    void DropCheckpoint();
    // From now on the exit writes the index itself.
    void BeginShutdown() { shutDown_ = true; }
    bool CacheNoticeShown() const { return cacheNoticeShown_; }

  signals:
    void ProgressChanged(int value);

  private:
    // Main thread: tells a running scanner which entries the view shows now.
    void TellScannerWhatIsVisible();
    // Writes the cache index when a scan ends (scanDone) or when the running scan's interval is
    // due; a cache folder that cannot be written is reported once.
    void CheckpointIndex(bool scanDone);
    void ShowCacheNotice(const QString& reason);

    BrowserState& state_;
    ThumbnailView& view_;
    QWidget* window_;
    std::unique_ptr<ScanView> scanView_;
    std::unique_ptr<HandOverPump> pump_;
    std::unique_ptr<IndexCheckpoint> checkpoint_;
    QTimer* checkpointTimer_;
    bool cacheNoticeShown_ = false;
    bool shutDown_ = false;
};

}  // namespace pixelary
