// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QActionGroup;
class QComboBox;
class QMenu;
class QPainter;
class QToolButton;

namespace pixelary {

struct BrowserState;
class MFolderPath;
class ScannerLink;
class ThumbnailView;

// Navigation: the history and its entries in the Go menu, back and forward, up, the desktop,
// loading the shown folder (sorted, with its scanner), refreshing, and the path combo.
class Navigator : public QObject {
    Q_OBJECT
  public:
    // The controls navigation drives; all belong to the main window.
    struct Controls {
        QMenu* GotoMenu = nullptr;
        QAction* GotoListStart = nullptr;  // the history entries lie between these two
        QAction* GotoListEnd = nullptr;
        QAction* GotoBack = nullptr;
        QAction* GotoFore = nullptr;
        QToolButton* BackBtn = nullptr;
        QToolButton* ForeBtn = nullptr;
        QAction* UpPath = nullptr;
        QToolButton* UpPathBtn = nullptr;
        QComboBox* PathCombo = nullptr;
        // The View menu's sort items the load reads (name is the default key).
        QAction* SortExt = nullptr;
        QAction* SortSize = nullptr;
        QAction* SortDate = nullptr;
        QAction* SortMinMax = nullptr;
    };

    // Errors are shown over the window.
    Navigator(BrowserState& state, ThumbnailView& view, ScannerLink& scanner, QWidget* window);
    ~Navigator() override;

    // Takes the controls, once they are built; the path combo is set up here.
    void SetControls(const Controls& controls);

    // Hands a file to the desktop to open with its default application; replaceable by tests.
    std::function<void(const QString&)> ExecuteFile;

    // Go-menu entries of the history, newest first.
    QList<QAction*> HistoryItems() const;
    // Adds the location to the history (dropping the entries newer than the current one and
    // the oldest beyond the capacity) and shows it.
    void GotoLocation(std::unique_ptr<MFolderPath> location);
    // Shows the history entry picked in the Go menu.
    void ShowHistoryItem(QAction* item);
    void GoBack();
    void GoForward();
    void ShowDesktop();
    void GoUp();
    // Lists the current location's folder again; reload makes every thumbnail afresh.
    void LoadCurrentFolder(bool reload);
    // Ticks both sort items (View menu and pop-up menu) and lists the folder in that order.
    void SortChanged(QAction* viewItem, QAction* popupItem);
    // Ticks both descending items and re-sorts the shown entries in place.
    void SortDescending(QAction* viewItem, QAction* popupItem);
    // A folder entry is entered, a file entry handed to the desktop.
    void OpenItem(int index);

    void FillPathCombo();
    // Shows the folder a path text names, as Enter in the path combo does with its text.
    void GotoPathText(const QString& path);
    // Shows the folder an absolute path names, with one level per folder from the desktop down,
    // as if it had been opened step by step (the command line's folder).
    void GotoFolderPath(const QString& path);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void SetUpPathCombo();
    void PathComboDrawItem(QPainter& painter, int index, const QRect& rect, bool selected);
    void PathComboChange(int index);
    void PathComboKeyPress(int key);
    // Runs a step that may fail on a bad location, showing the error.
    void Guarded(const std::function<void()>& step);

    BrowserState& state_;
    ThumbnailView& view_;
    ScannerLink& scanner_;
    QWidget* window_;
    Controls controls_;
    QActionGroup* historyGroup_ = nullptr;
    std::vector<QPixmap> pathImages_;
};

}  // namespace pixelary
