// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPixmap>
#include <QScrollArea>
#include <QString>
#include <cstdint>
#include <memory>
#include <unordered_map>

#include "mainwindow/PictureCache.h"
#include "mainwindow/ViewGeometry.h"

class QAction;
class QKeyEvent;
class QLineEdit;
class QMenu;
class QPainter;

namespace pixelary {

struct BrowserState;
class MExplorerItem;
class TPaintBox;

// The thumbnail grid of the shown folder's entries: layout, painting, hit tests, mouse and
// keyboard selection, the focused cell, in-place rename and scrolling. The scroll area itself
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

  signals:
    // The entry was opened: double click, a click on its name, or Enter.
    void OpenRequested(int index);
    // The folder, file and selection counts, made at every paint (empty without a folder).
    void StatusCountsChanged(const QString& counts);
    // The info panel shows something else: the grid repainted or the focus moved.
    void InfoPanelStale();

  protected:
    void resizeEvent(QResizeEvent* event) override;

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
};

}  // namespace pixelary
