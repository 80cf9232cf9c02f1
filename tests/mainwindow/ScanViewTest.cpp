// SPDX-License-Identifier: GPL-3.0-or-later
// The view and the scanner together: the pictures kept between paints, and the entries scrolled
// into view scanned before the rest.
#include <QScrollBar>
#include <QtTest>

#include "core/Dib.h"
#include "mainwindow/BmpStreamImage.h"
#include "mainwindow/Controls.h"
#include "mainwindow/Main.h"
#include "mainwindow/PictureCache.h"
#include "mainwindow/TestEnvironment.h"
#include "model/MExplorerItem.h"

using namespace pixelary;
using testing::MakeFolder;
using testing::WriteBmp;
using testing::WriteFile;

namespace {

constexpr std::uint32_t kRed = 0xFF0000;
constexpr int kPictures = 300;

Dib OneColour(int width, int height, std::uint8_t blue) {
    Dib dib(width, height, 24);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) dib.Row(y)[3 * x] = blue;
    }
    return dib;
}

// Whether the entry shows a thumbnail of one of the red pictures (rather than its icon).
bool HasRedThumbnail(MExplorerItem& entry) {
    const QImage picture = LoadBmpImage(entry.GetLargeImageStream());
    return !picture.isNull() && picture.width() == 94 && picture.pixel(10, 10) == qRgb(255, 0, 0);
}

}  // namespace

class ScanViewTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        pictures_ = MakeFolder(QStringLiteral("pictures"));
        for (int i = 0; i < kPictures; ++i) {
            WriteBmp(pictures_ + QStringLiteral("/p%1.bmp").arg(i, 3, 10, QChar('0')), 188, 156,
                     kRed);
        }
        texts_ = MakeFolder(QStringLiteral("texts"));
        for (int i = 0; i < 3; ++i) WriteFile(texts_ + QStringLiteral("/t%1.txt").arg(i), 1);
    }

    void KeptPicturesFollowTheirStreams() {
        MExplorerItem folder(texts_.toStdString());
        QCOMPARE(folder.ChildCount(), 3);
        PictureCache pictures(2);
        MExplorerItem& first = *folder.GetChild(0);
        const QImage icon = pictures.Picture(first);
        QVERIFY(!icon.isNull());
        // Painted again unchanged: the very same decoded picture.
        QCOMPARE(pictures.Picture(first).cacheKey(), icon.cacheKey());
        // A new thumbnail in the stream is decoded again.
        first.SetLargeImage(OneColour(94, 70, 0xC0));
        const QImage thumbnail = pictures.Picture(first);
        QCOMPARE(thumbnail.size(), QSize(94, 70));
        QCOMPARE(thumbnail.pixel(5, 5), qRgb(0, 0, 0xC0));
        // Beyond its capacity the least recently painted picture gives way.
        pictures.Picture(*folder.GetChild(1));
        pictures.Picture(first);
        pictures.Picture(*folder.GetChild(2));
        QCOMPARE(pictures.Size(), std::size_t{2});
        QCOMPARE(pictures.Picture(first).cacheKey(), thumbnail.cacheKey());
    }

    void PaintingShowsAThumbnailStoredAfterThePictureWasKept() {
        TMainForm form;
        form.resize(800, 600);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.GotoFolderPath(texts_);
        QVERIFY(form.WaitForScanner(60000));
        const QPoint inThumb = CellRect(form.CurrentGrid(), 1).topLeft() + QPoint(55, 49);
        QVERIFY(form.ItemPaint->grab().toImage().pixel(inThumb) != qRgb(0, 0, 0xC0));
        form.Entry(1)->SetLargeImage(OneColour(94, 78, 0xC0));
        form.InvalidateItem(1);
        QTRY_COMPARE(form.ItemPaint->grab().toImage().pixel(inThumb), qRgb(0, 0, 0xC0));
    }

    // Scrolled to the end as the folder opens: the last entries get their thumbnails before the
    // middle ones (only the entries already given out to the decoding threads, a dozen or so at
    // the top, come before them). The stamps of the entries' images tell the order of storing.
    void EntriesScrolledIntoViewAreScannedFirst() {
        TMainForm form;
        form.resize(800, 600);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.GotoFolderPath(pictures_);
        QCOMPARE(form.EntryCount(), kPictures);
        QCoreApplication::processEvents();  // the layout settles (scrolled to the top)
        QScrollBar* bar = form.ItemScrollBox->verticalScrollBar();
        bar->setValue(bar->maximum());
        QVERIFY(form.WaitForScanner(60000));
        QCOMPARE(bar->value(), bar->maximum());
        std::vector<std::uint64_t> stored;
        for (int i = 0; i < kPictures; ++i) {
            QVERIFY2(HasRedThumbnail(*form.Entry(i)), qPrintable(QString::number(i)));
            stored.push_back(form.Entry(i)->LargeImageStamp());
        }
        QVERIFY(stored[kPictures - 1] < stored[kPictures / 2]);
        QVERIFY(stored[kPictures - 1] > stored[0]);  // the first few were on their way already
        QVERIFY(stored[kPictures / 2] > stored[kPictures / 2 - 1]);  // the rest in folder order
    }

  private:
    QString pictures_;
    QString texts_;
};

PIXELARY_QTEST_MAIN(ScanViewTest)
#include "ScanViewTest.moc"
