// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPixmap>
#include <QScrollArea>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

#include "fileops/FileTransfer.h"
#include "mainwindow/PictureCache.h"
#include "mainwindow/ViewGeometry.h"

class QAction;
class QDrag;
class QKeyEvent;
class QLineEdit;
class QMenu;
class QMimeData;
class QPainter;

namespace pixelary {

struct BrowserState;
class MExplorerItem;
class TPaintBox;

// The thumbnail grid of the shown folder's entries: layout, painting, hit tests, mouse and
// keyboard selection, the focused cell, in-place rename, scrolling, and dragging files out of
// the grid and into it. The scroll area itself
// is the control "ItemScrollBox"; the grid is painted on its widget "ItemPaint".
class ThumbnailView : public QScrollArea {
    Q_OBJECT
  public:
    // The commands the grid's keys run (Alt+Left, Alt+Right, Backspace, F2, Delete, F5).
    struct KeyCommands {
        QAction* Back = nullptr;
        QAction* Fore = nullptr;
        QAction* UpPath = nullptr;
        QAction* Rename = nullptr;
        QAction* Delete = nullptr;
        QAction* Refresh = nullptr;
    };

    explicit ThumbnailView(BrowserState& state, QWidget* parent = nullptr);
    ~ThumbnailView() override;

    TPaintBox* ItemPaint;
    QLineEdit* RenameEdit;

    // The grid as last laid out, and the pointer, focus and rename state.
    std::int32_t GridWidth = 0;
    std::int32_t GridHeight = 0;
    std::int32_t Columns = 1;
    std::int32_t Rows = 0;
    std::int32_t GridLeft = 0;
    std::int32_t ViewMode = kViewNormal;
    std::int32_t HotIndex = -1;
    std::int32_t FocusIndex = -1;
    bool SkipNextMouseDown = false;
    QString RenameOriginal;
    std::int32_t RenameIndex = -1;

    void SetKeyCommands(const KeyCommands& commands) { keyCommands_ = commands; }
    void SetContextMenu(QMenu* menu) { contextMenu_ = menu; }
    // Also takes the keys the window gets while no control has the focus: a folder load takes
    // the focus away, and the keys that opened the folder should keep working in the new one.
    void WatchWindowKeys(QWidget* window);
    // The mode the next layout uses (kViewNormal, kViewBrowse, kViewDetails).
    void SetRequestedMode(int mode) { requestedMode_ = mode; }

    int EntryCount() const;
    MExplorerItem* Entry(int index) const;
    GridLayout CurrentGrid() const;
    void ArrangeItems();
    HitInfo HitTest(int x, int y) const;
    void InvalidateItem(int index);
    void PaintItems(QPainter& painter, const QRect& clip, int first, int count);
    // The focused entry, else the shown folder itself; none without a folder.
    MExplorerItem* FocusedOrFolder() const;
    // The entry's large image as painted, kept between paints.
    QImage Picture(MExplorerItem& entry) const { return pictures_.Picture(entry); }
    // Shortens a text to a pixel width in the view's font, ending it with "...".
    QString FitText(const QString& text, int width) const;
    // Draws a tile bitmap over a rectangle, the tiles laid from the widget's origin.
    static void TileBitmap(QPainter& painter, const QPixmap& bitmap, const QRect& rect);

    // A new listing replaces the entries: no focus, nothing under the pointer, at the top.
    void ForgetEntries();
    void ShowNewListing();

    void SelectAll();
    void SelectAllPictures();
    void InvertSelection();

    // In-place rename of the focused entry (ThumbnailRename.cpp).
    void BeginRename();
    void RenameEditKeyPress(int key);
    void RenameEditExit();

    // A key pressed in the grid (ThumbnailKeys.cpp); false for a key the grid leaves alone.
    bool ItemScrollBoxKeyDown(const QKeyEvent& event);

    // Dragging (ThumbnailDrag.cpp). Runs a drag out of the grid with the actions it offers and
    // the one it proposes, and gives the action the target took. A real drag holds the event
    // loop until the drop, so tests replace it.
    std::function<Qt::DropAction(QDrag& drag, Qt::DropActions offered, Qt::DropAction proposed)>
        ExecDrag;
    // The file URLs of the selected file-system entries, in view order; none when no such
    // entry is selected.
    std::unique_ptr<QMimeData> SelectionMimeData() const;
    // The folder cell a drag over the grid would drop into; -1 when none.
    int DropTargetIndex() const { return dropTarget_; }

