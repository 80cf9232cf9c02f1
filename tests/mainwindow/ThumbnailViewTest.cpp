// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnail view on its own, without the main window: what it asks of the rest of the
// program goes out through its signals and the key commands it was given.
#include <QAction>
#include <QSignalSpy>
#include <QtTest>

#include "mainwindow/BrowserState.h"
#include "mainwindow/Controls.h"
#include "mainwindow/TestEnvironment.h"
#include "mainwindow/ThumbnailView.h"
#include "model/MExplorerItem.h"
#include "settings/Settings.h"

using namespace pixelary;
using testing::MakeFolder;
using testing::WriteFile;

class ThumbnailViewTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        folder_ = MakeFolder(QStringLiteral("alone"));
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteFile(folder_ + "/" + name, 3);
    }

    void init() {
        ProcessSettings().OpenFileMouse = kDoubleClickIcon;
        state_.Folder = std::make_unique<MExplorerItem>(folder_.toStdString());
        view_ = std::make_unique<ThumbnailView>(state_);
        view_->SetKeyCommands({.Rename = &rename_, .Refresh = &refresh_});
        view_->resize(600, 400);
        view_->show();
        QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
        view_->ArrangeItems();
        QCOMPARE(view_->EntryCount(), 3);
    }
    void cleanup() {
        view_.reset();
        state_.Folder.reset();
    }

    void DoubleClickAsksToOpenTheEntry() {
        QSignalSpy open(view_.get(), &ThumbnailView::OpenRequested);
        const QPoint at = CellRect(view_->CurrentGrid(), 1).topLeft() + cell::kThumbBox.center();
        QTest::mouseClick(view_->ItemPaint, Qt::LeftButton, {}, at);
        QTest::mouseDClick(view_->ItemPaint, Qt::LeftButton, {}, at);
        QTest::mouseRelease(view_->ItemPaint, Qt::LeftButton, {}, at);
        QCOMPARE(open.count(), 1);
        QCOMPARE(open.at(0).at(0).toInt(), 1);
        QVERIFY(view_->Entry(1)->Selected);
    }

    void KeysMoveTheFocusOpenAndRunTheGivenCommands() {
        QSignalSpy open(view_.get(), &ThumbnailView::OpenRequested);
        QSignalSpy renamed(&rename_, &QAction::triggered);
        QSignalSpy refreshed(&refresh_, &QAction::triggered);
        view_->setFocus();
        QTest::keyClick(view_.get(), Qt::Key_End);
        QCOMPARE(view_->FocusIndex, 2);
        QTest::keyClick(view_.get(), Qt::Key_Return);
        QCOMPARE(open.count(), 1);
        QCOMPARE(open.at(0).at(0).toInt(), 2);
        QTest::keyClick(view_.get(), Qt::Key_F2);
        QTest::keyClick(view_.get(), Qt::Key_F5);
        QCOMPARE(renamed.count(), 1);
        QCOMPARE(refreshed.count(), 1);
        // Commands it was not given are left alone.
        QTest::keyClick(view_.get(), Qt::Key_Delete);
        QTest::keyClick(view_.get(), Qt::Key_Backspace);
        QCOMPARE(open.count(), 1);
    }

    void PaintingReportsTheCountsAndAsksForTheInfoPanel() {
        QSignalSpy counts(view_.get(), &ThumbnailView::StatusCountsChanged);
        QSignalSpy info(view_.get(), &ThumbnailView::InfoPanelStale);
        view_->Entry(0)->Selected = true;
        view_->ItemPaint->grab();
        QVERIFY(!counts.isEmpty());
        QCOMPARE(counts.last().at(0).toString(),
                 QStringLiteral("檔案夾:0  檔案數:3  巳選擇項目:1"));
        QVERIFY(!info.isEmpty());
        // The focused entry is what the info panel shows, else the folder itself.
        QCOMPARE(view_->FocusedOrFolder(), state_.Folder.get());
        view_->FocusIndex = 1;
        QCOMPARE(view_->FocusedOrFolder(), view_->Entry(1));
    }

  private:
    BrowserState state_;
    std::unique_ptr<ThumbnailView> view_;
    QAction rename_;
    QAction refresh_;
    QString folder_;
};

PIXELARY_QTEST_MAIN(ThumbnailViewTest)
#include "ThumbnailViewTest.moc"
