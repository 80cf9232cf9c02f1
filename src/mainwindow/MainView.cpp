// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnail view: grid layout, painting, hit tests, mouse selection, the info panel and the
// status bar.
#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include "mainwindow/BmpStreamImage.h"
#include "mainwindow/Controls.h"
#include "mainwindow/Main.h"
#include "mainwindow/Strings.h"
#include "model/MExplorerItem.h"
#include "model/MFolderPath.h"
#include "model/MWalkQueue.h"
#include "readers/Rwimage.h"
#include "settings/Settings.h"

namespace pixelary {
namespace {

const QColor kNavy(0, 0, 128);
const QColor kGrey(128, 128, 128);
const QColor kNameBlue(0, 0, 255);
const QColor kLime(0, 255, 0);
const QColor kSilver(192, 192, 192);
constexpr int kPercent = 100;
constexpr std::uint32_t kFolderAndFileSystem = shell::SFGAO_FOLDER | shell::SFGAO_FILESYSTEM;

// Shows a busy cursor while alive.
class CursorGuard {
  public:
    explicit CursorGuard(Qt::CursorShape shape) { QGuiApplication::setOverrideCursor(shape); }
    ~CursorGuard() { QGuiApplication::restoreOverrideCursor(); }
    CursorGuard(const CursorGuard&) = delete;
    CursorGuard& operator=(const CursorGuard&) = delete;
};

QString ToQ(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

// ---- layout ---------------------------------------------------------------------------------

int TMainForm::EntryCount() const {
    return Folder ? Folder->ChildCount() : 0;
}

MExplorerItem* TMainForm::Entry(int index) const {
    if (!Folder || index < 0) return nullptr;
    return Folder->GetChild(index);
}

int TMainForm::OpenFileMouse() const {
    return ProcessSettings().OpenFileMouse;
}

GridLayout TMainForm::CurrentGrid() const {
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

void TMainForm::ItemScrollBoxResize() {
    ArrangeItems();
}

void TMainForm::ArrangeItems() {
    if (!Folder) return;
    int mode = kViewNormal;
    if (CmViewNormal->isChecked()) {
        mode = kViewNormal;
    } else if (CmViewBrowse->isChecked()) {
        mode = kViewBrowse;
    } else if (CmViewFull->isChecked()) {
        mode = kViewDetails;
    }
    const GridLayout grid = ArrangeGrid(mode, EntryCount(), ItemScrollBox->viewport()->size());
    ViewMode = grid.ViewMode;
    Columns = grid.Columns;
    Rows = grid.Rows;
    GridWidth = grid.GridWidth;
    GridHeight = grid.GridHeight;
    GridLeft = grid.GridLeft;
    ItemScrollBox->verticalScrollBar()->setValue(0);
    ItemScrollBox->verticalScrollBar()->setSingleStep(grid.LineStep);
    ItemPaint->move(0, 0);
    ItemPaint->resize(grid.PaintSize);
    if (RenameEdit->isEnabled()) PlaceRenameEdit();  // its cell may have moved
    ItemScrollBox->viewport()->update();
    ItemPaint->update();
}

// ---- painting -------------------------------------------------------------------------------

void TMainForm::TileBitmap(QPainter& painter, const QPixmap& bitmap, const QRect& rect) const {
    if (bitmap.isNull() || rect.isEmpty()) return;
    // Tiles are laid from the paint box's origin, so the offset into the first tile is the
    // rectangle's position modulo the tile size.
    const QPoint offset(rect.left() % bitmap.width(), rect.top() % bitmap.height());
    painter.drawTiledPixmap(rect, bitmap, offset);
}

QString TMainForm::FitText(const QString& text, int width) const {
    const QFontMetrics metrics(font());
    return pixelary::FitText(text, width,
                             [&metrics](const QString& s) { return metrics.horizontalAdvance(s); });
}

QSize TMainForm::NameSize(int index) const {
    MExplorerItem* entry = Entry(index);
    if (!entry) return {};
    const QString name =
        FitText(ToQ(entry->GetDisplayName(shell::SHGDN_NORMAL)), cell::kNameBand.width());
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(name), metrics.height());
}

QImage TMainForm::EntryPicture(MExplorerItem* entry) const {
    return pictures_.Picture(*entry);
}

void TMainForm::ItemPaintPaint(QPaintEvent* event) {
    // An open rename is left alone: the edit is a child of this paint box, so the box is
    // repainted under it whenever the edit shows, takes the focus, blinks its caret or gets a
    // key, and a thumbnail that arrives repaints its cell too.
    QPainter painter(ItemPaint);
    TileBitmap(painter, tile100_, event->rect());
    if (!Folder) {
        StatusBar->SetPanelText(1, QString());
        return;
    }
    const int count = EntryCount();
    if (count != entryKindsCount_) {
        // Entries came or went since the last paint: their addresses may have been reused.
        entryKinds_.clear();
        entryKindsCount_ = count;
        entryFolders_ = 0;
        entryFiles_ = 0;
    }
    // Only a new listing changes the kinds (sorting and renaming keep them), so they are counted
    // once per listing rather than at every paint; the selection is counted every time.
    const bool countKinds = static_cast<int>(entryKinds_.size()) != count;
    if (countKinds) {
        entryFolders_ = 0;
        entryFiles_ = 0;
    }
    int selected = 0;
    for (int i = 0; i < count; ++i) {
        MExplorerItem* entry = Entry(i);
        if (countKinds) {
            const std::uint32_t attributes = EntryKind(entry);
            if (attributes & shell::SFGAO_FOLDER) {
                ++entryFolders_;
            } else if (attributes & shell::SFGAO_FILESYSTEM) {
                ++entryFiles_;
            }
        }
        if (entry->Selected) ++selected;
    }
    StatusBar->SetPanelText(1, StatusCounts(entryFolders_, entryFiles_, selected));
    if (ViewMode == kViewNormal) PaintInfoPanel();
    if (ViewMode == kViewNormal || ViewMode == kViewBrowse) {
        PaintItems(painter, event->rect(), 0, count);
        PaintFocusRect(painter);
    }
}

std::uint32_t TMainForm::EntryKind(const MExplorerItem* entry) {
    const auto known = entryKinds_.find(entry);
    if (known != entryKinds_.end()) return known->second;
    const std::uint32_t kind = entry->GetAttributes(kFolderAndFileSystem);
    entryKinds_.emplace(entry, kind);
    return kind;
}

void TMainForm::PaintItems(QPainter& painter, const QRect& clip, int first, int count) {
    if (!Folder) return;
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

        const QImage picture = EntryPicture(entry);
        const QSize fitted = FitPicture(picture.size(), cell::kThumbBox.size());
        const QRect pictureRect = CentredPicture(fitted, cell::kThumbBox.translated(x, y));

        // Raised frame: light edge top and left, dark edge right and bottom.
        const QPoint bottomLeft(x + cell::kFrameLeft, y + cell::kFrameBottom);
        const QPoint topLeft(x + cell::kFrameLeft, y + cell::kFrameTop);
        const QPoint topRight(x + cell::kFrameRight, y + cell::kFrameTop);
        const QPoint bottomRight(x + cell::kFrameRight, y + cell::kFrameBottom);
        painter.setPen(Qt::white);
        painter.drawLine(bottomLeft, topLeft);
        painter.drawLine(topLeft, topRight);
        painter.setPen(kGrey);
        painter.drawLine(topRight, bottomRight);
        painter.drawLine(bottomRight, bottomLeft);
        TileBitmap(painter, tile100_,
                   QRect(QPoint(x + cell::kFrameLeft + 1, y + cell::kFrameTop + 1),
                         QPoint(x + cell::kFrameRight - 1, y + cell::kFrameBottom - 1)));

        if (!picture.isNull() && !fitted.isEmpty()) {
            // Sunken frame: dark edge top and left, light edge right and bottom.
            const int l = pictureRect.left() - 1;
            const int t = pictureRect.top() - 1;
            const int r = pictureRect.left() + pictureRect.width();
            const int b = pictureRect.top() + pictureRect.height();
            painter.setPen(kGrey);
            painter.drawLine(l, b, l, t);
            painter.drawLine(l, t, r, t);
            painter.setPen(Qt::white);
            painter.drawLine(r, t, r, b);
            painter.drawLine(r, b, l, b);
            painter.drawImage(pictureRect, picture);
        }

        const QString name =
            FitText(ToQ(entry->GetDisplayName(shell::SHGDN_NORMAL)), cell::kNameBand.width());
        const QSize textSize(metrics.horizontalAdvance(name), metrics.height());
        const QRect textRect(
            x + cell::kNameBand.left() + (cell::kNameBand.width() - textSize.width()) / 2,
            y + cell::kNameBand.top() + (cell::kNameBand.height() - textSize.height()) / 2,
            textSize.width(), textSize.height());
        painter.setPen(entry->Selected ? Qt::white : kNameBlue);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, name);
    }
    painter.setBrush(Qt::SolidPattern);
}

QList<InfoLine> TMainForm::InfoPanelLines() const {
    QList<InfoLine> lines;
    if (!Folder) return lines;
    MExplorerItem* subject =
        FocusIndex >= 0 && FocusIndex < EntryCount() ? Entry(FocusIndex) : Folder.get();
    const QLocale locale;
    lines.append({info::kNameY,
                  FitText(LoadStr(kStrInfoName) + ToQ(subject->GetName()) + ToQ(subject->GetExt()),
                          info::kTextWidth)});
    if (const std::int32_t size = subject->GetFileSize(); size != 0) {
        lines.append(
            {info::kSizeY, LoadStr(kStrInfoSize) +
                               FormatKBytes(size, locale.groupSeparator(), locale.decimalPoint())});
    }
    if (const std::int32_t date = subject->GetFileDate(); date != 0) {
        lines.append(
            {info::kDateY, LoadStr(kStrInfoDate) + FormatDate(date, LocaleDateSeparator())});
        lines.append(
            {info::kTimeY, LoadStr(kStrInfoTime) + FormatTime(date, LocaleTimeSeparator(),
                                                              locale.amText(), locale.pmText())});
    }
    lines.append({info::kTypeY,
                  FitText(LoadStr(kStrInfoType) + ToQ(subject->GetTypeName()), info::kTextWidth)});
    lines.append({info::kCommentY,
                  FitText(LoadStr(kStrInfoComment) + ToQ(subject->Comment), info::kTextWidth)});
    return lines;
}

void TMainForm::PaintInfoPanel() {
    InfoPaint->update();
}

void TMainForm::InfoPaintPaint() {
    QPainter painter(InfoPaint);
    const int w = InfoPaint->width();
    const int h = InfoPaint->height();
    TileBitmap(painter, tile101_, QRect(0, 0, w, h));
    painter.setPen(Qt::white);
    painter.drawLine(w - 1, 0, w - 1, h);
    painter.setPen(kGrey);
    painter.drawLine(w, 0, w, h);
    if (!Folder) return;
    MExplorerItem* subject =
        FocusIndex >= 0 && FocusIndex < EntryCount() ? Entry(FocusIndex) : Folder.get();
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.drawRoundedRect(info::kRoundRect, info::kCornerSize / 2.0, info::kCornerSize / 2.0);
    painter.setRenderHint(QPainter::Antialiasing, false);

    const QImage picture = EntryPicture(subject);
    const QSize fitted = FitPicture(picture.size(), info::kThumbBox);
    if (!picture.isNull() && !fitted.isEmpty()) {
        painter.drawImage(CentredPicture(fitted, QRect(info::kThumbOrigin, info::kThumbBox)),
                          picture);
    }
    painter.setFont(font());
    const QFontMetrics metrics(font());
    for (const InfoLine& line : InfoPanelLines()) {
        painter.drawText(QRect(info::kTextX, line.y, w - info::kTextX, metrics.height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, line.text);
    }
}

void TMainForm::StatusBarDrawPanel(QPainter& painter, const QRect& rect) {
    if (Progress < 0 || Progress > kPercent) {
        painter.fillRect(rect, kSilver);
        return;
    }
    const int split = rect.left() + Progress * rect.width() / kPercent;
    painter.fillRect(QRect(QPoint(rect.left(), rect.top()), QPoint(split - 1, rect.bottom())),
                     kLime);
    painter.fillRect(QRect(QPoint(split, rect.top()), rect.bottomRight()), kSilver);
    QFont font = painter.font();
    font.setPixelSize(std::max(1, rect.height() - 2));
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QString text = QString::number(Progress) + QLatin1Char('%');
    const int textWidth = QFontMetrics(font).horizontalAdvance(text);
    painter.drawText(QPoint(rect.left() + (rect.width() - textWidth) / 2,
                            rect.top() + 1 + QFontMetrics(font).ascent()),
                     text);
}

// ---- scanner calls --------------------------------------------------------------------------

void TMainForm::InvalidateItem(int index) {
    if (index < 0) return;
    ItemPaint->update(CellRect(CurrentGrid(), index));
}

void TMainForm::SetProgress(int value) {
    Progress = value;
    StatusBar->InvalidatePanels();
    if (value < 0) CheckpointIndex(true);
}

// ---- hit tests and the mouse -----------------------------------------------------------------

HitInfo TMainForm::HitTest(int x, int y) const {
    return pixelary::HitTest(CurrentGrid(), EntryCount(), QPoint(x, y),
                             [this](int index) { return NameSize(index); });
}

void TMainForm::SetSelected(int index, bool selected) {
    MExplorerItem* entry = Entry(index);
    if (!entry || entry->Selected == selected) return;
    entry->Selected = selected;
    InvalidateItem(index);
}

void TMainForm::ItemPaintMouseDown(QMouseEvent* event) {
    ItemScrollBox->setFocus();
    RenameEditExit();  // a click in the view ends an open rename, even in an inactive window
    const bool left = event->button() == Qt::LeftButton;
    if (left && SkipNextMouseDown) {
        SkipNextMouseDown = false;
        return;
    }
    if (!Folder || !left) return;
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
            OpenItem(index);
        }
    }
    if (ViewMode == kViewNormal && FocusIndex != previousFocus) PaintInfoPanel();
}

