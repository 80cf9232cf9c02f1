// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnail view's painting: tiles, cells with their frames, pictures and names, and the
// status counts made on every paint.
#include <QPaintEvent>
#include <QPainter>
#include <QPen>

#include "mainwindow/BrowserState.h"
#include "mainwindow/Controls.h"
#include "mainwindow/ThumbnailView.h"
#include "model/MExplorerItem.h"
#include "settings/Settings.h"

namespace pixelary {
namespace {

const QColor kNavy(0, 0, 128);
const QColor kGrey(128, 128, 128);
const QColor kNameBlue(0, 0, 255);
const QColor kDropOrange(255, 140, 0);
constexpr int kDropFrameWidth = 3;
constexpr std::uint32_t kFolderAndFileSystem = shell::SFGAO_FOLDER | shell::SFGAO_FILESYSTEM;

QString DisplayName(const MExplorerItem& entry) {
    return QString::fromStdString(entry.GetDisplayName(shell::SHGDN_NORMAL));
}

// A raised frame (light edge top and left, dark right and bottom) or a sunken one.
void DrawFrame(QPainter& painter, const QRect& box, bool raised) {
    const QPoint bottomLeft(box.left(), box.bottom());
    const QPoint topRight(box.right(), box.top());
    painter.setPen(raised ? QColor(Qt::white) : kGrey);
    painter.drawLine(bottomLeft, box.topLeft());
    painter.drawLine(box.topLeft(), topRight);
    painter.setPen(raised ? kGrey : QColor(Qt::white));
    painter.drawLine(topRight, box.bottomRight());
    painter.drawLine(box.bottomRight(), bottomLeft);
}

}  // namespace

void ThumbnailView::TileBitmap(QPainter& painter, const QPixmap& bitmap, const QRect& rect) {
    if (bitmap.isNull() || rect.isEmpty()) return;
    // Tiles are laid from the paint box's origin, so the offset into the first tile is the
    // rectangle's position modulo the tile size.
    const QPoint offset(rect.left() % bitmap.width(), rect.top() % bitmap.height());
    painter.drawTiledPixmap(rect, bitmap, offset);
}

QString ThumbnailView::FitText(const QString& text, int width) const {
    const QFontMetrics metrics(font());
    return pixelary::FitText(text, width,
                             [&metrics](const QString& s) { return metrics.horizontalAdvance(s); });
}

QSize ThumbnailView::NameSize(int index) const {
    MExplorerItem* entry = Entry(index);
    if (!entry) return {};
    const QString name = FitText(DisplayName(*entry), cell::kNameBand.width());
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(name), metrics.height());
}

void ThumbnailView::ItemPaintPaint(QPaintEvent* event) {
    // An open rename is left alone: the edit is a child of this paint box, so the box is
    // repainted under it whenever the edit shows, takes the focus, blinks its caret or gets a
    // key, and a thumbnail that arrives repaints its cell too.
    QPainter painter(ItemPaint);
    TileBitmap(painter, tile_, event->rect());
    if (!state_.Folder) {
        emit StatusCountsChanged(QString());
        return;
    }
    const int count = EntryCount();
    CountEntries(count);
    int selected = 0;
    for (int i = 0; i < count; ++i) {
        if (Entry(i)->Selected) ++selected;
    }
    emit StatusCountsChanged(StatusCounts(entryFolders_, entryFiles_, selected));
    if (ViewMode == kViewNormal) emit InfoPanelStale();
    if (ViewMode == kViewNormal || ViewMode == kViewBrowse) {
        PaintItems(painter, event->rect(), 0, count);
        PaintFocusRect(painter);
    }
}

void ThumbnailView::CountEntries(int count) {
    if (count != entryKindsCount_) {
        // Entries came or went since the last paint: their addresses may have been reused.
        entryKinds_.clear();
        entryKindsCount_ = count;
        entryFolders_ = 0;
        entryFiles_ = 0;
    }
    // Only a new listing changes the kinds (sorting and renaming keep them), so they are counted
    // once per listing rather than at every paint.
    if (static_cast<int>(entryKinds_.size()) == count) return;
    entryFolders_ = 0;
    entryFiles_ = 0;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t attributes = EntryKind(Entry(i));
        if (attributes & shell::SFGAO_FOLDER) {
            ++entryFolders_;
        } else if (attributes & shell::SFGAO_FILESYSTEM) {
            ++entryFiles_;
        }
    }
}

std::uint32_t ThumbnailView::EntryKind(const MExplorerItem* entry) {
    const auto known = entryKinds_.find(entry);
    if (known != entryKinds_.end()) return known->second;
    const std::uint32_t kind = entry->GetAttributes(kFolderAndFileSystem);
    entryKinds_.emplace(entry, kind);
    return kind;
}

void ThumbnailView::PaintItems(QPainter& painter, const QRect& clip, int first, int count) {
    if (!state_.Folder) return;
    const int entries = EntryCount();
    count = std::min(count, entries - first);
    if (entries == 0 || count <= 0 || first < 0) return;
    CursorGuard busy(Qt::BusyCursor);
    const GridLayout grid = CurrentGrid();
    const QFontMetrics metrics(font());
    QFont nameFont = font();
    nameFont.setUnderline(OpenFileMouse() == kClickText);
    painter.setFont(nameFont);
    // Only the rows that meet the clip rectangle can hold cells to paint.
    const int cellHeight = grid.Cell.height();
    const int firstInClip = std::max(first, std::max(0, clip.top() / cellHeight) * grid.Columns);
    const int endOfClip = std::min(first + count, (clip.bottom() / cellHeight + 1) * grid.Columns);
    for (int i = firstInClip; i < endOfClip; ++i) {
        const QRect cellRect = CellRect(grid, i);
        if (!cellRect.intersects(clip)) continue;
        MExplorerItem* entry = Entry(i);
        const int x = cellRect.left();
        const int y = cellRect.top();
        if (entry->Selected) painter.fillRect(cellRect, kNavy);

        const QImage picture = Picture(*entry);
        const QSize fitted = FitPicture(picture.size(), cell::kThumbBox.size());
        const QRect pictureRect = CentredPicture(fitted, cell::kThumbBox.translated(x, y));

        const QRect frame(QPoint(x + cell::kFrameLeft, y + cell::kFrameTop),
                          QPoint(x + cell::kFrameRight, y + cell::kFrameBottom));
        DrawFrame(painter, frame, true);
        TileBitmap(painter, tile_, frame.adjusted(1, 1, -1, -1));

        if (!picture.isNull() && !fitted.isEmpty()) {
            DrawFrame(painter, pictureRect.adjusted(-1, -1, 1, 1), false);
            painter.drawImage(pictureRect, picture);
        }

        const QString name = FitText(DisplayName(*entry), cell::kNameBand.width());
        const QSize textSize(metrics.horizontalAdvance(name), metrics.height());
        const QRect textRect(
            x + cell::kNameBand.left() + (cell::kNameBand.width() - textSize.width()) / 2,
            y + cell::kNameBand.top() + (cell::kNameBand.height() - textSize.height()) / 2,
            textSize.width(), textSize.height());
        painter.setPen(entry->Selected ? Qt::white : kNameBlue);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, name);

        if (i == dropTarget_) {  // the folder a drag would drop into
            painter.setPen(QPen(kDropOrange, kDropFrameWidth));
            painter.setBrush(Qt::NoBrush);
            const int inset = kDropFrameWidth / 2 + 1;
            painter.drawRect(cellRect.adjusted(inset, inset, -inset - 1, -inset - 1));
        }
    }
    painter.setBrush(Qt::SolidPattern);
}

}  // namespace pixelary
