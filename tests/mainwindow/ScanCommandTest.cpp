// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's scan command: refused outside plain folders, the dialog on the shown folder,
// and the refreshed view afterwards.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "mainwindow/Main.h"
#include "mainwindow/TestEnvironment.h"
#include "model/MExplorerItem.h"
#include "scan/ScanImg.h"

using namespace pixelary;
using namespace pixelary::testing;

class ScanCommandTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<TMainForm> form_;

    bool Shows(const QString& name) const {
        for (int i = 0; i < form_->EntryCount(); ++i) {
            if (QString::fromStdString(form_->Entry(i)->GetDisplayName(0)) == name) return true;
        }
        return false;
    }

  private slots:
    void init() {
        TestEnvironment::TakeMessages();
        form_ = std::make_unique<TMainForm>();
        form_->resize(800, 600);
        form_->show();
    }
    void cleanup() { form_.reset(); }

    void refusedOnTheDesktop() {
        form_->CmDesktopClick();
        form_->CmFileTwainAcquireClick();
        const auto messages = TestEnvironment::TakeMessages();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].caption, QStringLiteral("錯誤"));
        QCOMPARE(messages[0].text, QStringLiteral("目前所在的資料夾不能存檔"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void dialogSavesIntoTheShownFolderAndTheViewRefreshes() {
        const QString folder = MakeFolder("掃描");
        form_->GotoFolderPath(folder);
        QVERIFY(!Shows("File00000.bmp"));
        QString shownFolder;
        bool opened = false;
        // While the dialog runs modally: a scan lands in the folder, then "Cancel".
        QTimer::singleShot(0, this, [&] {
            auto* dialog = dynamic_cast<TScanImgDlg*>(QApplication::activeModalWidget());
            if (!dialog) return;
            opened = true;
            shownFolder = dialog->SaveFolderLabel->text();
            WriteBmp(folder + "/File00000.bmp", 4, 4, 0x808080);
            QTest::mouseClick(dialog->CancelBtn, Qt::LeftButton);
        });
        form_->CmFileTwainAcquireClick();
        QVERIFY(opened);
        QCOMPARE(shownFolder, folder + "/");
        QVERIFY(Shows("File00000.bmp"));
        QVERIFY(TestEnvironment::TakeMessages().isEmpty());
    }
};

PIXELARY_QTEST_MAIN(ScanCommandTest)
#include "ScanCommandTest.moc"
