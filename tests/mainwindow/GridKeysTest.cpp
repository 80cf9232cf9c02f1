// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnail view's keyboard, driven by key events sent to the window as a user types them.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QScrollBar>
#include <QToolButton>
#include <QWindow>
#include <QtTest>

#include "mainwindow/Controls.h"
#include "mainwindow/Main.h"
#include "mainwindow/TestEnvironment.h"
#include "mainwindow/ViewGeometry.h"
#include "model/MExplorerItem.h"
#include "model/MFolderPath.h"
#include "model/MWalkQueue.h"
#include "settings/Settings.h"

using namespace pixelary;
using namespace pixelary::testing;

namespace {

QList<int> SelectedEntries(const TMainForm& form) {
    QList<int> selected;
    for (int i = 0; i < form.EntryCount(); ++i) {
        if (form.Entry(i)->Selected) selected << i;
    }
    return selected;
}

QList<int> Range(int first, int last) {
    QList<int> range;
    for (int i = first; i <= last; ++i) range << i;
    return range;
}

QString ShownFolderName(const TMainForm& form) {
    return QString::fromStdString(form.Folder->GetName());
}

// Pixels of `colour` on the line one pixel inside the top edge of an entry's cell, where the
// focus rectangle runs and nothing else is drawn.
int FocusLinePixels(const TMainForm& form, int index, QRgb colour) {
    const QImage image = form.ItemPaint->grab().toImage();
    const QRect cell = CellRect(form.CurrentGrid(), index);
    int count = 0;
    for (int x = cell.left() + 1; x < cell.right() - 1; ++x) {
        count += image.pixel(x, cell.top() + 1) == colour;
    }
    return count;
}

}  // namespace

class GridKeysTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        folder_ = MakeFolder(QStringLiteral("鍵盤"));
        QDir(folder_).mkdir(QStringLiteral("dirA"));
        WriteFile(folder_ + "/dirA/inner.txt", 5);
        for (int i = 0; i < 11; ++i)
            WriteFile(folder_ + QStringLiteral("/f%1.txt").arg(i, 2, 10, QChar('0')), 1);
    }

    void init() {
        form_ = std::make_unique<TMainForm>();
        ProcessSettings().OpenFileMouse = kDoubleClickIcon;
        opened_.clear();
        form_->ExecuteFile = [this](const QString& path) { opened_ << path; };
        form_->resize(800, 600);
        form_->show();
        QApplication::setActiveWindow(form_.get());
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        form_->GotoFolderPath(folder_);
        QCOMPARE(form_->EntryCount(), 12);  // dirA, f00 .. f10
        // The grid takes the keys as after a click into it.
        form_->ItemScrollBox->setFocus(Qt::MouseFocusReason);
        QVERIFY(form_->ItemScrollBox->hasFocus());
        QVERIFY(form_->Columns >= 3);
    }
    void cleanup() { form_.reset(); }

    void TheGridHasTheKeysWhenTheWindowOpens() {
        TMainForm form;
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QVERIFY(form.EntryCount() > 0);  // the desktop
        QVERIFY(form.ItemScrollBox->hasFocus());
        QTest::keyClick(form.windowHandle(), Qt::Key_Right);
        QCOMPARE(form.FocusIndex, 0);
        QCOMPARE(SelectedEntries(form), QList<int>({0}));
    }

    void ArrowsHomeAndEndMoveTheFocusAndSelectIt() {
        const int columns = form_->Columns;
        Press(Qt::Key_Down);  // the first move only puts the focus on the first entry
        QCOMPARE(form_->FocusIndex, 0);
        QCOMPARE(SelectedEntries(*form_), QList<int>({0}));
        Press(Qt::Key_Right);
        QCOMPARE(form_->FocusIndex, 1);
        QCOMPARE(SelectedEntries(*form_), QList<int>({1}));
        Press(Qt::Key_Down);
        QCOMPARE(form_->FocusIndex, 1 + columns);
        QCOMPARE(SelectedEntries(*form_), QList<int>({1 + columns}));
        Press(Qt::Key_Left);
        Press(Qt::Key_Left);  // Left goes on to the end of the row above
        QCOMPARE(form_->FocusIndex, columns - 1);
        Press(Qt::Key_Up);  // the top row stays
        QCOMPARE(form_->FocusIndex, columns - 1);
        Press(Qt::Key_End);
        QCOMPARE(form_->FocusIndex, 11);
        QCOMPARE(SelectedEntries(*form_), QList<int>({11}));
        Press(Qt::Key_Right);  // nothing after the last entry
        QCOMPARE(form_->FocusIndex, 11);
        Press(Qt::Key_Home);
        QCOMPARE(form_->FocusIndex, 0);
        Press(Qt::Key_Left);
        QCOMPARE(form_->FocusIndex, 0);
        QCOMPARE(SelectedEntries(*form_), QList<int>({0}));
        // Down from the end of a row into a shorter last row ends on the last entry.
        const int lastRowStart = 11 / columns * columns;
        if (11 < lastRowStart + columns - 1) {
            Press(Qt::Key_End);
            for (int i = 11; i > lastRowStart - 1; --i) Press(Qt::Key_Left);
            QCOMPARE(form_->FocusIndex, lastRowStart - 1);
            Press(Qt::Key_Down);
            QCOMPARE(form_->FocusIndex, 11);
        }
    }

    void ShiftExtendsFromTheAnchorAlsoAfterAMouseClick() {
        Press(Qt::Key_Right);
        Press(Qt::Key_Right);  // focus 1
        Press(Qt::Key_Right, Qt::ShiftModifier);
        Press(Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(form_->FocusIndex, 3);
        QCOMPARE(SelectedEntries(*form_), Range(1, 3));
        Press(Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(SelectedEntries(*form_), Range(1, 2));
        Press(Qt::Key_Home, Qt::ShiftModifier);  // across the anchor
        QCOMPARE(SelectedEntries(*form_), Range(0, 1));
        Press(Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(SelectedEntries(*form_), Range(1, 11));

        // A click, then Shift with the keys goes on from the clicked entry.
        ClickThumbnail(5);
        Press(Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(SelectedEntries(*form_), Range(5, 6));
        // A Shift-click selects from the focus; the keys keep that range's far end.
        ClickThumbnail(8, Qt::ShiftModifier);
        QCOMPARE(SelectedEntries(*form_), Range(6, 8));
        Press(Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(SelectedEntries(*form_), Range(6, 9));
    }

    void CtrlMovesWithoutSelectingAndCtrlSpaceToggles() {
        Press(Qt::Key_Right);  // entry 0, selected
        Press(Qt::Key_Right, Qt::ControlModifier);
        Press(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(form_->FocusIndex, 2);
        QCOMPARE(SelectedEntries(*form_), QList<int>({0}));
        Press(Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(SelectedEntries(*form_), QList<int>({0, 2}));
        Press(Qt::Key_End, Qt::ControlModifier);
        Press(Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(SelectedEntries(*form_), QList<int>({0, 2, 11}));
        Press(Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(SelectedEntries(*form_), QList<int>({0, 2}));
        // The toggled entry is the new anchor; Ctrl+Shift adds the range to the selection.
        Press(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(SelectedEntries(*form_), QList<int>({0, 2, 10, 11}));
        Press(Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(SelectedEntries(*form_), Range(9, 11));
        // A plain Space is not a toggle.
        Press(Qt::Key_Space);
        QCOMPARE(SelectedEntries(*form_), Range(9, 11));
    }

    void PageKeysMoveByVisibleRowsAndKeepTheFocusInView() {
        form_->resize(500, 400);
        const QString many = MakeFolder(QStringLiteral("鍵盤多"));
        for (int i = 0; i < 60; ++i)
            WriteFile(many + QStringLiteral("/p%1.txt").arg(i, 2, 10, QChar('0')), 1);
        form_->GotoFolderPath(many);
        form_->ItemScrollBox->setFocus(Qt::MouseFocusReason);
        QTRY_COMPARE(form_->ItemScrollBox->viewport()->height() < 400, true);
        const int columns = form_->Columns;
        const int cellHeight = CellSizeFor(form_->ViewMode).height();
        const int page = std::max(1, form_->ItemScrollBox->viewport()->height() / cellHeight);
        QVERIFY(1 + 2 * page * columns < 60);  // two pages and more

        Press(Qt::Key_Right);
        Press(Qt::Key_Right);  // entry 1
        Press(Qt::Key_PageDown);
        QCOMPARE(form_->FocusIndex, 1 + page * columns);
        QCOMPARE(SelectedEntries(*form_), QList<int>({1 + page * columns}));
        VerifyFocusInView();
        Press(Qt::Key_PageDown, Qt::ShiftModifier);
        QCOMPARE(form_->FocusIndex, 1 + 2 * page * columns);
        QCOMPARE(SelectedEntries(*form_), Range(1 + page * columns, 1 + 2 * page * columns));
        VerifyFocusInView();
        Press(Qt::Key_PageUp);
        QCOMPARE(form_->FocusIndex, 1 + page * columns);
        VerifyFocusInView();
        Press(Qt::Key_End);
        VerifyFocusInView();
        QCOMPARE(form_->ItemScrollBox->verticalScrollBar()->value(),
                 form_->ItemScrollBox->verticalScrollBar()->maximum());
        for (int i = 0; i < 60 / columns / page + 1; ++i) Press(Qt::Key_PageUp);
        QCOMPARE(form_->FocusIndex, 59 % columns);  // the same column in the top row
        QCOMPARE(form_->ItemScrollBox->verticalScrollBar()->value(), 0);
        Press(Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(form_->FocusIndex, 59 % columns + page * columns);
        QCOMPARE(SelectedEntries(*form_), QList<int>({59 % columns}));
        VerifyFocusInView();
    }

    void EnterOpensTheFocusedEntryAndTheKeysStayInTheGrid() {
        Press(Qt::Key_Return);  // no focused entry: nothing opens
        QCOMPARE(ShownFolderName(*form_), QStringLiteral("鍵盤"));
        Press(Qt::Key_End);
        Press(Qt::Key_Return);
        QCOMPARE(opened_, QStringList({folder_ + "/f10.txt"}));
        Press(Qt::Key_Home);
        Press(Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(ShownFolderName(*form_), QStringLiteral("dirA"));
        QCOMPARE(form_->EntryCount(), 1);
        QCOMPARE(form_->FocusIndex, -1);
        // The load took the focus; the next keys still reach the grid of the new folder.
        Press(Qt::Key_Right);
        QCOMPARE(form_->FocusIndex, 0);
        QVERIFY(form_->ItemScrollBox->hasFocus());
        Press(Qt::Key_Return);
        QCOMPARE(opened_.last(), folder_ + "/dirA/inner.txt");
    }

    void KeysReachTheGridAfterTheMouseChangedTheFolder() {
        const QPoint thumb = CellRect(form_->CurrentGrid(), 0).topLeft() + cell::kThumbBox.center();
        QTest::mouseClick(form_->ItemPaint, Qt::LeftButton, {}, thumb);
        QTest::mouseDClick(form_->ItemPaint, Qt::LeftButton, {}, thumb);
        QTest::mouseRelease(form_->ItemPaint, Qt::LeftButton, {}, thumb);
        QCOMPARE(ShownFolderName(*form_), QStringLiteral("dirA"));
        Press(Qt::Key_Down);
        QCOMPARE(form_->FocusIndex, 0);
        QCOMPARE(SelectedEntries(*form_), QList<int>({0}));
        // A tool button takes no focus, and the load it starts leaves none: the keys still
        // belong to the grid.
        QTest::mouseClick(form_->UpPathBtn, Qt::LeftButton);
        QCOMPARE(ShownFolderName(*form_), QStringLiteral("鍵盤"));
        Press(Qt::Key_End);
        QCOMPARE(form_->FocusIndex, 11);
        QCOMPARE(SelectedEntries(*form_), QList<int>({11}));
        QVERIFY(form_->ItemScrollBox->hasFocus());
    }

    void BackspaceAndAltArrowsGoUpBackAndForward() {
        Press(Qt::Key_Home);
        Press(Qt::Key_Return);
        QCOMPARE(ShownFolderName(*form_), QStringLiteral("dirA"));
        const int depth = form_->History->Current()->Depth();
        Press(Qt::Key_Backspace);
        QCOMPARE(ShownFolderName(*form_), QStringLiteral("鍵盤"));
        QCOMPARE(form_->History->Current()->Depth(), depth - 1);
        const int count = form_->History->Count();
        Press(Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(ShownFolderName(*form_), QStringLiteral("dirA"));
        Press(Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(ShownFolderName(*form_), QStringLiteral("鍵盤"));
        Press(Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(ShownFolderName(*form_), QStringLiteral("dirA"));
        Press(Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(ShownFolderName(*form_), QStringLiteral("鍵盤"));
        QCOMPARE(form_->History->Count(), count);  // back and forward add no entries
        // At the newest entry forward is disabled; Alt with an arrow never moves the focus.
        Press(Qt::Key_Right);
        Press(Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(form_->FocusIndex, 0);
        QCOMPARE(form_->History->Count(), count);
        // At the top level Up is disabled and Backspace does nothing.
        form_->CmDesktopClick();
        form_->ItemScrollBox->setFocus(Qt::MouseFocusReason);
        const int atDesktop = form_->History->Count();
        Press(Qt::Key_Backspace);
        QCOMPARE(form_->History->Count(), atDesktop);
    }

    void F2RenamesInPlace() {
        Press(Qt::Key_F2);  // no focused entry: nothing to rename
        QVERIFY(form_->RenameEdit->isHidden());
        Press(Qt::Key_End);
        Press(Qt::Key_F2);
        QVERIFY(form_->RenameEdit->isVisible());
        QTRY_VERIFY(form_->RenameEdit->hasFocus());
        QCOMPARE(form_->RenameEdit->text(), QStringLiteral("f10.txt"));
        // Keys the edit has no use for do not move the grid's focus underneath it.
        Press(Qt::Key_Up);
        QCOMPARE(form_->FocusIndex, 11);
        QTest::keyClicks(form_->RenameEdit, QStringLiteral("sunset.txt"));
        Press(Qt::Key_Return);
        QVERIFY(form_->RenameEdit->isHidden());
        QVERIFY(QFile::exists(folder_ + "/sunset.txt"));
        QVERIFY(!QFile::exists(folder_ + "/f10.txt"));
        QVERIFY(form_->ItemScrollBox->hasFocus());
        QFile::rename(folder_ + "/sunset.txt", folder_ + "/f10.txt");
    }

    void DeleteMovesTheSelectionToTheTrashAfterTheConfirmation() {
        const QString folder = MakeFolder(QStringLiteral("鍵盤刪除"));
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteFile(folder + "/" + name, 3);
        form_->GotoFolderPath(folder);
        form_->ItemScrollBox->setFocus(Qt::MouseFocusReason);
        QStringList asked;
        bool answer = false;
        form_->FileOps.ConfirmDelete = [&](int count, const QString& first) {
            asked << QStringLiteral("%1 %2").arg(count).arg(first);
            return answer;
        };
        Press(Qt::Key_Right);
        Press(Qt::Key_Right, Qt::ShiftModifier);
        Press(Qt::Key_Delete);
        QCOMPARE(asked, QStringList({"2 a.txt"}));
        QVERIFY(QFile::exists(folder + "/a.txt"));  // the user said no

        answer = true;
        QCOMPARE(form_->FocusIndex, -1);  // the refresh after the answer cleared the focus
        Press(Qt::Key_End);               // c.txt alone
        Press(Qt::Key_Delete);
        QCOMPARE(asked.last(), QStringLiteral("1 c.txt"));
        QVERIFY(!QFile::exists(folder + "/c.txt"));
        QVERIFY(QFile::exists(TestEnvironment::Home() + "/.local/share/Trash/files/c.txt"));
        QCOMPARE(form_->EntryCount(), 2);
        // The refresh took the focus; the keys are the grid's again.
        Press(Qt::Key_End);
        QCOMPARE(form_->FocusIndex, 1);
    }

    void F5Refreshes() {
        const QString added = folder_ + "/zz.txt";
        WriteFile(added, 1);
        QCOMPARE(form_->EntryCount(), 12);
        Press(Qt::Key_F5);
        QCOMPARE(form_->EntryCount(), 13);
        QFile::remove(added);
        Press(Qt::Key_F5);
        QCOMPARE(form_->EntryCount(), 12);
    }

    void TheFocusedCellHasAFocusRectangleWhileTheGridHasTheKeys() {
        const QRgb black = qRgb(0, 0, 0);
        const QRgb white = qRgb(255, 255, 255);
        QCOMPARE(FocusLinePixels(*form_, 1, black), 0);
        Press(Qt::Key_Right, Qt::ControlModifier);
        Press(Qt::Key_Right, Qt::ControlModifier);  // entry 1, not selected: black dots
        QVERIFY(FocusLinePixels(*form_, 1, black) > 10);
        Press(Qt::Key_Space, Qt::ControlModifier);  // selected: white dots on navy
        QVERIFY(FocusLinePixels(*form_, 1, white) > 10);
        Press(Qt::Key_Right);
        QCOMPARE(FocusLinePixels(*form_, 1, black), 0);
        QCOMPARE(FocusLinePixels(*form_, 1, white), 0);
        QVERIFY(FocusLinePixels(*form_, 2, white) > 10);
        // A click moves the rectangle too.
        ClickThumbnail(4, Qt::ControlModifier);
        QCOMPARE(FocusLinePixels(*form_, 2, white), 0);
        QVERIFY(FocusLinePixels(*form_, 4, white) > 10);
        // Without the keyboard focus the grid shows no rectangle.
        form_->PathCombo->setFocus(Qt::TabFocusReason);
        QCOMPARE(FocusLinePixels(*form_, 4, white), 0);
    }

  private:
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        // Through the window, so the key goes wherever the focus is, as a typed key does.
        QTest::keyClick(form_->windowHandle(), key, modifiers);
    }

    void ClickThumbnail(int index, Qt::KeyboardModifiers modifiers = {}) {
        const QPoint at =
            CellRect(form_->CurrentGrid(), index).topLeft() + cell::kThumbBox.center();
        QTest::mouseClick(form_->ItemPaint, Qt::LeftButton, modifiers, at);
    }

    void VerifyFocusInView() {
        const QRect cell = CellRect(form_->CurrentGrid(), form_->FocusIndex);
        const int top = form_->ItemScrollBox->verticalScrollBar()->value();
        const int height = form_->ItemScrollBox->viewport()->height();
        QVERIFY2(cell.top() >= top && cell.bottom() < top + height,
                 qPrintable(QStringLiteral("cell %1..%2, view %3..%4")
                                .arg(cell.top())
                                .arg(cell.bottom())
                                .arg(top)
                                .arg(top + height - 1)));
    }

    std::unique_ptr<TMainForm> form_;
    QString folder_;
    QStringList opened_;
};

PIXELARY_QTEST_MAIN(GridKeysTest)
#include "GridKeysTest.moc"
