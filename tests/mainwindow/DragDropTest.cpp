// SPDX-License-Identifier: GPL-3.0-or-later
// Dragging the selection out of the thumbnail grid and dropping files onto it, through the
// event loop: mouse events on the grid, and drag events with real mime data on its viewport.
#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QFile>
#include <QMimeData>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include "core/Dib.h"
#include "mainwindow/Controls.h"
#include "mainwindow/Main.h"
#include "mainwindow/TestEnvironment.h"
#include "mainwindow/ThumbnailView.h"
#include "mainwindow/ViewGeometry.h"
#include "model/MExplorerItem.h"

using namespace pixelary;
using namespace pixelary::testing;

namespace {

QList<QUrl> Urls(const QStringList& paths) {
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    return urls;
}

}  // namespace

class DragDropTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        form_ = std::make_unique<TMainForm>();
        form_->resize(800, 600);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        asked_.clear();
        overwrite_ = fileops::OverwriteAnswer::Yes;
        form_->FileOps.AskOverwrite = [this](const QString& target) {
            asked_ << target;
            return overwrite_;
        };
        drags_ = 0;
        dragUrls_.clear();
        form_->ItemScrollBox->ExecDrag = [this](QDrag& drag, Qt::DropActions offered,
                                                Qt::DropAction proposed) {
            ++drags_;
            dragObject_ = &drag;
            dragUrls_ = drag.mimeData()->urls();
            dragHasUriList_ = drag.mimeData()->hasFormat(QStringLiteral("text/uri-list"));
            dragHasPixmap_ = !drag.pixmap().isNull();
            offered_ = offered;
            proposed_ = proposed;
            return targetAction_ ? targetAction_() : Qt::IgnoreAction;
        };
        targetAction_ = nullptr;
    }
    void cleanup() { form_.reset(); }

    // ---- dragging out ----

    void DragDataHoldsTheSelectedFilesInViewOrder() {
        const QString folder = Open("拖出", {"c.bmp", "a.bmp", "b.bmp"});
        QDir(folder).mkdir("相簿");
        form_->CmViewRefreshClick();
        QVERIFY(!form_->ItemScrollBox->SelectionMimeData());  // nothing selected
        Select({"c.bmp", "相簿", "a.bmp"});
        const auto data = form_->ItemScrollBox->SelectionMimeData();
        QVERIFY(data);
        QVERIFY(data->hasFormat(QStringLiteral("text/uri-list")));
        // Folders first, then files by name: the order the grid shows them in.
        QCOMPARE(data->urls(), Urls({folder + "/相簿", folder + "/a.bmp", folder + "/c.bmp"}));

        // Virtual entries of the desktop have no file to hand out.
        form_->CmDesktopClick();
        QVERIFY(form_->EntryCount() > 0);
        for (int i = 0; i < form_->EntryCount(); ++i) form_->Entry(i)->Selected = 1;
        const auto desktop = form_->ItemScrollBox->SelectionMimeData();
        for (const QUrl& url : desktop ? desktop->urls() : QList<QUrl>()) {
            QVERIFY2(url.isLocalFile() && QFileInfo::exists(url.toLocalFile()),
                     qPrintable(url.toString()));
        }
    }

    void PressAndMoveOnASelectedCellDragsTheWholeSelection() {
        const QString folder = Open("拖曳", {"a.bmp", "b.bmp", "c.bmp"});
        ClickThumbnail(0);
        ClickThumbnail(2, Qt::ControlModifier);
        const QPoint at = ThumbPoint(2);
        const int distance = QApplication::startDragDistance();
        QTest::mousePress(form_->ItemPaint, Qt::LeftButton, {}, at);
        QTest::mouseMove(form_->ItemPaint, at + QPoint(distance - 1, 0));
        QCOMPARE(drags_, 0);                 // not far enough yet
        QVERIFY(form_->Entry(0)->Selected);  // and the press has not reduced the selection
        QTest::mouseMove(form_->ItemPaint, at + QPoint(distance, 0));
        QCOMPARE(drags_, 1);
        QCOMPARE(dragUrls_, Urls({folder + "/a.bmp", folder + "/c.bmp"}));
        QVERIFY(dragHasUriList_);
        QVERIFY(dragHasPixmap_);
        QCOMPARE(offered_, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
        QCOMPARE(proposed_, Qt::CopyAction);
        QTest::mouseMove(form_->ItemPaint, at + QPoint(3 * distance, 0));
        QTest::mouseRelease(form_->ItemPaint, Qt::LeftButton, {}, at + QPoint(3 * distance, 0));
        QCOMPARE(drags_, 1);  // one drag per press
        QCOMPARE(SelectedNames(), QStringList({"a.bmp", "c.bmp"}));
        // A drop into another program asks the drag for its data after the drag has ended here:
        // the grid leaves deleting it to the platform.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dragObject_);
        QCOMPARE(dragObject_->mimeData()->urls(), dragUrls_);
    }

    void ClicksBehaveAsBeforeAndOnlyASelectedCellDrags() {
        Open("點選", {"a.bmp", "b.bmp", "c.bmp"});
        const int far = 3 * QApplication::startDragDistance();
        // An unselected cell: the press selects it, moving on drags nothing.
        QTest::mousePress(form_->ItemPaint, Qt::LeftButton, {}, ThumbPoint(1));
        QCOMPARE(SelectedNames(), QStringList({"b.bmp"}));
        QTest::mouseMove(form_->ItemPaint, ThumbPoint(1) + QPoint(far, 0));
        QTest::mouseRelease(form_->ItemPaint, Qt::LeftButton, {}, ThumbPoint(1) + QPoint(far, 0));
        QCOMPARE(drags_, 0);

        // A click on one of several selected cells leaves it the only one, once released.
        ClickThumbnail(0, Qt::ShiftModifier);
        QCOMPARE(SelectedNames(), QStringList({"a.bmp", "b.bmp"}));
        ClickThumbnail(1);
        QCOMPARE(SelectedNames(), QStringList({"b.bmp"}));
        QCOMPARE(form_->FocusIndex, 1);

        // Ctrl on a selected cell unselects it at the press and drags nothing.
        QTest::mousePress(form_->ItemPaint, Qt::LeftButton, Qt::ControlModifier, ThumbPoint(1));
        QVERIFY(SelectedNames().isEmpty());
        QTest::mouseMove(form_->ItemPaint, ThumbPoint(1) + QPoint(far, 0));
        QTest::mouseRelease(form_->ItemPaint, Qt::LeftButton, Qt::ControlModifier,
                            ThumbPoint(1) + QPoint(far, 0));
        QCOMPARE(drags_, 0);

        // A double click on a selected cell still opens it.
        QString opened;
        form_->ExecuteFile = [&](const QString& path) { opened = path; };
        ClickThumbnail(2);
        QTest::mouseDClick(form_->ItemPaint, Qt::LeftButton, {}, ThumbPoint(2));
        QTest::mouseRelease(form_->ItemPaint, Qt::LeftButton, {}, ThumbPoint(2));
        QVERIFY2(opened.endsWith("/c.bmp"), qPrintable(opened));
        QCOMPARE(drags_, 0);
    }

    void AMoveByTheTargetListsTheFolderAgain() {
        const QString folder = Open("被移走", {"a.bmp", "b.bmp", "c.bmp"});
        const QString away = MakeFolder("移到這裡");
        QSignalSpy movedOut(form_->ItemScrollBox, &ThumbnailView::FilesMovedOut);
        // A copy changes nothing here.
        targetAction_ = [] { return Qt::CopyAction; };
        ClickThumbnail(0);
        DragFrom(0);
        QCOMPARE(drags_, 1);
        QCOMPARE(movedOut.count(), 0);

        // A target that has moved the file when the drag ends.
        targetAction_ = [&] {
            QFile::rename(folder + "/a.bmp", away + "/a.bmp");
            return Qt::MoveAction;
        };
        DragFrom(0);
        QCOMPARE(movedOut.count(), 1);
        QCOMPARE(form_->EntryCount(), 2);

        // A target in another program that is still moving it when the drag ends.
        targetAction_ = [&] {
            QTimer::singleShot(400, [&] { QFile::rename(folder + "/b.bmp", away + "/b.bmp"); });
            return Qt::MoveAction;
        };
        ClickThumbnail(0);
        DragFrom(0);
        QCOMPARE(movedOut.count(), 1);
        QTRY_COMPARE(movedOut.count(), 2);
        QCOMPARE(form_->EntryCount(), 1);
        QCOMPARE(QString::fromStdString(form_->Entry(0)->GetName()), QStringLiteral("c"));
    }

    // ---- dropping in ----

    void DropCopiesIntoTheShownFolderAndShiftMoves() {
        const QString outside = MakeFolder("外面");
        WriteBmp(outside + "/x.bmp", 4, 4, 0x112233);
        WriteBmp(outside + "/y.bmp", 4, 4, 0x112233);
        const QString folder = Open("裡面", {"a.bmp"});
        const QPoint empty = EmptyPoint();

        QCOMPARE(Drop(empty, {outside + "/x.bmp"}), Qt::CopyAction);
        QVERIFY(QFile::exists(folder + "/x.bmp"));
        QVERIFY(QFile::exists(outside + "/x.bmp"));
        QCOMPARE(form_->EntryCount(), 2);  // listed again

        QCOMPARE(Drop(empty, {outside + "/y.bmp"}, Qt::ShiftModifier), Qt::MoveAction);
        QVERIFY(QFile::exists(folder + "/y.bmp"));
        QVERIFY(!QFile::exists(outside + "/y.bmp"));
        QCOMPARE(form_->EntryCount(), 3);

        // A source that offers nothing but a move gets one without Shift.
        WriteBmp(outside + "/z.bmp", 4, 4, 0x112233);
        QCOMPARE(Drop(empty, {outside + "/z.bmp"}, {}, Qt::MoveAction), Qt::MoveAction);
        QVERIFY(!QFile::exists(outside + "/z.bmp"));
        QVERIFY(asked_.isEmpty());
    }

    void DropOnAFolderCellGoesIntoItAndTheCellIsMarkedWhileHovered() {
        const QString outside = MakeFolder("外面2");
        WriteBmp(outside + "/x.bmp", 4, 4, 0x112233);
        const QString folder = Open("有資料夾", {"a.bmp"});
        QDir(folder).mkdir("相簿");
        form_->CmViewRefreshClick();
        const int album = IndexOf("相簿");
        const int file = IndexOf("a.bmp");
        QVERIFY(album >= 0 && file >= 0);
        QMimeData data;
        data.setUrls(Urls({outside + "/x.bmp"}));

        QDragEnterEvent enter(ToViewport(ThumbPoint(album)), Qt::CopyAction | Qt::MoveAction, &data,
                              Qt::LeftButton, {});
        QApplication::sendEvent(Viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(form_->ItemScrollBox->DropTargetIndex(), album);
        // The mark shows in the painted grid.
        const QRect cell = CellRect(form_->CurrentGrid(), album);
        const QImage painted = form_->ItemPaint->grab().toImage();
        QCOMPARE(painted.pixelColor(cell.center().x(), cell.top() + 2), QColor(255, 140, 0));
        QVERIFY(
            painted.pixelColor(cell.center().x(), cell.top() + 2) !=
            painted.pixelColor(CellRect(form_->CurrentGrid(), file).center().x(), cell.top() + 2));

        // Over a file, the files would go into the shown folder: no cell is marked.
        QDragMoveEvent overFile(ToViewport(ThumbPoint(file)), Qt::CopyAction | Qt::MoveAction,
                                &data, Qt::LeftButton, {});
        QApplication::sendEvent(Viewport(), &overFile);
        QVERIFY(overFile.isAccepted());
        QCOMPARE(form_->ItemScrollBox->DropTargetIndex(), -1);
        QDragMoveEvent back(ToViewport(ThumbPoint(album)), Qt::CopyAction | Qt::MoveAction, &data,
                            Qt::LeftButton, {});
        QApplication::sendEvent(Viewport(), &back);
        QCOMPARE(form_->ItemScrollBox->DropTargetIndex(), album);
        QDragLeaveEvent leave;
        QApplication::sendEvent(Viewport(), &leave);
        QCOMPARE(form_->ItemScrollBox->DropTargetIndex(), -1);

        QCOMPARE(Drop(ThumbPoint(album), {outside + "/x.bmp"}), Qt::CopyAction);
        QVERIFY(QFile::exists(folder + "/相簿/x.bmp"));
        QVERIFY(!QFile::exists(folder + "/x.bmp"));
        QCOMPARE(form_->ItemScrollBox->DropTargetIndex(), -1);
    }

    void AnExistingTargetIsAskedAboutThroughTheOverwriteQuestion() {
        const QString outside = MakeFolder("外面3");
        WriteBmp(outside + "/a.bmp", 4, 4, 0x445566);
        const QString folder = Open("已有", {"b.bmp"});
        WriteBmp(folder + "/a.bmp", 1, 1, 0x000000);
        form_->CmViewRefreshClick();

        overwrite_ = fileops::OverwriteAnswer::No;
        Drop(EmptyPoint(), {outside + "/a.bmp"});
        QCOMPARE(asked_, QStringList({folder + "/a.bmp"}));
        QCOMPARE(Dib::LoadFromFile((folder + "/a.bmp").toStdString()).Width(), 1);  // kept

        overwrite_ = fileops::OverwriteAnswer::Yes;
        Drop(EmptyPoint(), {outside + "/a.bmp"}, Qt::ShiftModifier);
        QCOMPARE(asked_.size(), 2);
        QCOMPARE(Dib::LoadFromFile((folder + "/a.bmp").toStdString()).Width(), 4);  // replaced
        QVERIFY(!QFile::exists(outside + "/a.bmp"));
    }

    void RefusedDropsChangeNothing() {
        const QString folder = Open("拒絕", {"a.bmp"});
        QDir(folder).mkpath("相簿/內層");
        form_->CmViewRefreshClick();
        const QPoint album = ThumbPoint(IndexOf("相簿"));

        // Anything but local files is not taken at all.
        QMimeData web;
        web.setUrls({QUrl("https://example.invalid/a.bmp")});
        QDragEnterEvent enter(ToViewport(EmptyPoint()), Qt::CopyAction, &web, Qt::LeftButton, {});
        QApplication::sendEvent(Viewport(), &enter);
        QVERIFY(!enter.isAccepted());
        QCOMPARE(Drop(EmptyPoint(), {}, {}, Qt::CopyAction | Qt::MoveAction,
                      {QUrl::fromLocalFile(folder + "/a.bmp"), QUrl("sftp://host/b.bmp")}),
                 Qt::IgnoreAction);
        QMimeData text;
        text.setText(folder + "/a.bmp");
        QDragEnterEvent plain(ToViewport(EmptyPoint()), Qt::CopyAction, &text, Qt::LeftButton, {});
        QApplication::sendEvent(Viewport(), &plain);
        QVERIFY(!plain.isAccepted());

        // Moved into the folder it is in: nothing to do.
        QCOMPARE(Drop(EmptyPoint(), {folder + "/a.bmp"}, Qt::ShiftModifier), Qt::IgnoreAction);
        // A folder onto its own cell, or into a folder inside it.
        QCOMPARE(Drop(album, {folder + "/相簿"}), Qt::IgnoreAction);
        form_->GotoFolderPath(folder + "/相簿/內層");
        QCOMPARE(Drop(EmptyPoint(), {folder + "/相簿"}, Qt::ShiftModifier), Qt::IgnoreAction);
        QVERIFY(QDir(folder + "/相簿/內層").exists());
        QCOMPARE(form_->EntryCount(), 0);
        // The desktop is no folder to save in.
        form_->CmDesktopClick();
        QCOMPARE(Drop(QPoint(form_->ItemPaint->width() - 5, form_->ItemPaint->height() - 5),
                      {folder + "/a.bmp"}),
                 Qt::IgnoreAction);
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList({"a.bmp"}));
        QVERIFY(asked_.isEmpty());

        // Copied into the folder it is in, a file gets a numbered name, as with copy-to.
        form_->GotoFolderPath(folder);
        QCOMPARE(Drop(EmptyPoint(), {folder + "/a.bmp"}), Qt::CopyAction);
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList({"a (2).bmp", "a.bmp"}));
    }

    void ADragWithinTheGridGoesIntoAFolderCellButNotBackIntoItsOwnFolder() {
        const QString folder = Open("自己", {"a.bmp", "b.bmp"});
        QDir(folder).mkdir("相簿");
        form_->CmViewRefreshClick();
        const int album = IndexOf("相簿");
        QSignalSpy movedOut(form_->ItemScrollBox, &ThumbnailView::FilesMovedOut);
        // The platform's drag, standing in: it carries the drag's data over the grid and lets
        // go there with the keys held, while the drag runs.
        QPoint releaseAt;
        Qt::KeyboardModifiers keys;
        Qt::DropAction result = Qt::IgnoreAction;
        form_->ItemScrollBox->ExecDrag = [&](QDrag& drag, Qt::DropActions offered, Qt::DropAction) {
            return result = Deliver(releaseAt, drag.mimeData(), offered, keys);
        };

        // Let go beside any folder, the file would land where it is: refused, even as a copy.
        ClickThumbnail(IndexOf("a.bmp"));
        for (const QPoint at : {EmptyPoint(), ThumbPoint(IndexOf("b.bmp"))}) {
            releaseAt = at;
            DragFrom(IndexOf("a.bmp"));
            QCOMPARE(result, Qt::IgnoreAction);
        }
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList({"a.bmp", "b.bmp"}));

        // Onto the folder cell: a copy, and with Shift a move, after which the grid is listed
        // again once, by the drop.
        releaseAt = ThumbPoint(album);
        DragFrom(IndexOf("a.bmp"));
        QCOMPARE(result, Qt::CopyAction);
        QVERIFY(QFile::exists(folder + "/相簿/a.bmp"));
        ClickThumbnail(IndexOf("b.bmp"));
        keys = Qt::ShiftModifier;
        DragFrom(IndexOf("b.bmp"));
        QCOMPARE(result, Qt::MoveAction);
        QVERIFY(QFile::exists(folder + "/相簿/b.bmp"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList({"a.bmp"}));
        QCOMPARE(form_->EntryCount(), 2);
        QCOMPARE(movedOut.count(), 0);
    }

  private:
    QString Open(const QString& name, const QStringList& files) {
        const QString folder = MakeFolder(name);
        for (const QString& file : files) WriteBmp(folder + "/" + file, 4, 4, 0x808080);
        form_->GotoFolderPath(folder);
        return folder;
    }

    QWidget* Viewport() const { return form_->ItemScrollBox->viewport(); }
    QPoint ToViewport(QPoint inPaint) const { return form_->ItemPaint->mapTo(Viewport(), inPaint); }
    QPoint ThumbPoint(int index) const {
        return CellRect(form_->CurrentGrid(), index).topLeft() + cell::kThumbBox.center();
    }
    // A point of the grid below every cell.
    QPoint EmptyPoint() const { return QPoint(20, form_->ItemPaint->height() - 5); }

    void ClickThumbnail(int index, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(form_->ItemPaint, Qt::LeftButton, modifiers, ThumbPoint(index));
    }

    // Presses on a cell and moves far enough to start a drag, then lets go.
    void DragFrom(int index) {
        const QPoint at = ThumbPoint(index);
        const QPoint away = at + QPoint(2 * QApplication::startDragDistance(), 0);
        QTest::mousePress(form_->ItemPaint, Qt::LeftButton, {}, at);
        QTest::mouseMove(form_->ItemPaint, away);
        QTest::mouseRelease(form_->ItemPaint, Qt::LeftButton, {}, away);
    }

    // Enters, moves over and drops at a point of the grid (given in the paint box); the action
    // the drop was accepted with, or IgnoreAction when it was refused.
    Qt::DropAction Deliver(QPoint at, const QMimeData* data, Qt::DropActions possible,
                           Qt::KeyboardModifiers modifiers) {
        const QPoint point = ToViewport(at);
        QDragEnterEvent enter(point, possible, data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(Viewport(), &enter);
        QDragMoveEvent move(point, possible, data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(Viewport(), &move);
        QDropEvent drop(point, possible, data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(Viewport(), &drop);
        // What the hover showed, the drop does.
        if (move.isAccepted() != drop.isAccepted()) {
            qWarning("hover and drop disagree");
            return Qt::LinkAction;
        }
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }

    // The same for local files, or for any URLs.
    Qt::DropAction Drop(QPoint at, const QStringList& paths, Qt::KeyboardModifiers modifiers = {},
                        Qt::DropActions possible = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction,
                        const QList<QUrl>& urls = {}) {
        QMimeData data;
        data.setUrls(urls.isEmpty() ? Urls(paths) : urls);
        return Deliver(at, &data, possible, modifiers);
    }

    int IndexOf(const QString& fileName) const { return testing::EntryIndex(*form_, fileName); }

    void Select(const QStringList& fileNames) { testing::SelectEntries(*form_, fileNames); }

    QStringList SelectedNames() const {
        QStringList names;
        for (int i = 0; i < form_->EntryCount(); ++i) {
            MExplorerItem* entry = form_->Entry(i);
            if (entry->Selected)
                names << QString::fromStdString(entry->GetName() + entry->GetExt());
        }
        return names;
    }

    std::unique_ptr<TMainForm> form_;
    QStringList asked_;
    fileops::OverwriteAnswer overwrite_ = fileops::OverwriteAnswer::Yes;
    int drags_ = 0;
    QList<QUrl> dragUrls_;
    bool dragHasUriList_ = false;
    bool dragHasPixmap_ = false;
    Qt::DropActions offered_;
    Qt::DropAction proposed_ = Qt::IgnoreAction;
    std::function<Qt::DropAction()> targetAction_;
    QPointer<QDrag> dragObject_;
};

PIXELARY_QTEST_MAIN(DragDropTest)
#include "DragDropTest.moc"
