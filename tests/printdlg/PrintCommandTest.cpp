// SPDX-License-Identifier: GPL-3.0-or-later
// The print command of the main window, started from its tool button.
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "mainwindow/Main.h"
#include "mainwindow/TestEnvironment.h"
#include "model/MExplorerItem.h"
#include "printdlg/MPrintDlg.h"

using namespace pixelary;
using namespace pixelary::testing;

class PrintCommandTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        TestEnvironment::TakeMessages();
        form_ = std::make_unique<TMainForm>();
        form_->resize(800, 600);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        jobs_.clear();
        form_->PrintCommand.HasPrinter = [this] { return hasPrinter_; };
        form_->PrintCommand.RunPrintDialog = [this](QWidget*, PrintJob job) {
            jobs_.push_back(std::move(job));
        };
        hasPrinter_ = true;
    }
    void cleanup() { form_.reset(); }

    void NothingToPrintWithoutAFolderOrASelection() {
        ClickPrint();
        ExpectMessage(kStrNothingToPrint);
        Open("無選擇", {"a.bmp"});
        ClickPrint();
        ExpectMessage(kStrNothingToPrint);
        QVERIFY(jobs_.empty());
    }

    void ASelectedEntryThatIsNoPictureStopsTheCommand() {
        Open("混合", {"a.bmp", "b.txt", "c.png"});
        Select({"a.bmp", "b.txt"});
        ClickPrint();
        ExpectMessage(kStrCannotPrintItem);
        QVERIFY(jobs_.empty());
    }

    void NoPrinterIsSaid() {
        Open("無印表機", {"a.bmp"});
        Select({"a.bmp"});
        hasPrinter_ = false;
        ClickPrint();
        ExpectMessage(kStrNoPrinter);
        QVERIFY(jobs_.empty());
    }

    void TheJobHoldsTheSelectedPicturesInViewOrder() {
        const QString folder = Open("工作", {"c.bmp", "a.bmp", "b.jpeg", "d.bmp"});
        Select({"d.bmp", "a.bmp", "b.jpeg"});
        ClickPrint();
        QVERIFY(TestEnvironment::TakeMessages().isEmpty());
        QCOMPARE(int(jobs_.size()), 1);
        const PrintJob& job = jobs_.front();
        QCOMPARE(QString::fromStdString(job.Title), folder);
        QCOMPARE(int(job.Entries.size()), 3);
        QCOMPARE(QString::fromStdString(job.Entries[0].Label), QStringLiteral("a.bmp"));
        QCOMPARE(QString::fromStdString(job.Entries[1].Label), QStringLiteral("b.jpeg"));
        QCOMPARE(QString::fromStdString(job.Entries[2].Label), QStringLiteral("d.bmp"));
        QCOMPARE(QString::fromStdString(job.Entries[2].Path), folder + "/d.bmp");
        QVERIFY(!job.Entries[0].LargeImage().IsEmpty());
    }

    void ThePrintDialogOpensOnTheJob() {
        Open("對話", {"a.bmp", "b.bmp"});
        Select({"a.bmp", "b.bmp"});
        form_->PrintCommand.RunPrintDialog = PrintCommandHooks::Default().RunPrintDialog;
        QString title;
        int pages = -1;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TMPrintDlg*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            title = dialog->windowTitle();
            pages = dialog->PreviewLayout().PageCount;
            QTest::mouseClick(dialog->CloseBtn, Qt::LeftButton);
        });
        ClickPrint();
        QCOMPARE(title, QStringLiteral("預視列印"));
        QVERIFY(pages >= 1);
        QVERIFY(!QApplication::activeModalWidget());
    }

  private:
    void ClickPrint() { QTest::mouseClick(form_->PrintBtn, Qt::LeftButton); }

    void ExpectMessage(int id) {
        const QList<MessageRecord> messages = TestEnvironment::TakeMessages();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.front().text, LoadStr(id));
    }

    QString Open(const QString& name, const QStringList& files) {
        const QString folder = MakeFolder(name);
        for (const QString& file : files) WriteBmp(folder + "/" + file, 8, 8, 0x808080);
        form_->GotoFolderPath(folder);
        return folder;
    }

    void Select(const QStringList& fileNames) {
        for (int i = 0; i < form_->EntryCount(); ++i) {
            MExplorerItem* entry = form_->Entry(i);
            const QString name = QString::fromStdString(entry->GetName() + entry->GetExt());
            entry->Selected = fileNames.contains(name) ? 1 : 0;
        }
    }

    std::unique_ptr<TMainForm> form_;
    std::vector<PrintJob> jobs_;
    bool hasPrinter_ = true;
};

PIXELARY_QTEST_MAIN(PrintCommandTest)
#include "PrintCommandTest.moc"
