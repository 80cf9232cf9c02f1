// SPDX-License-Identifier: GPL-3.0-or-later
// Navigation: history and Go menu, back and forward, up, the path combo and the sort commands.
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <QToolButton>
#include <QtTest>

#include "mainwindow/Main.h"
#include "mainwindow/TestEnvironment.h"
#include "model/MExplorerItem.h"
#include "model/MFolderPath.h"
#include "model/MWalkQueue.h"
#include "settings/Settings.h"

using namespace pixelary;
using testing::MakeFolder;
using testing::WriteFile;

namespace {

QStringList HistoryCaptions(const TMainForm& form) {
    QStringList captions;
    for (const QAction* item : form.HistoryItems()) captions << item->text();
    return captions;
}

QString FolderName(const TMainForm& form) {
    return QString::fromStdString(form.Folder->GetName());
}

QStringList EntryNames(const TMainForm& form) {
    QStringList names;
    for (int i = 0; i < form.EntryCount(); ++i) {
        names << QString::fromStdString(form.Entry(i)->GetDisplayName(0));
    }
    return names;
}

}  // namespace

class NavigationTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        walk_ = MakeFolder(QStringLiteral("walk"));
        for (int i = 0; i <= 20; ++i)
            QDir(walk_).mkdir(QStringLiteral("f%1").arg(i, 2, 10, QChar('0')));
        QDir(walk_).mkpath(QStringLiteral("f01/sub"));
        deep_ = MakeFolder(QStringLiteral("a/b"));
        sorted_ = MakeFolder(QStringLiteral("sorted"));
        QDir(sorted_).mkdir(QStringLiteral("zdir"));
        WriteFile(sorted_ + "/s1.txt", 30, 2021);
        WriteFile(sorted_ + "/s2.txt", 10, 2023);
        WriteFile(sorted_ + "/s3.dat", 20, 2022);
    }

    void init() {
        form_ = std::make_unique<TMainForm>();
        ProcessSettings().OpenFileMouse = kDoubleClickIcon;
        form_->resize(800, 600);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }
    void cleanup() { form_.reset(); }

    void StartsAtTheDesktopListingFoldersOnly() {
        QCOMPARE(form_->History->Count(), 1);
        QCOMPARE(HistoryCaptions(*form_), QStringList({QStringLiteral("桌面")}));
        QVERIFY(form_->HistoryItems().first()->isChecked());
        QVERIFY(form_->EntryCount() >= 2);
        for (int i = 0; i < form_->EntryCount(); ++i) {
            QVERIFY(form_->Entry(i)->GetAttributes(0x20000000) & 0x20000000);
        }
        QVERIFY(!form_->CmUpPath->isEnabled());
        QVERIFY(!form_->UpPathBtn->isEnabled());
        QVERIFY(!form_->BackBtn->isEnabled() && !form_->CmGotoBack->isEnabled());
        QVERIFY(!form_->ForeBtn->isEnabled() && !form_->CmGotoFore->isEnabled());
        QCOMPARE(form_->BackBtn->toolTip(), QStringLiteral("回到 "));
        QCOMPARE(form_->ForeBtn->toolTip(), QStringLiteral("進到 "));
    }

    void TwentyOneNavigationsKeepTwenty() {
        for (int i = 0; i <= 20; ++i) {
            form_->GotoFolderPath(walk_ + QStringLiteral("/f%1").arg(i, 2, 10, QChar('0')));
        }
        QCOMPARE(form_->History->Count(), 20);
        const QStringList captions = HistoryCaptions(*form_);
        QCOMPARE(captions.size(), 20);
        QCOMPARE(captions.first(), QStringLiteral("f20"));
        QCOMPARE(captions.last(), QStringLiteral("f01"));
        QVERIFY(!captions.contains(QStringLiteral("桌面")));
        QVERIFY(!captions.contains(QStringLiteral("f00")));
        QCOMPARE(form_->History->CurrentIndex(), 19);
        QVERIFY(form_->UpPathBtn->isEnabled());
    }

    void BackAndForwardMoveTheTickWithHints() {
        form_->GotoFolderPath(walk_ + "/f00");
        form_->GotoFolderPath(walk_ + "/f01");
        QVERIFY(form_->BackBtn->isEnabled() && form_->CmGotoBack->isEnabled());
        QCOMPARE(form_->BackBtn->toolTip(), QStringLiteral("回到 f00"));
        QVERIFY(!form_->ForeBtn->isEnabled());
        QCOMPARE(form_->ForeBtn->toolTip(), QStringLiteral("進到 "));

        form_->BackBtn->click();
        QCOMPARE(FolderName(*form_), QStringLiteral("f00"));
        QCOMPARE(form_->History->Count(), 3);
        QCOMPARE(form_->History->CurrentIndex(), 1);
        QCOMPARE(form_->BackBtn->toolTip(), QStringLiteral("回到 桌面"));
        QCOMPARE(form_->ForeBtn->toolTip(), QStringLiteral("進到 f01"));
        QVERIFY(form_->ForeBtn->isEnabled() && form_->CmGotoFore->isEnabled());
        QVERIFY(form_->HistoryItems().at(1)->isChecked());

        form_->CmGotoBack->trigger();
        QCOMPARE(form_->History->CurrentIndex(), 0);
        QVERIFY(!form_->BackBtn->isEnabled() && !form_->CmGotoBack->isEnabled());
        QCOMPARE(form_->BackBtn->toolTip(), QStringLiteral("回到 "));
        QCOMPARE(form_->ForeBtn->toolTip(), QStringLiteral("進到 f00"));
        // Back from the oldest entry does nothing.
        form_->CmGotoBackClick();
        QCOMPARE(form_->History->CurrentIndex(), 0);

        form_->ForeBtn->click();
        form_->CmGotoFore->trigger();
        QCOMPARE(FolderName(*form_), QStringLiteral("f01"));
        QVERIFY(!form_->ForeBtn->isEnabled() && !form_->CmGotoFore->isEnabled());
        // Forward from the newest entry does nothing; no entry was added on the way.
        form_->CmGotoForeClick();
        QCOMPARE(form_->History->Count(), 3);
        QCOMPARE(HistoryCaptions(*form_).size(), 3);
    }

    void PickingAHistoryEntryShowsIt() {
        form_->GotoFolderPath(walk_ + "/f00");
        form_->GotoFolderPath(walk_ + "/f01");
        form_->HistoryItems().last()->trigger();  // the desktop
        QCOMPARE(form_->History->CurrentIndex(), 0);
        QCOMPARE(FolderName(*form_), QStringLiteral("桌面"));
    }

    void BackThreeThenOpenDropsTheNewerEntries() {
        for (int i = 0; i < 5; ++i) {
            form_->GotoFolderPath(walk_ + QStringLiteral("/f%1").arg(i, 2, 10, QChar('0')));
        }
        for (int i = 0; i < 3; ++i) form_->CmGotoBackClick();
        QCOMPARE(FolderName(*form_), QStringLiteral("f01"));
        QCOMPARE(EntryNames(*form_), QStringList({QStringLiteral("sub")}));
        form_->OpenItem(0);
        QCOMPARE(FolderName(*form_), QStringLiteral("sub"));
        QCOMPARE(form_->History->Count(), 4);
        QCOMPARE(HistoryCaptions(*form_), QStringList({"sub", "f01", "f00", "桌面"}));
        QVERIFY(!form_->ForeBtn->isEnabled());
    }

    void UpRemovesOneLevel() {
        form_->GotoFolderPath(deep_);
        const int depth = form_->History->Current()->Depth();
        form_->UpPathBtn->click();
        QCOMPARE(FolderName(*form_), QStringLiteral("a"));
        QCOMPARE(form_->History->Current()->Depth(), depth - 1);
        QCOMPARE(form_->History->Count(), 3);
    }

    void PathComboAtDepthFour() {
        form_->GotoFolderPath(deep_);  // desktop, home, a, b
        QCOMPARE(form_->History->Current()->Depth(), 4);
        QComboBox* combo = form_->PathCombo;
        QCOMPARE(combo->count(), 4);
        QCOMPARE(combo->itemText(0), QStringLiteral("桌面"));
        QCOMPARE(combo->itemText(2), QStringLiteral("a"));
        QCOMPARE(combo->itemText(3), QStringLiteral("b"));
        QCOMPARE(combo->currentIndex(), 3);

        // Each level is indented half an item height further than its parent.
        QImage item(200, 16, QImage::Format_RGB32);
        item.fill(Qt::black);
        {
            QPainter painter(&item);
            QStyleOptionViewItem option;
            option.rect = item.rect();
            option.state = QStyle::State_Selected;
            combo->view()->itemDelegate()->paint(&painter, option, combo->model()->index(2, 0));
        }
        const auto columnIsWhite = [&item](int x) {
            for (int y = 0; y < item.height(); ++y) {
                if (item.pixel(x, y) != qRgb(255, 255, 255)) return false;
            }
            return true;
        };
        for (int x = 0; x < 16; ++x) QVERIFY(columnIsWhite(x));
        bool icon = false;
        for (int x = 16; x < 32; ++x) icon |= !columnIsWhite(x);
        QVERIFY(icon);
        // The selected text box is navy from x = 16 + 8 + 16.
        QCOMPARE(item.pixel(40, 8) == qRgb(0, 0, 128) || item.pixel(41, 8) == qRgb(0, 0, 128),
                 true);
        QVERIFY(columnIsWhite(38));

        // Picking the desktop adds one history entry and shows it.
        const int count = form_->History->Count();
        emit combo->activated(0);
        QCOMPARE(form_->History->Count(), count + 1);
        QCOMPARE(FolderName(*form_), QStringLiteral("桌面"));
        QCOMPARE(form_->History->Current()->Depth(), 1);
        // Picking the shown folder itself does nothing.
        emit combo->activated(combo->count() - 1);
        QCOMPARE(form_->History->Count(), count + 1);
    }

    void EnterInThePathComboParsesItsText() {
        form_->GotoFolderPath(deep_);
        const int count = form_->History->Count();
        // The text of the selected item is a level's name, which does not parse as a path: the
        // desktop is shown, without a message.
        testing::TestEnvironment::TakeMessages();
        QTest::keyClick(form_->PathCombo, Qt::Key_Return);
        QCOMPARE(form_->History->Count(), count + 1);
        QCOMPARE(FolderName(*form_), QStringLiteral("桌面"));
        QVERIFY(testing::TestEnvironment::TakeMessages().isEmpty());
        // A path typed as text makes a one-level location listing only sub-folders.
        form_->GotoPathText(sorted_);
        QCOMPARE(form_->History->Current()->Depth(), 1);
        QCOMPARE(EntryNames(*form_), QStringList({"zdir"}));
        QVERIFY(!form_->CmUpPath->isEnabled());
    }

    void SortCommands() {
        form_->GotoFolderPath(sorted_);
        QCOMPARE(EntryNames(*form_), QStringList({"zdir", "s1.txt", "s2.txt", "s3.dat"}));
        form_->CmSortSize->trigger();
        QVERIFY(form_->CmSortSize->isChecked() && form_->CmPopSortSize->isChecked());
        QCOMPARE(EntryNames(*form_), QStringList({"zdir", "s2.txt", "s3.dat", "s1.txt"}));
        form_->CmPopSortExt->trigger();
        QVERIFY(form_->CmSortExt->isChecked() && form_->CmPopSortExt->isChecked());
        QCOMPARE(EntryNames(*form_), QStringList({"zdir", "s3.dat", "s1.txt", "s2.txt"}));
        form_->CmSortDate->trigger();
        QCOMPARE(EntryNames(*form_), QStringList({"zdir", "s1.txt", "s3.dat", "s2.txt"}));

        // Descending re-sorts in place: same folder object, selection and focus kept.
        form_->Entry(1)->Selected = true;  // s1.txt
        form_->FocusIndex = 1;
        const MExplorerItem* folder = form_->Folder.get();
        form_->CmSortMaxMin->trigger();
        QVERIFY(form_->CmSortMaxMin->isChecked() && form_->CmPopSortMaxMin->isChecked());
        QCOMPARE(form_->Folder.get(), folder);
        QCOMPARE(EntryNames(*form_), QStringList({"zdir", "s2.txt", "s3.dat", "s1.txt"}));
        QVERIFY(form_->Entry(3)->Selected);
        QCOMPARE(form_->FocusIndex, 1);

        // Ascending reloads: a new folder object with nothing selected.
        form_->CmPopSortMinMax->trigger();
        QVERIFY(form_->CmSortMinMax->isChecked());
        QCOMPARE(EntryNames(*form_), QStringList({"zdir", "s1.txt", "s3.dat", "s2.txt"}));
        for (int i = 0; i < form_->EntryCount(); ++i) QVERIFY(!form_->Entry(i)->Selected);
        QCOMPARE(form_->FocusIndex, -1);
        // Sorting and refreshing add no history entries.
        QCOMPARE(form_->History->Count(), 2);
        form_->CmViewRefresh->trigger();
        form_->CmViewReloadIcon->trigger();
        QCOMPARE(form_->History->Count(), 2);
    }

  private:
    std::unique_ptr<TMainForm> form_;
    QString walk_;
    QString deep_;
    QString sorted_;
};

PIXELARY_QTEST_MAIN(NavigationTest)
#include "NavigationTest.moc"
