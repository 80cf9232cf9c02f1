// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's file commands on real folders below the private home.
#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QtTest>

#include "core/Dib.h"
#include "core/Exception.h"
#include "mainwindow/BmpStreamImage.h"
#include "mainwindow/Controls.h"
#include "mainwindow/Main.h"
#include "mainwindow/TestEnvironment.h"
#include "mainwindow/ViewGeometry.h"
#include "model/MExplorerItem.h"
#include "platform/api/ShellFolder.h"
#include "scanner/MScanIcon.h"

using namespace pixelary;
using namespace pixelary::testing;

namespace {

int g_beeps = 0;
void CountBeep() {
    ++g_beeps;
}

}  // namespace

class FileOpsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { SetBeepSink(&CountBeep); }

    void init() {
        g_beeps = 0;
        TestEnvironment::TakeMessages();
        form_ = std::make_unique<TMainForm>();
        form_->resize(800, 600);
        chooser_calls_ = 0;
        form_->FileOps.ChooseFolder = [this](const QString& title, const QString& start) {
            ++chooser_calls_;
            chooser_title_ = title;
            chooser_start_ = start;
            return chosen_;
        };
        form_->FileOps.ConfirmDelete = [](int, const QString&) { return true; };
        form_->FileOps.AskOverwrite = [this](const QString&) { return overwrite_; };
    }
    void cleanup() { form_.reset(); }

    void DeleteWithAnUndeletableEntryDeletesNothingAndBeeps() {
        form_->CmDesktopClick();
        bool asked = false;
        form_->FileOps.ConfirmDelete = [&](int, const QString&) { return asked = true, false; };
        QVERIFY(form_->EntryCount() >= 2);
        for (int i = 0; i < form_->EntryCount(); ++i) form_->Entry(i)->Selected = 1;
        form_->CmFileDeleteClick();  // "Computer" cannot be deleted
        QCOMPARE(g_beeps, 1);
        QVERIFY(!asked);
        QVERIFY(QDir(TestEnvironment::Home()).exists());
    }

    void DeleteMovesTheSelectionToTheTrashAndRefreshes() {
        const QString folder = Open("刪除", {"a.bmp", "b.bmp", "c.bmp"});
        Select({"a.bmp", "c.bmp"});
        form_->CmFileDeleteClick();
        QVERIFY(!QFile::exists(folder + "/a.bmp"));
        QVERIFY(QFile::exists(folder + "/b.bmp"));
        QVERIFY(!QFile::exists(folder + "/c.bmp"));
        QVERIFY(QFile::exists(TestEnvironment::Home() + "/.local/share/Trash/files/a.bmp"));
        QCOMPARE(form_->EntryCount(), 1);
    }

    void CopyWithNothingSelectedShowsNoChooser() {
        Open("沒選", {"a.bmp"});
        form_->CmFileCopyToClick();
        QCOMPARE(g_beeps, 1);
        QCOMPARE(chooser_calls_, 0);
    }

    void CancellingTheChooserLeavesTheView() {
        const QString folder = Open("取消", {"a.bmp", "b.bmp"});
        Select({"a.bmp"});
        chosen_.clear();
        form_->CmFileMoveToClick();
        QCOMPARE(chooser_calls_, 1);
        QCOMPARE(chooser_title_, QStringLiteral("選擇目的目錄"));
        QCOMPARE(chooser_start_, folder);
        QVERIFY(QFile::exists(folder + "/a.bmp"));
        QVERIFY(form_->Entry(0)->Selected);  // no refresh: the selection stays
    }

    void CopyAndMoveSeveralFilesHonouringTheOverwriteAnswer() {
        const QString folder = Open("來源", {"貓.bmp", "狗.bmp", "魚.bmp"});
        chosen_ = MakeFolder("目的地");
        WriteBmp(chosen_ + "/狗.bmp", 1, 1, 0x000000);
        Select({"貓.bmp", "狗.bmp"});
        overwrite_ = fileops::OverwriteAnswer::No;
        form_->CmFileCopyToClick();
        QVERIFY(QFile::exists(chosen_ + "/貓.bmp"));
        QCOMPARE(Dib::LoadFromFile((chosen_ + "/狗.bmp").toStdString()).Width(), 1);  // kept
        QVERIFY(QFile::exists(folder + "/貓.bmp"));
        QCOMPARE(form_->EntryCount(), 3);

        Select({"狗.bmp", "魚.bmp"});
        overwrite_ = fileops::OverwriteAnswer::Yes;
        form_->CmFileMoveToClick();
        QCOMPARE(Dib::LoadFromFile((chosen_ + "/狗.bmp").toStdString()).Width(), 4);  // replaced
        QVERIFY(QFile::exists(chosen_ + "/魚.bmp"));
        QVERIFY(!QFile::exists(folder + "/魚.bmp"));
        QCOMPARE(form_->EntryCount(), 1);  // the refresh shows what is left
    }

    void RenameWithEscapeOrEmptyTextRenamesNothing() {
        const QString folder = Open("改名", {"a.bmp"});
        form_->FocusIndex = 0;
        form_->CmFileRenameClick();
        QVERIFY(!form_->RenameEdit->isHidden());
        QCOMPARE(form_->RenameEdit->text(), QStringLiteral("a.bmp"));
        form_->RenameEdit->setText("b.bmp");
        form_->RenameEditKeyPress(Qt::Key_Escape);
        QVERIFY(!!form_->RenameEdit->isHidden());
        QVERIFY(QFile::exists(folder + "/a.bmp"));

        form_->CmFileRenameClick();
        form_->RenameEdit->setText("");
        form_->RenameEditKeyPress(Qt::Key_Return);
        QVERIFY(QFile::exists(folder + "/a.bmp"));

        form_->CmFileRenameClick();
        form_->RenameEdit->setText("新名.bmp");
        form_->RenameEditKeyPress(Qt::Key_Return);
        QVERIFY(QFile::exists(folder + "/新名.bmp"));
        QCOMPARE(QString::fromStdString(form_->Entry(0)->GetName()), QStringLiteral("新名"));
    }

    void RenameScrollsTheCellFullyIntoView() {
        // Showing the window opens the desktop, so the folder is opened afterwards.
        form_->showNormal();
        form_->resize(500, 400);
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        QStringList names;
        for (int i = 0; i < 60; ++i) names << QStringLiteral("p%1.bmp").arg(i, 2, 10, QChar('0'));
        Open("捲動", names);
        QScrollBar* bar = form_->ItemScrollBox->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        form_->FocusIndex = form_->EntryCount() - 1;
        form_->CmFileRenameClick();
        const int cellHeight = CellSizeFor(form_->ViewMode).height();
        const QRect cell(0, (form_->FocusIndex / form_->Columns) * cellHeight, 1, cellHeight);
        const int viewport = form_->ItemScrollBox->viewport()->height();
        QVERIFY(cell.top() >= bar->value());
        QVERIFY(cell.bottom() <= bar->value() + viewport - 1);
        form_->RenameEditKeyPress(Qt::Key_Escape);
    }

    void RenameThroughTheMenuSurvivesCaretBlinksTypingAndArrivingThumbnails() {
        ShowActive();
        QStringList names;
        for (int i = 0; i < 40; ++i) names << QStringLiteral("p%1.bmp").arg(i, 2, 10, QChar('0'));
        const QString folder = Open("改名掃描", names, 320, 240);
        // Until the event loop runs again the scan cannot have delivered any thumbnail.
        QVERIFY(form_->Scanner && !form_->Scanner->Finished());
        ClickThumbnail(2);
        QCOMPARE(form_->FocusIndex, 2);
        OpenRenameFromFileMenu();
        if (QTest::currentTestFailed()) return;
        QVERIFY(form_->Scanner && !form_->Scanner->Finished());
        const int thumbnailsAtOpen = ThumbnailCount();

        // Focus-in, caret blinks and the view repainting for arriving thumbnails.
        QTest::qWait(1200);
        QTRY_VERIFY_WITH_TIMEOUT(ThumbnailCount() > thumbnailsAtOpen + 2, 60000);
        QVERIFY(form_->RenameEdit->isVisible());
        QVERIFY(form_->RenameEdit->hasFocus());
        QCOMPARE(form_->RenameEdit->text(), QStringLiteral("p02.bmp"));

        QTest::keyClicks(form_->RenameEdit, "sunset.bmp");
        QTest::qWait(100);
        QVERIFY(form_->RenameEdit->isVisible());
        QCOMPARE(form_->RenameEdit->text(), QStringLiteral("sunset.bmp"));
        QVERIFY(QFile::exists(folder + "/p02.bmp"));  // nothing renamed before Enter

        QTest::keyClick(form_->RenameEdit, Qt::Key_Return);
        QVERIFY(!form_->RenameEdit->isVisible());
        QVERIFY(QFile::exists(folder + "/sunset.bmp"));
        QVERIFY(!QFile::exists(folder + "/p02.bmp"));
        QCOMPARE(QString::fromStdString(form_->Entry(2)->GetName()), QStringLiteral("sunset"));
        QVERIFY(form_->ItemScrollBox->hasFocus());
    }

    void RenameFromThePopupMenuEndsByEscapeOrByAClickInTheView() {
        ShowActive();
        const QString folder = Open("改名選單", {"a.bmp", "b.bmp"});
        ClickThumbnail(1);
        const QPoint name = CellRect(form_->CurrentGrid(), 1).topLeft() + cell::kNameBand.center();
        // The press, then the context-menu request the window system makes of it.
        QTest::mouseClick(form_->ItemPaint, Qt::RightButton, {}, name);
        QContextMenuEvent request(QContextMenuEvent::Mouse, name,
                                  form_->ItemPaint->mapToGlobal(name));
        QApplication::sendEvent(form_->ItemPaint, &request);
        QTRY_VERIFY(form_->ItemPopupMenu->isVisible());
        QTest::keyClick(form_->ItemPopupMenu, Qt::Key_R);
        ReturnActivation();
        QTRY_VERIFY(form_->RenameEdit->isVisible() && form_->RenameEdit->hasFocus());
        QTest::keyClicks(form_->RenameEdit, "x.bmp");
        QTest::keyClick(form_->RenameEdit, Qt::Key_Escape);
        QVERIFY(!form_->RenameEdit->isVisible());
        QVERIFY(QFile::exists(folder + "/b.bmp"));
        QVERIFY(!QFile::exists(folder + "/x.bmp"));

        OpenRenameFromFileMenu();
        if (QTest::currentTestFailed()) return;
        QTest::keyClicks(form_->RenameEdit, "kept.bmp");
        QTest::qWait(100);
        const QPoint empty(form_->ItemPaint->width() - 5, form_->ItemPaint->height() - 5);
        QTest::mouseClick(form_->ItemPaint, Qt::LeftButton, {}, empty);
        QTRY_VERIFY(!form_->RenameEdit->isVisible());
        QVERIFY(QFile::exists(folder + "/kept.bmp"));
        QVERIFY(!QFile::exists(folder + "/b.bmp"));
    }

    void NewFolderShowsAnErrorOfItsDialog() {
        Open("新資料夾錯誤", {"a.bmp"});
        form_->FileOps.AskNewFolderName = []() -> std::optional<QString> {
            throw Exception("dialog broke");
        };
        form_->CmNewFolder->trigger();
        form_->CmPopNewFolder->trigger();
        const auto messages = TestEnvironment::TakeMessages();
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages[0].text, QStringLiteral("dialog broke"));
        QCOMPARE(form_->EntryCount(), 1);
    }

    void NewFolderBeepsForAnExistingNameAndRefusesVirtualFolders() {
        const QString folder = Open("新資料夾", {"a.bmp"});
        QDir().mkpath(folder + "/已有");
        form_->CmViewRefreshClick();
        form_->FileOps.AskNewFolderName = [] { return std::optional<QString>("已有"); };
        form_->CmNewFolderClick();
        QCOMPARE(g_beeps, 1);
        form_->FileOps.AskNewFolderName = [] { return std::optional<QString>("相簿"); };
        form_->CmNewFolderClick();
        QVERIFY(QDir(folder + "/相簿").exists());
        QCOMPARE(form_->EntryCount(), 3);

        bool asked = false;
        form_->FileOps.AskNewFolderName = [&] { return asked = true, std::optional<QString>("x"); };
        form_->CmDesktopClick();
        form_->CmNewFolderClick();
        QVERIFY(!asked);
        const auto messages = TestEnvironment::TakeMessages();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].caption, QStringLiteral("錯誤"));
        QCOMPARE(messages[0].text, QStringLiteral("目前所在的資料夾不能存檔"));
    }

    void WallpaperFitsTheScreenAndTellsTheDesktop() {
        const QString folder = MakeFolder("底色");
        WriteBmp(folder + "/寬景.bmp", 400, 100, 0x3366CC);
        WriteFile(folder + "/readme.txt", 10);
        form_->GotoFolderPath(folder);
        const QString out = MakeFolder("Pixelary");
        std::vector<fileops::DesktopCommand> ran;
        form_->FileOps.ScreenSize = [] { return QSize(200, 150); };
        form_->FileOps.WallpaperFolder = [out] { return out; };
        form_->FileOps.DesktopName = [] { return std::string("GNOME"); };
        form_->FileOps.RunDesktopCommand = [&](const fileops::DesktopCommand& command) {
            ran.push_back(command);
            return true;
        };
        form_->FocusIndex = IndexOf("readme.txt");
        form_->CmFileSetToDesk1Click();
        QCOMPARE(TestEnvironment::TakeMessages().at(0).text,
                 QStringLiteral("沒選擇檔案或檔案類型不能做為桌面"));
        QVERIFY(ran.empty());

        form_->FocusIndex = IndexOf("寬景.bmp");
        form_->CmFileSetToDesk2Click();
        const Dib saved = Dib::LoadFromFile((out + "/寬景.bmp").toStdString());
        QCOMPARE(saved.Width(), 200);
        QCOMPARE(saved.Height(), 50);
        QCOMPARE(saved.PixelRgb(10, 10), 0x3366CCu);
        QVERIFY(!ran.empty());
        QCOMPARE(ran.front().arguments.back(), std::string("centered"));
    }

    void WallpaperTriesThePortalBeforeFehAndShowsANoticeWhenNothingTakesIt() {
        ShowActive();
        const QString folder = MakeFolder("底色通知");
        WriteBmp(folder + "/山.bmp", 40, 30, 0x336699);
        form_->GotoFolderPath(folder);
        const QString out = MakeFolder("Pixelary通知");
        const QString file = out + "/山.bmp";
        QStringList steps;
        bool portalTakes = false;
        form_->FileOps.WallpaperFolder = [out] { return out; };
        form_->FileOps.DesktopName = [] { return std::string("sway"); };
        form_->FileOps.HasProgram = [](const std::string& program) { return program == "feh"; };
        form_->FileOps.RunDesktopCommand = [&](const fileops::DesktopCommand& command) {
            steps << QString::fromStdString(command.program);
            return false;  // feh cannot reach this desktop
        };
        form_->FileOps.WallpaperPortal = [&](const std::string& picture) {
            steps << "portal " + QString::fromStdString(picture);
            return portalTakes;
        };
        ClickThumbnail(0);
        QTest::keyClick(form_.get(), Qt::Key_F, Qt::AltModifier);
        QTest::keyClick(form_->FileMenu, Qt::Key_W);  // 設定為底色圖案(併排)(W)
        QCOMPARE(steps, QStringList({"portal " + file, "feh"}));
        QVERIFY(QFile::exists(file));

        // The notice is in front of the window and waits for nothing.
        QMessageBox* notice = form_->findChild<QMessageBox*>("WallpaperNotice");
        QVERIFY(notice);
        QTRY_VERIFY(notice->isVisible());
        QCOMPARE(notice->windowModality(), Qt::NonModal);
        QVERIFY(notice->text().contains(file));
        QVERIFY(!QApplication::activeModalWidget());
        QTest::mouseClick(static_cast<QWidget*>(notice->button(QMessageBox::Ok)), Qt::LeftButton);
        QTRY_VERIFY(!form_->findChild<QMessageBox*>("WallpaperNotice"));

        // A portal that takes the picture ends it: no program, no notice.
        steps.clear();
        portalTakes = true;
        form_->CmFileSetToDesk2->trigger();
        QCOMPARE(steps, QStringList({"portal " + file}));
        QVERIFY(!form_->findChild<QMessageBox*>("WallpaperNotice"));
    }

  private:
    QString Open(const QString& name, const QStringList& files, int width = 4, int height = 4) {
        const QString folder = MakeFolder(name);
        for (const QString& file : files) WriteBmp(folder + "/" + file, width, height, 0x808080);
        form_->GotoFolderPath(folder);
        return folder;
    }

    // The window as the user has it: shown and active, so menu shortcuts and the caret work.
    void ShowActive() {
        form_->show();
        QApplication::setActiveWindow(form_.get());
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    }

    // The offscreen platform leaves a closed menu the active window; a window system hands the
    // activation back to the window the menu belonged to.
    void ReturnActivation() {
        QCoreApplication::processEvents();  // the platform's activation of the menu comes first
        QApplication::setActiveWindow(form_.get());
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    }

    void ClickThumbnail(int index) {
        const QPoint at =
            CellRect(form_->CurrentGrid(), index).topLeft() + cell::kThumbBox.center();
        QTest::mouseClick(form_->ItemPaint, Qt::LeftButton, {}, at);
    }

    // 檔案(F), then 重新命名(R)..., by their keys.
    void OpenRenameFromFileMenu() {
        QTest::keyClick(form_.get(), Qt::Key_F, Qt::AltModifier);
        QVERIFY(form_->FileMenu->isVisible());
        QTest::keyClick(form_->FileMenu, Qt::Key_R);
        QVERIFY(!form_->FileMenu->isVisible());
        QVERIFY(form_->RenameEdit->isVisible());
        ReturnActivation();
        QTRY_VERIFY(form_->RenameEdit->hasFocus());
    }

    // Entries showing a thumbnail rather than their 32 x 32 icon.
    int ThumbnailCount() const {
        int count = 0;
        for (int i = 0; i < form_->EntryCount(); ++i) {
            count += LoadBmpImage(form_->Entry(i)->GetLargeImageStream()).width() > 32;
        }
        return count;
    }

    int IndexOf(const QString& fileName) { return testing::EntryIndex(*form_, fileName); }

    void Select(const QStringList& fileNames) { testing::SelectEntries(*form_, fileNames); }

    std::unique_ptr<TMainForm> form_;
    int chooser_calls_ = 0;
    QString chooser_title_;
    QString chooser_start_;
    QString chosen_;
    fileops::OverwriteAnswer overwrite_ = fileops::OverwriteAnswer::Yes;
};

PIXELARY_QTEST_MAIN(FileOpsTest)
#include "FileOpsTest.moc"
