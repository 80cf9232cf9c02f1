// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnail view's drag and drop: the selection dragged out as file URLs, and local files
// dropped onto the grid or a folder cell, to be copied (with Shift: moved) there.
#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "mainwindow/BrowserState.h"
#include "mainwindow/Controls.h"
#include "mainwindow/ThumbnailView.h"
#include "model/MExplorerItem.h"
#include "platform/api/ShellFolder.h"
#include "settings/Settings.h"

namespace pixelary {
namespace {

constexpr Qt::DropActions kOfferedActions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
// How often, and how many times, files moved out by another program are looked for.
constexpr int kMovedOutPollMs = 250;
constexpr int kMovedOutChecks = 40;

// The path of a plain file-system folder; empty for files and virtual folders (the desktop).
QString FileSystemFolderPath(const MExplorerItem& item) {
    constexpr std::uint32_t kPlainFolder = shell::SFGAO_FOLDER | shell::SFGAO_FILESYSTEM;
    if ((item.GetAttributes(kPlainFolder) & kPlainFolder) != kPlainFolder) return {};
    const QString path = QString::fromStdString(item.GetDisplayName(shell::SHGDN_FORPARSING));
    return QDir::isAbsolutePath(path) ? path : QString();
}

// The local paths a drag carries; none when it carries anything but local files, or the root
// folder, which has no name to give a copy.
QStringList DraggedPaths(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile() || !url.host().isEmpty()) return {};
        const QString path = QDir::cleanPath(url.toLocalFile());
        if (!QDir::isAbsolutePath(path) || path == QStringLiteral("/")) return {};
        paths << path;
    }
    return paths;
}

std::vector<std::string> ToStd(const QStringList& paths) {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& path : paths) out.push_back(path.toStdString());
    return out;
}

}  // namespace

void ThumbnailView::InstallDragAndDrop() {
    viewport()->setAcceptDrops(true);
    ExecDrag = [](QDrag& drag, Qt::DropActions offered, Qt::DropAction proposed) {
        return drag.exec(offered, proposed);
    };
    movedOutTimer_.setSingleShot(true);
    connect(&movedOutTimer_, &QTimer::timeout, this, [this] { CheckMovedOut(); });
}

// ---- dragging out ---------------------------------------------------------------------------

std::unique_ptr<QMimeData> ThumbnailView::SelectionMimeData() const {
    QList<QUrl> urls;
    for (int i = 0; i < EntryCount(); ++i) {
        const MExplorerItem* entry = Entry(i);
        if (!entry->Selected ||
            (entry->GetAttributes(shell::SFGAO_FILESYSTEM) & shell::SFGAO_FILESYSTEM) == 0) {
            continue;
        }
        const QString path = QString::fromStdString(entry->GetDisplayName(shell::SHGDN_FORPARSING));
        if (QDir::isAbsolutePath(path)) urls << QUrl::fromLocalFile(path);
    }
    if (urls.isEmpty()) return nullptr;
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);  // text/uri-list
    return data;
}

bool ThumbnailView::PressMayStartDrag(const QMouseEvent& event) const {
    // The press a double click delivers again is the double click's own.
    if (event.type() != QEvent::MouseButtonPress || event.button() != Qt::LeftButton ||
        SkipNextMouseDown || !state_.Folder) {
        return false;
    }
    if (event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) return false;
    const QPoint at = event.position().toPoint();
    const HitInfo hit = HitTest(at.x(), at.y());
    if (hit.Area != HitInfo::kAreaGrid || hit.EntryIndex < 0) return false;
    // A name that opens its entry on a click does so at once.
    const bool onCell = hit.Target == HitInfo::kTargetThumb ||
                        (hit.Target == HitInfo::kTargetName && OpenFileMouse() != kClickText);
    return onCell && Entry(hit.EntryIndex)->Selected;
}

void ThumbnailView::ItemPaintMousePress(QMouseEvent* event) {
    dragPress_.reset();
    if (PressMayStartDrag(*event)) {
        setFocus();
        RenameEditExit();
        dragPress_.reset(event->clone());
        return;
    }
    MouseDownMovingTheFocus(event);
}

void ThumbnailView::ItemPaintMouseUp(QMouseEvent*) {
    if (!dragPress_) return;
    // No drag came of the press: it was a click, and does now what a click does.
    const std::unique_ptr<QMouseEvent> press = std::move(dragPress_);
    MouseDownMovingTheFocus(press.get());
}

bool ThumbnailView::DragFromPendingPress(const QMouseEvent& event) {
    if (!dragPress_) return false;
    if (!(event.buttons() & Qt::LeftButton)) {  // the release went elsewhere
        dragPress_.reset();
        return false;
    }
    const QPointF moved = event.position() - dragPress_->position();
    if (moved.manhattanLength() < QApplication::startDragDistance()) return false;
    const QPoint from = dragPress_->position().toPoint();
    dragPress_.reset();
    StartDrag(from);
    return true;
}

