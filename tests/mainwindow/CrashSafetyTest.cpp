// SPDX-License-Identifier: GPL-3.0-or-later
// The main window keeps what a crash would lose small: the cache index is written when a scan
// ends, not only at exit, and a cache folder that cannot be written is reported once while the
// thumbnails are still shown.

#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "cache/MCacheFile.h"
#include "core/Dib.h"
#include "core/Stream.h"
#include "mainwindow/Main.h"
#include "mainwindow/TestEnvironment.h"
#include "model/MExplorerItem.h"
#include "settings/Settings.h"
#include "support/SmallFileSystem.h"

using namespace pixelary;

namespace {

constexpr int kScanTimeoutMs = 60000;
constexpr int kPictures = 3;

// Records in the index on disk, as the next start would load them.
int RecordsOnDisk() {
    MCacheFileManager next;
    next.SetDirectory(ProcessSettings().CachePath);
    next.SetLimit(1 << 20);
    next.Load();
    return next.Count();
}

int CacheNotices(const TMainForm& form) {
    return static_cast<int>(form.findChildren<QMessageBox*>(QStringLiteral("CacheNotice")).size());
}

}  // namespace

class CrashSafetyTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        pictures_ = testing::MakeFolder(QStringLiteral("pictures"));
        for (int i = 0; i < kPictures; ++i) {
            testing::WriteBmp(pictures_ + QStringLiteral("/p%1.bmp").arg(i), 120, 90, 0x336699);
        }
    }

    void ScanEndWritesTheIndexWhileTheWindowStaysOpen() {
        TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        std::filesystem::remove(ProcessSettings().CachePath + "/Pixelary.cac");
        form.GotoFolderPath(pictures_);
        QVERIFY(form.findChild<QTimer*>(QStringLiteral("CheckpointTimer"))->isActive());
        QVERIFY(form.WaitForScanner(kScanTimeoutMs));
        QCOMPARE(RecordsOnDisk(), kPictures);
        QVERIFY(!form.findChild<QTimer*>(QStringLiteral("CheckpointTimer"))->isActive());
    }

    void UnwritableCacheFolderIsReportedOnceAndThumbnailsStillShow() {
        const QString where = testing::MakeFolder(QStringLiteral("read-only-cache"));
        testing::SmallFileSystem readOnly(where.toStdString(),
                                          testing::SmallFileSystem::Kind::ReadOnly);
        if (!readOnly.Ready()) QSKIP(readOnly.Why().c_str());
        auto form = std::make_unique<TMainForm>();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->Cache->SetDirectory(where.toStdString());
        form->Cache->Clear();
        testing::TestEnvironment::TakeMessages();

        form->GotoFolderPath(pictures_);
        QVERIFY(form->WaitForScanner(kScanTimeoutMs));
        for (int i = 0; i < kPictures; ++i) {
            MemoryStream& stream = form->Entry(i)->GetLargeImageStream();
            stream.SetPosition(0);
            QVERIFY(Dib::LoadFromStream(stream).Width() > 32);  // a thumbnail, not the icon
        }
        QCOMPARE(CacheNotices(*form), 1);
        form->CmViewRefresh->trigger();
        QVERIFY(form->WaitForScanner(kScanTimeoutMs));
        QCOMPARE(CacheNotices(*form), 1);
        form->close();
        form.reset();
        QVERIFY(testing::TestEnvironment::TakeMessages().isEmpty());  // not again at exit
    }

  private:
    QString pictures_;
};

PIXELARY_QTEST_MAIN(CrashSafetyTest)
#include "CrashSafetyTest.moc"
