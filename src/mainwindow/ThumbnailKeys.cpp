// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnail view's keyboard: moving the focused cell, selecting with Shift, Ctrl and Space,
// opening, going up, back and forward, rename, delete and refresh, and the focus rectangle.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <memory>

#include "mainwindow/Controls.h"
#include "mainwindow/ThumbnailView.h"
#include "model/MExplorerItem.h"

namespace pixelary {
namespace {

// Hands the grid's key presses to the view, and also those its window gets while no control
// has the focus. Owned by the view, so it is gone before the widgets it looks at.
class GridKeyFilter : public QObject {
  public:
    explicit GridKeyFilter(ThumbnailView* grid) : grid_(grid) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
                // Keys that a child of the grid (the rename edit) passes on are not the grid's.
                if (watched == grid_ ? grid_->hasFocus() : QApplication::focusWidget() == nullptr) {
                    const bool used = grid_->ItemScrollBoxKeyDown(*static_cast<QKeyEvent*>(event));
                    if (used && !QApplication::focusWidget()) grid_->setFocus(Qt::OtherFocusReason);
                    return used;
                }
                break;
            case QEvent::WindowActivate:
                // Sent before the window picks a control for the keys: with none picked (a load
                // leaves none), the grid takes them rather than the first tool button.
                if (watched == grid_->window() && !grid_->window()->focusWidget())
                    grid_->setFocus(Qt::ActiveWindowFocusReason);
                break;
            case QEvent::FocusIn:
            case QEvent::FocusOut:
                // The focus rectangle shows only while the grid has the keyboard.
                if (watched == grid_) grid_->InvalidateItem(grid_->FocusIndex);
                break;
            default:
                break;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    ThumbnailView* grid_;
};

bool IsMoveKey(int key) {
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return true;
        default:
            return false;
    }
}

// The entry `rows` rows above (negative) or below the entry at `index`, in the same column;
// the last entry when the target row is the last one and shorter; the first or last row when
// the move would leave the grid.
int MoveByRows(int index, int rows, int columns, int count) {
    const int lastRow = (count - 1) / columns;
    const int row = std::clamp(index / columns + rows, 0, lastRow);
    return std::min(row * columns + index % columns, count - 1);
}

}  // namespace

void ThumbnailView::InstallGridKeys() {
    gridKeyFilter_ = std::make_unique<GridKeyFilter>(this);
    installEventFilter(gridKeyFilter_.get());
}

void ThumbnailView::WatchWindowKeys(QWidget* window) {
    window->installEventFilter(gridKeyFilter_.get());
}

bool ThumbnailView::ItemScrollBoxKeyDown(const QKeyEvent& event) {
    const int key = event.key();
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::AltModifier && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        RunFromGrid(key == Qt::Key_Left ? keyCommands_.Back : keyCommands_.Fore);
        return true;
    }
    if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) return false;
    if (IsMoveKey(key)) {
        MoveFocus(FocusTarget(key), modifiers);
        return true;
    }
    if (key == Qt::Key_Space && modifiers == Qt::ControlModifier) {
        ToggleFocused();
        return true;
    }
    if (modifiers != Qt::NoModifier) return false;
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            OpenFocused();
            return true;
        case Qt::Key_Backspace:
            RunFromGrid(keyCommands_.UpPath);
            return true;
        case Qt::Key_F2:
            RunFromGrid(keyCommands_.Rename);
            return true;
        case Qt::Key_Delete:
            RunFromGrid(keyCommands_.Delete);
            return true;
        case Qt::Key_F5:
            RunFromGrid(keyCommands_.Refresh);
            return true;
        default:
            return false;
    }
}

int ThumbnailView::FocusTarget(int key) const {
    const int count = EntryCount();
    if (count == 0) return -1;
    if (key == Qt::Key_Home) return 0;
    if (key == Qt::Key_End) return count - 1;
    const int focus = FocusIndex;
    if (focus < 0 || focus >= count) return 0;  // the first move only puts the focus on the grid
    const int columns = std::max(1, Columns);
    const int cellHeight = CellRect(CurrentGrid(), 0).height();
    const int page = std::max(1, viewport()->height() / cellHeight);
    switch (key) {
        case Qt::Key_Left:
            return std::max(0, focus - 1);
        case Qt::Key_Right:
            return std::min(count - 1, focus + 1);
        case Qt::Key_Up:
            return MoveByRows(focus, -1, columns, count);
        case Qt::Key_Down:
            return MoveByRows(focus, 1, columns, count);
        case Qt::Key_PageUp:
            return MoveByRows(focus, -page, columns, count);
        case Qt::Key_PageDown:
            return MoveByRows(focus, page, columns, count);
        default:
            return focus;
    }
}

void ThumbnailView::MoveFocus(int target, Qt::KeyboardModifiers modifiers) {
    if (target < 0) return;
    const int count = EntryCount();
    if (FocusIndex < 0 || FocusIndex >= count) selectionAnchor_ = target;
    if (selectionAnchor_ < 0 || selectionAnchor_ >= count) selectionAnchor_ = FocusIndex;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (shift) {
        // From the anchor to the target; Ctrl keeps what is selected outside that range.
        const int low = std::min(selectionAnchor_, target);
        const int high = std::max(selectionAnchor_, target);
        for (int i = 0; i < count; ++i) {
            const bool inRange = i >= low && i <= high;
            if (inRange || !ctrl) SetSelected(i, inRange);
        }
    } else if (!ctrl) {
        for (int i = 0; i < count; ++i) SetSelected(i, i == target);
        selectionAnchor_ = target;
    }
    SetFocusIndex(target);
}

void ThumbnailView::SetFocusIndex(int index) {
    const int before = FocusIndex;
    FocusIndex = index;
    InvalidateItem(before);
    InvalidateItem(index);
    ScrollCellIntoView(CellRect(CurrentGrid(), index));
    if (ViewMode == kViewNormal && index != before) emit InfoPanelStale();
}

void ThumbnailView::ToggleFocused() {
    MExplorerItem* entry = FocusIndex < EntryCount() ? Entry(FocusIndex) : nullptr;
    if (!entry) return;
    SetSelected(FocusIndex, !entry->Selected);
    selectionAnchor_ = FocusIndex;
}

void ThumbnailView::OpenFocused() {
    if (FocusIndex < 0 || FocusIndex >= EntryCount()) return;
    emit OpenRequested(FocusIndex);
    // Opening a folder loads it, and a load leaves no control with the focus.
    if (QApplication::focusWidget() == nullptr) setFocus(Qt::OtherFocusReason);
}

void ThumbnailView::RunFromGrid(QAction* command) {
    if (command) command->trigger();  // a disabled command does nothing
    if (QApplication::focusWidget() == nullptr) setFocus(Qt::OtherFocusReason);
}

void ThumbnailView::PaintFocusRect(QPainter& painter) {
    if (!hasFocus() || FocusIndex >= EntryCount()) return;
    const MExplorerItem* entry = Entry(FocusIndex);
    if (!entry) return;
    painter.setPen(QPen(entry->Selected ? Qt::white : Qt::black, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(CellRect(CurrentGrid(), FocusIndex).adjusted(1, 1, -2, -2));
}

}  // namespace pixelary