void TMainForm::ItemPaintMouseMove(QMouseEvent* event) {
    if (!Folder) return;
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

void TMainForm::ItemPaintDblClick() {
    SkipNextMouseDown = true;
    if (Folder && OpenFileMouse() == kDoubleClickIcon && HotIndex >= 0 && HotIndex < EntryCount()) {
        OpenItem(HotIndex);
    }
}

void TMainForm::OpenItem(int index) {
    MExplorerItem* entry = Entry(index);
    if (!entry) return;
    CursorGuard busy(Qt::WaitCursor);
    const std::uint32_t attributes = entry->GetAttributes(kFolderAndFileSystem);
    if (attributes & shell::SFGAO_FOLDER) {
        auto location = std::make_unique<MFolderPath>(*History->Current());
        location->AppendLevel(Folder->BindToFolder(), entry->CopyIdList());
        GotoLocation(std::move(location));
    } else if (attributes & shell::SFGAO_FILESYSTEM) {
        ExecuteFile(ToQ(entry->GetDisplayName(shell::SHGDN_FORPARSING)));
    }
}

// ---- selection and view commands ------------------------------------------------------------

void TMainForm::CmSelectAllClick() {
    if (!Folder) return;
    SelectAll(*Folder);
    ItemPaint->update();
}

void TMainForm::CmSelectAllImageClick() {
    if (!Folder) return;
    SelectPictures(*Folder, [](const std::string& ext) { return IsImageFileExt(ext); });
    ItemPaint->update();
}

void TMainForm::CmSelectInvertClick() {
    if (!Folder) return;
    InvertSelection(*Folder);
    ItemPaint->update();
}

void TMainForm::CmViewNormalClick(QAction* item) {
    item->setChecked(true);
    InfoScrollBox->setVisible(CmViewNormal->isChecked());
    // Showing or hiding the panel resizes the view; arranging now also covers the case where the
    // size happens not to change.
    ArrangeItems();
}

}  // namespace pixelary
