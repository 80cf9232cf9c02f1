// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnail view on a real folder: layout, painting, mouse selection, info panel, status bar.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

#include "core/Dib.h"
#include "mainwindow/Controls.h"
#include "mainwindow/Main.h"
#include "mainwindow/TestEnvironment.h"
#include "model/MExplorerItem.h"
#include "model/MWalkQueue.h"
#include "settings/Settings.h"

using namespace pixelary;
using testing::MakeFolder;
using testing::WriteFile;

namespace {

const QRgb kNavy = qRgb(0, 0, 128);
const QRgb kLime = qRgb(0, 255, 0);
const QRgb kSilver = qRgb(192, 192, 192);

QPoint ThumbPoint(const TMainForm& form, int index) {
    return CellRect(form.CurrentGrid(), index).topLeft() + QPoint(50, 40);
}
QPoint NamePoint(const TMainForm& form, int index) {
    return CellRect(form.CurrentGrid(), index).topLeft() + QPoint(55, 101);
}
QPoint FramePoint(const TMainForm& form, int index) {
    return CellRect(form.CurrentGrid(), index).topLeft() + QPoint(55, 90);
}

QList<int> SelectedEntries(const TMainForm& form) {
    QList<int> selected;
    for (int i = 0; i < form.EntryCount(); ++i) {
        if (form.Entry(i)->Selected) selected << i;
    }
    return selected;
}

}  // namespace

class MainViewTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        // dirA, dirB, then the files in name order.
        folder_ = MakeFolder(QStringLiteral("view"));
        QDir(folder_).mkdir(QStringLiteral("dirA"));
        QDir(folder_).mkdir(QStringLiteral("dirB"));
        WriteFile(folder_ + "/f1.txt", 1536, 2020, 5, 17);
        WriteFile(folder_ + "/f2.txt", 10);
        WriteFile(folder_ + "/f3.txt", 20);
        WriteFile(folder_ + "/f4.txt", 30);
        many_ = MakeFolder(QStringLiteral("many"));
        for (int i = 0; i < 40; ++i)
            WriteFile(many_ + QStringLiteral("/n%1.txt").arg(i, 2, 10, QChar('0')), 1);
        empty_ = MakeFolder(QStringLiteral("empty"));
    }

    void init() {
        form_ = std::make_unique<TMainForm>();
        ProcessSettings().OpenFileMouse = kDoubleClickIcon;
        opened_.clear();
        form_->ExecuteFile = [this](const QString& path) { opened_ << path; };
        form_->resize(800, 600);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        form_->GotoFolderPath(folder_);
        QCOMPARE(form_->EntryCount(), 6);
    }
    void cleanup() { form_.reset(); }

    void LayoutHasItsParts() {
        QVERIFY(form_->MainBar->isVisible());
        QCOMPARE(form_->PathBandLabel->text(), QStringLiteral("路徑:"));
        QVERIFY(!form_->PathCombo->isEditable());
        QCOMPARE(form_->InfoScrollBox->width(), 170);
        QCOMPARE(form_->StatusBar->height(), 19);
        QCOMPARE(form_->StatusBar->Panel(0)->width(), 150);
        QVERIFY(!form_->RenameEdit->isVisible());
        QVERIFY(!form_->RenameEdit->isEnabled());
        QCOMPARE(form_->font().pixelSize(), 12);
        QCOMPARE(form_->windowTitle(), QStringLiteral("Glimmora"));
        // The grid fills the scroll box's client width.
        const int client = form_->ItemScrollBox->viewport()->width();
        QCOMPARE(form_->Columns, client / 110);
        QCOMPARE(form_->GridLeft, (client - form_->Columns * 110) / 2);
        QCOMPARE(form_->ItemPaint->width(), std::max(form_->GridWidth, client));
    }

    void MouseSelectionSequence() {
        ItemPaintClick(ThumbPoint(*form_, 2));
        QCOMPARE(SelectedEntries(*form_), QList<int>({2}));
        QCOMPARE(form_->FocusIndex, 2);
        ItemPaintClick(ThumbPoint(*form_, 4), Qt::ControlModifier);
        QCOMPARE(SelectedEntries(*form_), QList<int>({2, 4}));
        QCOMPARE(form_->FocusIndex, 4);
        ItemPaintClick(ThumbPoint(*form_, 1), Qt::ShiftModifier);
        QCOMPARE(SelectedEntries(*form_), QList<int>({1, 2, 3, 4}));
        QCOMPARE(form_->FocusIndex, 1);
        ItemPaintClick(ThumbPoint(*form_, 3), Qt::ShiftModifier);
        QCOMPARE(SelectedEntries(*form_), QList<int>({1, 2, 3}));
        // Ctrl works anywhere in the cell, also on the frame between picture and name.
        ItemPaintClick(FramePoint(*form_, 2), Qt::ControlModifier);
        QCOMPARE(SelectedEntries(*form_), QList<int>({1, 3}));
        QCOMPARE(form_->FocusIndex, 2);
        // Ctrl wins over Shift.
        ItemPaintClick(ThumbPoint(*form_, 5), Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(SelectedEntries(*form_), QList<int>({1, 3, 5}));
        // A right click leaves the selection alone.
        QTest::mouseClick(form_->ItemPaint, Qt::RightButton, {}, ThumbPoint(*form_, 0));
        QCOMPARE(SelectedEntries(*form_), QList<int>({1, 3, 5}));
        // A plain click after the last entry unselects everything and hits nothing.
        const QRect last = CellRect(form_->CurrentGrid(), 5);
        ItemPaintClick(last.topLeft() + QPoint(last.width() + 50, 40));
        QCOMPARE(SelectedEntries(*form_), QList<int>());
        QCOMPARE(form_->FocusIndex, -1);
        QCOMPARE(form_->HotIndex, -1);
        // Shift with no focused entry selects just the clicked one.
        ItemPaintClick(ThumbPoint(*form_, 3), Qt::ShiftModifier);
        QCOMPARE(SelectedEntries(*form_), QList<int>({3}));
        // In the left margin of the centred grid: nothing selected, nothing hit.
        if (form_->GridLeft > 2) {
            ItemPaintClick(QPoint(1, 40));
            QCOMPARE(SelectedEntries(*form_), QList<int>());
        }
    }

    void NameClickWithDoubleClickModeSelectsNothing() {
        ItemPaintClick(ThumbPoint(*form_, 2));
        ItemPaintClick(NamePoint(*form_, 3));
        QCOMPARE(SelectedEntries(*form_), QList<int>());
        QVERIFY(opened_.isEmpty());
        QCOMPARE(form_->History->Count(), 2);
    }

    void DoubleClickOpensAndKeepsTheSelection() {
        ItemPaintDoubleClick(ThumbPoint(*form_, 2));
        QCOMPARE(opened_, QStringList({folder_ + "/f1.txt"}));
        // The double click's second press is swallowed, so the entry stays selected.
        QCOMPARE(SelectedEntries(*form_), QList<int>({2}));
        ItemPaintClick(ThumbPoint(*form_, 4));
        QCOMPARE(SelectedEntries(*form_), QList<int>({4}));
        // A double click on empty space opens nothing.
        const QRect last = CellRect(form_->CurrentGrid(), 5);
        ItemPaintDoubleClick(last.topLeft() + QPoint(last.width() + 50, 40));
        QCOMPARE(opened_.size(), 1);
        // A double click on a folder enters it.
        ItemPaintDoubleClick(ThumbPoint(*form_, 1));
        QCOMPARE(form_->History->Count(), 3);
        QCOMPARE(QString::fromStdString(form_->Folder->GetName()), QStringLiteral("dirB"));
    }

    void ClickOnNameOpensInClickTextMode() {
        ProcessSettings().OpenFileMouse = kClickText;
        ItemPaintClick(NamePoint(*form_, 2));
        QCOMPARE(opened_, QStringList({folder_ + "/f1.txt"}));
        // The hand cursor shows over a name.
        QTest::mouseMove(form_->ItemPaint, NamePoint(*form_, 0));
        QCOMPARE(form_->ItemPaint->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseMove(form_->ItemPaint, ThumbPoint(*form_, 0));
        QCOMPARE(form_->ItemPaint->cursor().shape(), Qt::ArrowCursor);
        ItemPaintClick(NamePoint(*form_, 0));
        QCOMPARE(QString::fromStdString(form_->Folder->GetName()), QStringLiteral("dirA"));
    }

    void InfoPanelShowsTheFocusedEntry() {
        QList<InfoLine> lines = form_->InfoPanelLines();
        // The folder itself: no size line, but its date and time.
        QCOMPARE(lines.first().text, QStringLiteral("名稱:view"));
        QVERIFY(
            std::none_of(lines.begin(), lines.end(), [](const InfoLine& l) { return l.y == 154; }));
        ItemPaintClick(ThumbPoint(*form_, 2));
        lines = form_->InfoPanelLines();
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.at(0).y, 108);
        QCOMPARE(lines.at(0).text, QStringLiteral("名稱:f1.txt"));
        QCOMPARE(lines.at(1).y, 154);
        QCOMPARE(lines.at(1).text, QStringLiteral("大小:1.5 K Bytes"));
        QCOMPARE(lines.at(2).y, 172);
        QCOMPARE(lines.at(2).text, QStringLiteral("日期:2020/05/17"));
        QCOMPARE(lines.at(3).y, 190);
        QCOMPARE(lines.at(3).text, QStringLiteral("時間:AM 10:20:30"));
        QCOMPARE(lines.at(4).y, 208);
        QVERIFY(lines.at(4).text.startsWith(QStringLiteral("類型:")));
        QCOMPARE(lines.at(5).y, 226);
        QCOMPARE(lines.at(5).text, QStringLiteral("註解:"));
    }

    void StatusBarCountsEntries() {
        form_->ItemPaint->grab();
        QCOMPARE(form_->StatusBar->PanelText(1),
                 QStringLiteral("檔案夾:2  檔案數:4  巳選擇項目:0"));
        form_->CmSelectAllClick();
        form_->ItemPaint->grab();
        QCOMPARE(form_->StatusBar->PanelText(1),
                 QStringLiteral("檔案夾:2  檔案數:4  巳選擇項目:6"));
        form_->CmSelectInvertClick();
        form_->ItemPaint->grab();
        QCOMPARE(form_->StatusBar->PanelText(1),
                 QStringLiteral("檔案夾:2  檔案數:4  巳選擇項目:0"));
    }

    void EmptyFolderShowsZeroCountsAndTheFolderItself() {
        form_->GotoFolderPath(empty_);
        QCOMPARE(form_->EntryCount(), 0);
        form_->ItemPaint->grab();
        QCOMPARE(form_->StatusBar->PanelText(1),
                 QStringLiteral("檔案夾:0  檔案數:0  巳選擇項目:0"));
        QCOMPARE(form_->InfoPanelLines().first().text, QStringLiteral("名稱:empty"));
    }

    void ProgressPanel() {
        QWidget* panel = form_->StatusBar->Panel(0);
        const auto pixel = [panel](int x, int y) { return panel->grab().toImage().pixel(x, y); };
        const int w = panel->width();
        form_->SetProgress(-1);
        QCOMPARE(pixel(1, 0), kSilver);
        QCOMPARE(pixel(w - 2, 0), kSilver);
        form_->SetProgress(101);
        QCOMPARE(pixel(1, 0), kSilver);
        form_->SetProgress(0);
        QCOMPARE(pixel(1, 0), kSilver);
        form_->SetProgress(50);
        QCOMPARE(pixel(1, 0), kLime);
        QCOMPARE(pixel(w / 2 - 2, 0), kLime);
        QCOMPARE(pixel(w / 2 + 2, 0), kSilver);
        form_->SetProgress(100);
        QCOMPARE(form_->Progress, 100);
        QCOMPARE(pixel(1, 0), kLime);
        QCOMPARE(pixel(w - 1, 0), kLime);
        // The number is drawn in black in the middle of the panel.
        const QImage image = panel->grab().toImage();
        bool black = false;
        for (int x = w / 3; x < 2 * w / 3; ++x) {
            for (int y = 0; y < image.height(); ++y) black |= qGray(image.pixel(x, y)) < 64;
        }
        QVERIFY(black);
    }

    void PaintingShowsSelectionFramesAndPictures() {
        // A 47 x 39 red picture is enlarged to fill the 94 x 78 box.
        Dib red(47, 39, 24);
        for (int y = 0; y < 39; ++y) {
            for (int x = 0; x < 47; ++x) red.Row(y)[x * 3 + 2] = 0xFF;
        }
        form_->Entry(3)->SetLargeImage(red);
        form_->Entry(2)->Selected = true;
        const QImage view = form_->ItemPaint->grab().toImage();
        const QRect selected = CellRect(form_->CurrentGrid(), 2);
        const QRect plain = CellRect(form_->CurrentGrid(), 3);
        QCOMPARE(view.pixel(selected.topLeft() + QPoint(1, 1)), kNavy);
        QVERIFY(view.pixel(plain.topLeft() + QPoint(1, 1)) != kNavy);
        // Raised frame: white left edge, grey right edge; inside it the tile, not navy.
        QCOMPARE(view.pixel(selected.topLeft() + QPoint(4, 50)), qRgb(255, 255, 255));
        QCOMPARE(view.pixel(selected.topLeft() + QPoint(106, 50)), qRgb(128, 128, 128));
        QVERIFY(view.pixel(selected.topLeft() + QPoint(6, 8)) != kNavy);
        // The thumbnail fills the box of the unselected cell.
        QCOMPARE(view.pixel(plain.topLeft() + QPoint(8 + 47, 10 + 39)), qRgb(255, 0, 0));
        QCOMPARE(view.pixel(plain.topLeft() + QPoint(9, 12)), qRgb(255, 0, 0));
    }

    void ViewTogglesRelayoutAndScrollToTop() {
        form_->GotoFolderPath(many_);
        QScrollBar* bar = form_->ItemScrollBox->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QCOMPARE(bar->singleStep(), 61);
        bar->setValue(bar->maximum());
        form_->CmViewTool->trigger();
        QVERIFY(!form_->CmViewTool->isChecked());
        QVERIFY(!form_->MainBar->isVisible());
        QCOMPARE(bar->value(), 0);
        bar->setValue(bar->maximum());
        form_->CmViewStatus->trigger();
        QVERIFY(!form_->StatusBar->isVisible());
        QCOMPARE(bar->value(), 0);
        form_->CmViewTool->trigger();
        form_->CmViewStatus->trigger();
        QVERIFY(form_->MainBar->isVisible() && form_->StatusBar->isVisible());
    }

    void BrowseModeHidesTheInfoPanel() {
        const int columns = form_->Columns;
        form_->CmViewBrowse->trigger();
        QVERIFY(!form_->InfoScrollBox->isVisible());
        QCOMPARE(form_->ViewMode, int(kViewBrowse));
        QTRY_VERIFY(form_->Columns > columns);
        form_->CmViewNormal->trigger();
        QVERIFY(form_->InfoScrollBox->isVisible());
        QCOMPARE(form_->ViewMode, int(kViewNormal));
        QTRY_COMPARE(form_->Columns, columns);
    }

    void SelectAllPicturesKeepsOtherMarks() {
        const QString mixed = MakeFolder(QStringLiteral("mixed"));
        WriteFile(mixed + "/a.txt", 1);
        WriteFile(mixed + "/b.JPG", 1);
        WriteFile(mixed + "/c.bmp", 1);
        WriteFile(mixed + "/photojpg", 1);
        form_->GotoFolderPath(mixed);
        QCOMPARE(form_->EntryCount(), 4);
        form_->Entry(0)->Selected = true;  // a.txt
        form_->CmSelectAllImageClick();
        QCOMPARE(SelectedEntries(*form_), QList<int>({0, 1, 2}));
        QCOMPARE(form_->FocusIndex, -1);
    }

  private:
    // The desktop's sequence: press and release, then the double click (which delivers its own
    // press through the widget).
    void ItemPaintDoubleClick(QPoint at) {
        QTest::mouseClick(form_->ItemPaint, Qt::LeftButton, {}, at);
        QTest::mouseDClick(form_->ItemPaint, Qt::LeftButton, {}, at);
        QTest::mouseRelease(form_->ItemPaint, Qt::LeftButton, {}, at);
    }

    void ItemPaintClick(QPoint at, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(form_->ItemPaint, Qt::LeftButton, modifiers, at);
    }

    std::unique_ptr<TMainForm> form_;
    QStringList opened_;
    QString folder_;
    QString many_;
    QString empty_;
};

PIXELARY_QTEST_MAIN(MainViewTest)
#include "MainViewTest.moc"
