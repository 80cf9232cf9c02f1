// SPDX-License-Identifier: GPL-3.0-or-later
// The options dialog and the about box, alone and through the main window's commands.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStorageInfo>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <functional>

#include "cache/MCacheFile.h"
#include "mainwindow/About.h"
#include "mainwindow/Main.h"
#include "mainwindow/OptionDlg.h"
#include "mainwindow/RadioGroup.h"
#include "mainwindow/TestEnvironment.h"
#include "settings/Settings.h"

using namespace pixelary;

namespace {

// Runs `act` on the next modal dialog of type T once it is shown.
template <typename T>
void OnNextDialog(std::function<void(T&)> act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        act(*dialog);
    });
}

}  // namespace

class DialogTest : public QObject {
    Q_OBJECT
  private slots:
    void OptionDialogControls() {
        TOptionDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Options"));
        QCOMPARE(dialog.OKBtn->text(), QStringLiteral("OK"));
        QVERIFY(dialog.OKBtn->isDefault());
        QCOMPARE(dialog.CancelBtn->text(), QStringLiteral("Cancel"));
        QCOMPARE(dialog.PageControl1->count(), 2);
        QCOMPARE(dialog.PageControl1->currentWidget(), dialog.CacheSheet);
        QCOMPARE(dialog.PageControl1->tabText(0), QStringLiteral("Cache"));
        QCOMPARE(dialog.PageControl1->tabText(1), QStringLiteral("Environment"));
        QVERIFY(dialog.CacheDirEdit->isReadOnly());
        QCOMPARE(dialog.CacheDirBtn->text(), QStringLiteral("&Browser..."));
        QCOMPARE(dialog.CacheSizeSpin->minimum(), 1024);
        QCOMPARE(dialog.CacheSizeSpin->maximum(), 65536);
        QCOMPARE(dialog.CacheSizeSpin->singleStep(), 32);
        QCOMPARE(dialog.CacheSizeSpin->value(), 1024);
        dialog.CacheSizeSpin->setValue(100);
        QCOMPARE(dialog.CacheSizeSpin->value(), 1024);
        QCOMPARE(dialog.OpenFileMouseGroup->title(), QStringLiteral("Mouse Operations"));
        QCOMPARE(dialog.OpenFileMouseGroup->ItemCount(), 2);
        QCOMPARE(dialog.OpenFileMouseGroup->ItemIndex(), 0);
        const QList<QRadioButton*> items = dialog.OpenFileMouseGroup->findChildren<QRadioButton*>();
        QCOMPARE(items.at(0)->text(), QStringLiteral("Click Text"));
        QCOMPARE(items.at(1)->text(), QStringLiteral("Double Click Icon"));
        QStringList labels;
        for (const QLabel* label : dialog.CacheSheet->findChildren<QLabel*>())
            labels << label->text();
        QCOMPARE(labels, QStringList({"Directory:", "Use Disk Space:", "K Bytes"}));
    }

    void DirectoryChooserAcceptsOnlyFixedDisks() {
        TOptionDlg dialog;
        dialog.CacheDirEdit->setText(QStringLiteral("/old"));
        QString offered;
        bool fixed = false;
        dialog.SetDirectoryChooser([&offered](QWidget*, const QString&) { return offered; });
        dialog.SetFixedDiskTest([&fixed](const QString&) { return fixed; });
        offered = QStringLiteral("/mnt/floppy");
        dialog.CacheDirBtnClick();
        QCOMPARE(dialog.CacheDirEdit->text(), QStringLiteral("/old"));
        offered.clear();  // cancelled
        fixed = true;
        dialog.CacheDirBtnClick();
        QCOMPARE(dialog.CacheDirEdit->text(), QStringLiteral("/old"));
        offered = QStringLiteral("/data/cache/");
        dialog.CacheDirBtnClick();
        QCOMPARE(dialog.CacheDirEdit->text(), QStringLiteral("/data/cache"));
    }

