// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnail view: its controls, grid layout, hit tests, mouse selection, opening entries,
// the selection commands and scrolling a cell into view.
#include "mainwindow/ThumbnailView.h"

#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

#include "mainwindow/BrowserState.h"
#include "mainwindow/Controls.h"
#include "model/MExplorerItem.h"
#include "readers/Rwimage.h"
#include "settings/Settings.h"

namespace pixelary {

ThumbnailView::ThumbnailView(BrowserState& state, QWidget* parent)
    : QScrollArea(parent), state_(state) {
    setObjectName(QStringLiteral("ItemScrollBox"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    ItemPaint = new TPaintBox;
    ItemPaint->setObjectName(QStringLiteral("ItemPaint"));
    ItemPaint->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ItemPaint, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (contextMenu_) contextMenu_->popup(ItemPaint->mapToGlobal(at));
    });
    ItemPaint->OnPaint = [this](QPaintEvent* event) { ItemPaintPaint(event); };
    ItemPaint->OnMouseDown = [this](QMouseEvent* event) { ItemPaintMousePress(event); };
    ItemPaint->OnMouseMove = [this](QMouseEvent* event) { ItemPaintMouseMove(event); };
    ItemPaint->OnMouseUp = [this](QMouseEvent* event) { ItemPaintMouseUp(event); };
    ItemPaint->OnDblClick = [this](QMouseEvent*) { ItemPaintDblClick(); };
    setWidget(ItemPaint);
    RenameEdit = new QLineEdit(ItemPaint);
    RenameEdit->setObjectName(QStringLiteral("RenameEdit"));
    RenameEdit->setFrame(false);
    RenameEdit->setVisible(false);
    RenameEdit->setEnabled(false);
    InstallRenameEdit();
    InstallGridKeys();
    InstallDragAndDrop();
    tile_ = LoadTile("tile100.png", QColor(255, 226, 184));
}

ThumbnailView::~ThumbnailView() = default;

// ---- layout ---------------------------------------------------------------------------------

int ThumbnailView::EntryCount() const {
    return state_.Folder ? state_.Folder->ChildCount() : 0;
}

MExplorerItem* ThumbnailView::Entry(int index) const {
    if (!state_.Folder || index < 0) return nullptr;
    return state_.Folder->GetChild(index);
}

MExplorerItem* ThumbnailView::FocusedOrFolder() const {
    if (!state_.Folder) return nullptr;
    return FocusIndex >= 0 && FocusIndex < EntryCount() ? Entry(FocusIndex) : state_.Folder.get();
}

int ThumbnailView::OpenFileMouse() const {
    return ProcessSettings().OpenFileMouse;
}

GridLayout ThumbnailView::CurrentGrid() const {
    GridLayout grid;
    grid.ViewMode = ViewMode;
    grid.Cell = CellSizeFor(ViewMode);
    grid.Columns = Columns;
    grid.Rows = Rows;
    grid.GridWidth = GridWidth;
    grid.GridHeight = GridHeight;
    grid.GridLeft = GridLeft;
    grid.PaintSize = ItemPaint->size();
    return grid;
}

void ThumbnailView::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    ArrangeItems();
}

void ThumbnailView::ArrangeItems() {
    if (!state_.Folder) return;
    const GridLayout grid = ArrangeGrid(requestedMode_, EntryCount(), viewport()->size());
    ViewMode = grid.ViewMode;
    Columns = grid.Columns;
    Rows = grid.Rows;
    GridWidth = grid.GridWidth;
    GridHeight = grid.GridHeight;
    GridLeft = grid.GridLeft;
    verticalScrollBar()->setValue(0);
    verticalScrollBar()->setSingleStep(grid.LineStep);
    ItemPaint->move(0, 0);
    ItemPaint->resize(grid.PaintSize);
    if (RenameEdit->isEnabled()) PlaceRenameEdit();  // its cell may have moved
    viewport()->update();
    ItemPaint->update();
}

void ThumbnailView::ForgetEntries() {
    // Entries of the next listing may reuse the addresses of the old ones.
    entryKinds_.clear();
    entryKindsCount_ = -1;
    dragPress_.reset();
    dropTarget_ = -1;
    checkedDestination_.clear();
}

void ThumbnailView::ShowNewListing() {
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    FocusIndex = -1;
    HotIndex = -1;
}

void ThumbnailView::InvalidateItem(int index) {
    if (index < 0) return;
    ItemPaint->update(CellRect(CurrentGrid(), index));
}