void ThumbnailView::StartDrag(QPoint from) {
    std::unique_ptr<QMimeData> data = SelectionMimeData();
    if (!data) return;
    QStringList paths;
    for (const QUrl& url : data->urls()) paths << url.toLocalFile();

    // Qt deletes the drag once it is done with it, which may be after the drag has ended: a
    // drop into another program asks it for the data then. The paint box owns it until then.
    auto* drag = new QDrag(ItemPaint);
    const HitInfo hit = HitTest(from.x(), from.y());
    if (MExplorerItem* entry = Entry(hit.EntryIndex)) {
        const QImage picture = Picture(*entry);
        const QSize fitted = FitPicture(picture.size(), cell::kThumbBox.size());
        if (!picture.isNull() && !fitted.isEmpty()) {
            drag->setPixmap(QPixmap::fromImage(
                picture.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
            drag->setHotSpot(QPoint(fitted.width() / 2, fitted.height() / 2));
        }
    }
    drag->setMimeData(data.release());
    dropHandledHere_ = false;
    draggingOut_ = true;
    const Qt::DropAction action = ExecDrag(*drag, kOfferedActions, Qt::CopyAction);
    draggingOut_ = false;
    // The entries may be gone now: a drop onto this grid lists the folder again.
    if (action == Qt::MoveAction && !dropHandledHere_) WatchMovedOut(paths);
}

void ThumbnailView::WatchMovedOut(const QStringList& paths) {
    // A target in another program may still be moving the files when the drag ends: the folder
    // is listed again once they are all gone, or after a while in any case.
    movedOut_ = paths;
    movedOutChecks_ = 0;
    CheckMovedOut();
}

void ThumbnailView::CheckMovedOut() {
    const bool gone = std::none_of(movedOut_.cbegin(), movedOut_.cend(), [](const QString& path) {
        std::error_code error;
        return std::filesystem::exists(std::filesystem::symlink_status(path.toStdString(), error));
    });
    if (!gone && ++movedOutChecks_ < kMovedOutChecks) {
        movedOutTimer_.start(kMovedOutPollMs);
        return;
    }
    movedOut_.clear();
    emit FilesMovedOut();
}

// ---- dropping in ----------------------------------------------------------------------------

int ThumbnailView::FolderCellAt(QPoint viewportPoint) const {
    if (!state_.Folder) return -1;
    const QPoint at = ItemPaint->mapFrom(viewport(), viewportPoint);
    const HitInfo hit = HitTest(at.x(), at.y());
    if (hit.Area != HitInfo::kAreaGrid || hit.EntryIndex < 0) return -1;
    const MExplorerItem* entry = Entry(hit.EntryIndex);
    return entry && !FileSystemFolderPath(*entry).isEmpty() ? hit.EntryIndex : -1;
}

ThumbnailView::DropPlan ThumbnailView::PlanDrop(const QDropEvent& event) {
    DropPlan plan;
    plan.Paths = DraggedPaths(event.mimeData());
    if (plan.Paths.isEmpty() || !state_.Folder) return plan;
    plan.Cell = FolderCellAt(event.position().toPoint());
    plan.Destination = FileSystemFolderPath(plan.Cell >= 0 ? *Entry(plan.Cell) : *state_.Folder);
    if (plan.Destination.isEmpty()) return plan;  // a virtual folder takes no files
    // Cells dragged within their own grid and let go beside any folder would land where they
    // already are.
    if (plan.Cell < 0 && draggingOut_) return plan;

    // Shift, or a source that proposes it, makes the drop a move; otherwise it copies.
    const Qt::DropActions possible = event.possibleActions();
    const bool wantMove =
        (event.modifiers() & Qt::ShiftModifier) || event.proposedAction() == Qt::MoveAction;
    if (wantMove && (possible & Qt::MoveAction)) {
        plan.Kind = fileops::TransferKind::Move;
    } else if (possible & Qt::CopyAction) {
        plan.Kind = fileops::TransferKind::Copy;
    } else if (possible & Qt::MoveAction) {
        plan.Kind = fileops::TransferKind::Move;
    } else {
        return plan;
    }

    if (plan.Destination != checkedDestination_ || plan.Kind != checkedKind_) {
        checkedDestination_ = plan.Destination;
        checkedKind_ = plan.Kind;
        checkedAllowed_ =
            fileops::CheckTransfer(plan.Kind, ToStd(plan.Paths), plan.Destination.toStdString()) ==
            fileops::TransferRefusal::None;
    }
    plan.Allowed = checkedAllowed_;
    return plan;
}

void ThumbnailView::ShowDropAt(QDropEvent& event) {
    const DropPlan plan = PlanDrop(event);
    SetDropTarget(plan.Allowed ? plan.Cell : -1);
    if (!plan.Allowed) {
        event.ignore();
        return;
    }
    event.setDropAction(plan.Kind == fileops::TransferKind::Move ? Qt::MoveAction : Qt::CopyAction);
    event.accept();
}

void ThumbnailView::SetDropTarget(int index) {
    if (index == dropTarget_) return;
    InvalidateItem(dropTarget_);
    dropTarget_ = index;
    InvalidateItem(dropTarget_);
}

void ThumbnailView::dragEnterEvent(QDragEnterEvent* event) {
    checkedDestination_.clear();  // a new drag: its files are checked afresh
    if (DraggedPaths(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    ShowDropAt(*event);
    // Taken even where this spot refuses the files, so the moves over the grid keep coming.
    event->accept();
}

void ThumbnailView::dragMoveEvent(QDragMoveEvent* event) {
    ShowDropAt(*event);
}

void ThumbnailView::dragLeaveEvent(QDragLeaveEvent* event) {
    SetDropTarget(-1);
    checkedDestination_.clear();
    event->accept();
}

void ThumbnailView::dropEvent(QDropEvent* event) {
    checkedDestination_.clear();  // the files may have changed since the drag came in
    const DropPlan plan = PlanDrop(*event);
    checkedDestination_.clear();
    SetDropTarget(-1);
    if (!plan.Allowed) {
        event->ignore();
        return;
    }
    event->setDropAction(plan.Kind == fileops::TransferKind::Move ? Qt::MoveAction
                                                                  : Qt::CopyAction);
    event->accept();
    if (draggingOut_) dropHandledHere_ = true;
    emit FilesDropped(plan.Kind, plan.Paths, plan.Destination);
}

}  // namespace pixelary