    void FixedDiskTestOnRealFolders() {
        QVERIFY(!IsFixedDiskDirectory(testing::TestEnvironment::Home() + "/no-such-folder"));
        QVERIFY(!IsFixedDiskDirectory(QString()));
        // Chroot and container builders often have no mount at "/": then no mount holds the
        // test's folders and nothing can tell what disk they are on.
        if (!QStorageInfo(testing::TestEnvironment::Home()).isValid()) {
            QSKIP(
                "No mount point holds the test's home folder (\"/\" is not a mount point, as "
                "in a chroot or container builder): its disk type cannot be told here.");
        }
        QVERIFY(IsFixedDiskDirectory(testing::TestEnvironment::Home()));
    }

    void OptionsOkHandsTheValuesToSettingsAndCache() {
        TMainForm form;
        Settings& settings = ProcessSettings();
        const QString newCache = testing::MakeFolder(QStringLiteral("newcache"));
        settings.OpenFileMouse = kDoubleClickIcon;
        OnNextDialog<TOptionDlg>([&](TOptionDlg& dialog) {
            QCOMPARE(dialog.CacheDirEdit->text(), QString::fromStdString(settings.CachePath));
            QCOMPARE(dialog.CacheSizeSpin->value(), settings.CacheSize);
            QCOMPARE(dialog.OpenFileMouseGroup->ItemIndex(), 1);
            dialog.CacheDirEdit->setText(newCache);
            dialog.CacheSizeSpin->setValue(2048);
            dialog.OpenFileMouseGroup->SetItemIndex(0);
            dialog.OKBtn->click();
        });
        form.CmOptionClick();
        QCOMPARE(QString::fromStdString(settings.CachePath), newCache);
        QCOMPARE(settings.CacheSize, 2048);
        QCOMPARE(settings.OpenFileMouse, int(kClickText));
        QCOMPARE(QString::fromStdString(form.Cache->Directory()), newCache + "/");
        QCOMPARE(form.Cache->LimitKB(), 2048);
    }

    void OptionsCancelChangesNothing() {
        TMainForm form;
        Settings& settings = ProcessSettings();
        const Settings before = settings;
        const std::string directory = form.Cache->Directory();
        const int limit = form.Cache->LimitKB();
        OnNextDialog<TOptionDlg>([](TOptionDlg& dialog) {
            dialog.CacheSizeSpin->setValue(4000);
            dialog.OpenFileMouseGroup->SetItemIndex(1 - dialog.OpenFileMouseGroup->ItemIndex());
            dialog.CancelBtn->click();
        });
        form.CmOptionClick();
        QCOMPARE(settings.CachePath, before.CachePath);
        QCOMPARE(settings.CacheSize, before.CacheSize);
        QCOMPARE(settings.OpenFileMouse, before.OpenFileMouse);
        QCOMPARE(form.Cache->Directory(), directory);
        QCOMPARE(form.Cache->LimitKB(), limit);
    }

    void SettingsAreSavedAtExitAndLoadedAtStart() {
        {
            TMainForm form;
            ProcessSettings().CacheSize = 3072;
        }
        ProcessSettings().CacheSize = 1;
        TMainForm again;
        QCOMPARE(ProcessSettings().CacheSize, 3072);
        QCOMPARE(again.Cache->LimitKB(), 3072);
    }

    void AboutBox() {
        TAboutBox box;
        QCOMPARE(box.Version->text(), QStringLiteral("Version:1.00"));
        QCOMPARE(box.OKButton->text(), QStringLiteral("確定"));
        QVERIFY(box.OKButton->isDefault());
        QCOMPARE(box.size(), QSize(313, 258));
        QCOMPARE(box.Panel1->size(), QSize(297, 209));
        QCOMPARE(box.ProgramIcon->size(), QSize(64, 64));
        QVERIFY(!box.ProgramIcon->pixmap().isNull());
        QCOMPARE(box.ProductName->text(), QStringLiteral("Glimmora"));
        QVERIFY(box.Comments->text().contains(QStringLiteral("libjpeg-turbo")));

        TMainForm form;
        bool shown = false;
        OnNextDialog<TAboutBox>([&shown](TAboutBox& about) {
            shown = true;
            about.OKButton->click();
        });
        form.AboutBtn->click();
        QVERIFY(shown);
    }
};

PIXELARY_QTEST_MAIN(DialogTest)
#include "DialogTest.moc"
