// SPDX-License-Identifier: GPL-3.0-or-later
// The whole program on real pictures: the scan fills the cells with thumbnails, the cache keeps
// them, and closing the window in the middle of a scan neither hangs nor loses the index.
#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QtTest>

#include "cache/MCacheFile.h"
#include "core/Dib.h"
#include "mainwindow/BmpStreamImage.h"
#include "mainwindow/Controls.h"
#include "mainwindow/Main.h"
#include "mainwindow/TestEnvironment.h"
#include "model/MExplorerItem.h"
#include "readers/library/Rwlib.h"
#include "scanner/MScanIcon.h"
#include "settings/Settings.h"

using namespace pixelary;

namespace {

constexpr int kScanTimeoutMs = 60000;

// A 24-bit picture with a diagonal colour ramp, so every thumbnail pixel tells where it came
// from.
void WriteRampBmp(const QString& path, int width, int height, int seed) {
    Dib dib(width, height, 24);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = dib.Row(y);
        for (int x = 0; x < width; ++x) {
            row[x * 3] = static_cast<std::uint8_t>(x * 255 / width);
            row[x * 3 + 1] = static_cast<std::uint8_t>(y * 255 / height);
            row[x * 3 + 2] = static_cast<std::uint8_t>(seed * 40);
        }
    }
    dib.SaveToFile(path.toStdString());
}

QString CacheDirectory() {
    return QString::fromStdString(ProcessSettings().CachePath);
}

}  // namespace

class EndToEndTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        RegisterLibraryReader(PIXELARY_BIN_DIR);
        pictures_ = testing::MakeFolder(QStringLiteral("pictures"));
        WriteRampBmp(pictures_ + "/a-ramp.bmp", 188, 156, 1);
        WriteRampBmp(pictures_ + "/b-small.bmp", 47, 39, 2);
        WriteRampBmp(pictures_ + "/c-photo.bmp", 640, 480, 3);
        // A PNG written by Qt's own encoder reaches the view through the image component.
        QImage png(120, 100, QImage::Format_RGB32);
        png.fill(qRgb(200, 30, 90));
        QVERIFY(png.save(pictures_ + "/d-flat.png"));
        testing::WriteFile(pictures_ + "/e-notes.txt", 10);

        big_ = testing::MakeFolder(QStringLiteral("big"));
        for (int i = 0; i < 40; ++i) {
            WriteRampBmp(big_ + QStringLiteral("/p%1.bmp").arg(i, 2, 10, QChar('0')), 1200, 900, i);
        }
    }

    void ScanPaintsThumbnailsInTheirCells() {
        TMainForm form;
        form.resize(900, 600);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.GotoFolderPath(pictures_);
        QCOMPARE(form.EntryCount(), 5);
        QVERIFY(form.WaitForScanner(kScanTimeoutMs));
        QCOMPARE(form.Progress, -1);

        const QImage view = form.ItemPaint->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int i = 0; i < 4; ++i) {
            const QImage thumb = LoadBmpImage(form.Entry(i)->GetLargeImageStream())
                                     .convertToFormat(QImage::Format_RGB32);
            QVERIFY2(thumb.width() >= 93 || thumb.height() >= 77, qPrintable(QString::number(i)));
            // The cell shows the thumbnail fitted to the box (a thumbnail one pixel short of
            // the box is stretched by that pixel), centred in the box.
            const QSize fitted = FitPicture(thumb.size(), cell::kThumbBox.size());
            QVERIFY(qAbs(fitted.width() - thumb.width()) <= 1);
            QImage expected(fitted, QImage::Format_RGB32);
            {
                QPainter painter(&expected);
                painter.drawImage(expected.rect(), thumb);
            }
            const QRect where = CentredPicture(
                fitted, cell::kThumbBox.translated(CellRect(form.CurrentGrid(), i).topLeft()));
            QCOMPARE(view.copy(where), expected);
        }
        // The picture of the PNG is its flat colour.
        const QRect png = cell::kThumbBox.translated(CellRect(form.CurrentGrid(), 3).topLeft());
        QCOMPARE(view.pixel(png.center()), qRgb(200, 30, 90));
        // A 640 x 480 picture gives a 93 x 70 thumbnail.
        QCOMPARE(LoadBmpImage(form.Entry(2)->GetLargeImageStream()).size(), QSize(93, 70));
        QCOMPARE(form.Cache->Count(), 4);

        // A second visit fills from the cache: same thumbnails, no new records.
        form.CmViewRefresh->trigger();
        QVERIFY(form.WaitForScanner(kScanTimeoutMs));
        QCOMPARE(form.Cache->Count(), 4);
        QCOMPARE(LoadBmpImage(form.Entry(0)->GetLargeImageStream()).size(), QSize(94, 78));
    }

    void ClosingMidScanStopsTheScannerAndWritesTheIndex() {
        auto form = std::make_unique<TMainForm>();
        form->resize(900, 600);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->GotoFolderPath(big_);
        QCOMPARE(form->EntryCount(), 40);
        QTRY_VERIFY_WITH_TIMEOUT(form->Progress >= 0, kScanTimeoutMs);
        QVERIFY(form->Progress < 100);
        int shown = 0;
        for (int i = 0; i < form->EntryCount(); ++i) {
            shown += LoadBmpImage(form->Entry(i)->GetLargeImageStream()).width() > 32;
        }
        QElapsedTimer timer;
        timer.start();
        form->close();
        QVERIFY(!form->Scanner);
        QVERIFY(timer.elapsed() < 20000);
        form.reset();

        // The index written at exit names only thumbnails that exist.
        MCacheFileManager reloaded;
        reloaded.SetDirectory(CacheDirectory().toStdString());
        reloaded.SetLimit(ProcessSettings().CacheSize);  // the default of 1 KB would evict all
        reloaded.Load();
        int big = 0;
        for (int i = 0; i < reloaded.Count(); ++i) {
            const MCacheFile* record = reloaded.Item(i);
            QVERIFY(
                QFile::exists(CacheDirectory() + "/" + QString::fromStdString(record->ImageFile)));
            if (QString::fromStdString(record->SourcePath).startsWith(big_)) ++big;
        }
        // Every thumbnail shown before the close was stored and indexed.
        QVERIFY2(big >= shown,
                 qPrintable(QStringLiteral("%1 indexed, %2 shown").arg(big).arg(shown)));
        QVERIFY(big < 40);
    }

    void DescendingMidScanKeepsSelectionAndPutsThumbnailsOnTheirEntries() {
        TMainForm form;
        form.resize(900, 600);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.GotoFolderPath(big_);
        form.CmViewReloadIcon->trigger();  // cached thumbnails are made again: a longer scan
        QTRY_VERIFY_WITH_TIMEOUT(form.Progress >= 0, kScanTimeoutMs);
        form.Entry(5)->Selected = true;
        const std::string selected = form.Entry(5)->GetName();
        form.CmSortMaxMin->trigger();
        QVERIFY(form.WaitForScanner(kScanTimeoutMs));
        QCOMPARE(form.Entry(0)->GetName(), std::string("p39"));
        for (int i = 0; i < form.EntryCount(); ++i) {
            MExplorerItem* entry = form.Entry(i);
            QCOMPARE(entry->Selected, entry->GetName() == selected);
            // Each picture's red channel is its number times 40: the thumbnail is its own.
            const int seed = QString::fromStdString(entry->GetName()).mid(1).toInt();
            const QImage thumb = LoadBmpImage(entry->GetLargeImageStream());
            QCOMPARE(thumb.size(), QSize(94, 70));
            QCOMPARE(qRed(thumb.pixel(0, 0)), (seed * 40) & 0xFF);
        }
    }

    void DescendingDuringAReloadKeepsReloading() {
        TMainForm form;
        form.resize(900, 600);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.GotoFolderPath(pictures_);
        QVERIFY(form.WaitForScanner(kScanTimeoutMs));  // every thumbnail is in the cache now
        form.CmViewReloadIcon->trigger();
        // The event loop has not run since: the reload's scan is still waiting for its first
        // entry when the order changes.
        QVERIFY(form.Scanner && !form.Scanner->Finished());
        form.CmSortMaxMin->trigger();
        QVERIFY(form.WaitForScanner(kScanTimeoutMs));
        QCOMPARE(form.Scanner->CacheHits, 0);
        QCOMPARE(form.Scanner->ThumbnailsMade, 4);
    }

  private:
    QString pictures_;
    QString big_;
};

PIXELARY_QTEST_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