  signals:
    // The entry was opened: double click, a click on its name, or Enter.
    void OpenRequested(int index);
    // The folder, file and selection counts, made at every paint (empty without a folder).
    void StatusCountsChanged(const QString& counts);
    // The info panel shows something else: the grid repainted or the focus moved.
    void InfoPanelStale();
    // Files were dropped onto the grid: they are to be copied or moved into the folder.
    void FilesDropped(fileops::TransferKind kind, const QStringList& paths,
                      const QString& destination);
    // Files dragged out of the grid were moved away by the drop target.
    void FilesMovedOut();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void ItemPaintPaint(QPaintEvent* event);
    void ItemPaintMouseDown(QMouseEvent* event);
    void ItemPaintMouseMove(QMouseEvent* event);
    void ItemPaintDblClick();
    // The mouse moves the focus too: its old cell loses the focus rectangle, and Shift with the
    // keys goes on from where a click left the selection.
    void MouseDownMovingTheFocus(QMouseEvent* event);
    void CountEntries(int count);
    std::uint32_t EntryKind(const MExplorerItem* entry);
    QSize NameSize(int index) const;
    int OpenFileMouse() const;
    void SetSelected(int index, bool selected);
    void ScrollCellIntoView(const QRect& cell);
    // Puts the rename edit on the name of entry RenameIndex in the current grid.
    void PlaceRenameEdit();
    void InstallRenameEdit();

    // The keyboard (ThumbnailKeys.cpp).
    void InstallGridKeys();
    // The entry a movement key goes to from the focused one; -1 without entries.
    int FocusTarget(int key) const;
    void MoveFocus(int target, Qt::KeyboardModifiers modifiers);
    void SetFocusIndex(int index);
    void ToggleFocused();
    void OpenFocused();
    // Triggers a command, then gives the keys back to the grid when a folder load took them.
    void RunFromGrid(QAction* command);
    void PaintFocusRect(QPainter& painter);

    // Drag and drop (ThumbnailDrag.cpp).
    struct DropPlan {
        bool Allowed = false;
        int Cell = -1;  // the folder cell dropped onto; -1 for the shown folder
        fileops::TransferKind Kind = fileops::TransferKind::Copy;
        QStringList Paths;
        QString Destination;
    };
    void InstallDragAndDrop();
    // A press on a selected cell without Shift or Ctrl: it may begin a drag.
    bool PressMayStartDrag(const QMouseEvent& event) const;
    void ItemPaintMousePress(QMouseEvent* event);
    void ItemPaintMouseUp(QMouseEvent* event);
    // Ends the pending press: a drag once the pointer went far enough, else nothing yet.
    bool DragFromPendingPress(const QMouseEvent& event);
    void StartDrag(QPoint from);
    void WatchMovedOut(const QStringList& paths);
    void CheckMovedOut();
    // What a drop at the event's position would do; Allowed is false where it is refused.
    DropPlan PlanDrop(const QDropEvent& event);
    void ShowDropAt(QDropEvent& event);
    void SetDropTarget(int index);
    // The folder cell at a point of the viewport, else -1.
    int FolderCellAt(QPoint viewportPoint) const;

    BrowserState& state_;
    KeyCommands keyCommands_;
    QMenu* contextMenu_ = nullptr;
    int requestedMode_ = kViewNormal;
    // Where Shift with a movement key selects from: the entry last focused without Shift.
    int selectionAnchor_ = -1;
    std::unique_ptr<QObject> gridKeyFilter_;
    QPixmap tile_;

    // Folder and file-system bits of the shown entries, asked of the shell once per entry: the
    // status counts are made on every paint, also for a single invalidated cell.
    std::unordered_map<const MExplorerItem*, std::uint32_t> entryKinds_;
    int entryKindsCount_ = -1;
    int entryFolders_ = 0;  // the kinds' totals, counted with them
    int entryFiles_ = 0;
    // The entries' decoded pictures, kept between paints.
    mutable PictureCache pictures_;

    // A press on a selected cell: what it does to the selection waits for the release, since
    // the pointer moving far enough first makes it the start of a drag of the whole selection.
    std::unique_ptr<QMouseEvent> dragPress_;
    // A drag out of this grid is running: a drop during it is a drop of its own cells.
    bool draggingOut_ = false;
    // A drag from this grid ended in a drop onto it, which listed the folder again itself.
    bool dropHandledHere_ = false;
    // Files moved out by a drop target in another program: watched until they are gone.
    QStringList movedOut_;
    int movedOutChecks_ = 0;
    QTimer movedOutTimer_;
    int dropTarget_ = -1;
    // The refusal check of the last destination and kind a drag hovered over, kept while the
    // drag stays over the same folder.
    QString checkedDestination_;
    fileops::TransferKind checkedKind_ = fileops::TransferKind::Copy;
    bool checkedAllowed_ = false;
};

}  // namespace pixelary