void ThumbnailView::ScrollCellIntoView(const QRect& cell) {
    QScrollBar* horizontal = horizontalScrollBar();
    QScrollBar* vertical = verticalScrollBar();
    const QRect visible(QPoint(horizontal->value(), vertical->value()), viewport()->size());
    if (cell.left() < visible.left()) {
        horizontal->setValue(horizontal->value() - (visible.left() - cell.left()));
    } else if (cell.right() > visible.right()) {
        horizontal->setValue(horizontal->value() + (cell.right() - visible.right()));
    }
    if (cell.top() < visible.top()) {
        vertical->setValue(vertical->value() - (visible.top() - cell.top()));
    } else if (cell.bottom() > visible.bottom()) {
        vertical->setValue(vertical->value() + (cell.bottom() - visible.bottom()));
    }
    viewport()->repaint();
}

// ---- hit tests and the mouse ----------------------------------------------------------------

HitInfo ThumbnailView::HitTest(int x, int y) const {
    return pixelary::HitTest(CurrentGrid(), EntryCount(), QPoint(x, y),
                             [this](int index) { return NameSize(index); });
}

void ThumbnailView::SetSelected(int index, bool selected) {
    MExplorerItem* entry = Entry(index);
    if (!entry || entry->Selected == selected) return;
    entry->Selected = selected;
    InvalidateItem(index);
}

void ThumbnailView::MouseDownMovingTheFocus(QMouseEvent* event) {
    const int before = FocusIndex;
    ItemPaintMouseDown(event);
    if (FocusIndex == before) return;
    const bool extended = (event->modifiers() & Qt::ShiftModifier) &&
                          !(event->modifiers() & Qt::ControlModifier) && before >= 0;
    selectionAnchor_ = extended ? before : FocusIndex;
    InvalidateItem(before);
    InvalidateItem(FocusIndex);
}

void ThumbnailView::ItemPaintMouseDown(QMouseEvent* event) {
    setFocus();
    RenameEditExit();  // a click in the view ends an open rename, even in an inactive window
    const bool left = event->button() == Qt::LeftButton;
    if (left && SkipNextMouseDown) {
        SkipNextMouseDown = false;
        return;
    }
    if (!state_.Folder || !left) return;
    const int previousFocus = FocusIndex;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int count = EntryCount();
    if (!shift && !ctrl) {
        for (int i = 0; i < count; ++i) SetSelected(i, false);
        FocusIndex = -1;
    }
    const QPoint at = event->position().toPoint();
    const HitInfo hit = HitTest(at.x(), at.y());
    HotIndex = -1;
    if (hit.Area == HitInfo::kAreaGrid) {
        HotIndex = hit.EntryIndex;
        const int index = hit.EntryIndex;
        if (ctrl && index >= 0) {
            SetSelected(index, !Entry(index)->Selected);
            FocusIndex = index;
        } else if (shift && index >= 0) {
            if (FocusIndex == -1) {
                SetSelected(index, true);
            } else {
                const int low = std::min(index, FocusIndex);
                const int high = std::max(index, FocusIndex);
                for (int i = 0; i < count; ++i) SetSelected(i, i >= low && i <= high);
            }
            FocusIndex = index;
        } else if (hit.Target == HitInfo::kTargetThumb) {
            SetSelected(index, !Entry(index)->Selected);
            FocusIndex = index;
        } else if (hit.Target == HitInfo::kTargetName && OpenFileMouse() == kClickText) {
            emit OpenRequested(index);
        }
    }
    if (ViewMode == kViewNormal && FocusIndex != previousFocus) emit InfoPanelStale();
}

void ThumbnailView::ItemPaintMouseMove(QMouseEvent* event) {
    if (DragFromPendingPress(*event)) return;
    if (!state_.Folder) return;
    const QPoint at = event->position().toPoint();
    const HitInfo hit = HitTest(at.x(), at.y());
    HotIndex = hit.Area == HitInfo::kAreaGrid ? hit.EntryIndex : -1;
    if (hit.Area == HitInfo::kAreaGrid && hit.Target == HitInfo::kTargetName &&
        OpenFileMouse() == kClickText) {
        ItemPaint->setCursor(Qt::PointingHandCursor);
    } else {
        ItemPaint->unsetCursor();
    }
}

void ThumbnailView::ItemPaintDblClick() {
    SkipNextMouseDown = true;
    if (state_.Folder && OpenFileMouse() == kDoubleClickIcon && HotIndex >= 0 &&
        HotIndex < EntryCount()) {
        emit OpenRequested(HotIndex);
    }
}

// ---- selection commands ---------------------------------------------------------------------

void ThumbnailView::SelectAll() {
    if (!state_.Folder) return;
    pixelary::SelectAll(*state_.Folder);
    ItemPaint->update();
}

void ThumbnailView::SelectAllPictures() {
    if (!state_.Folder) return;
    SelectPictures(*state_.Folder, [](const std::string& ext) { return IsImageFileExt(ext); });
    ItemPaint->update();
}

void ThumbnailView::InvertSelection() {
    if (!state_.Folder) return;
    pixelary::InvertSelection(*state_.Folder);
    ItemPaint->update();
}

}  // namespace pixelary
