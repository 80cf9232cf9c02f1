// SPDX-License-Identifier: GPL-3.0-or-later
// The print dialog and the frame picker, driven through the event loop, printing to a PDF file
// and through a CUPS daemon of the test's own.
#include <cups/cups.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "PrivateCups.h"
#include "imaging/PixImage.h"
#include "mainwindow/TestEnvironment.h"
#include "print/PrintStyles.h"
#include "printdlg/MPrintDlg.h"
#include "printdlg/SelFrame.h"
#include "readers/library/Rwlib.h"
#include "support/SolidDib.h"

using namespace pixelary;

namespace {

constexpr int kPrinterDpi = 150;

struct Colour {
    const char* ext;
    std::uint32_t rgb;
};
// Six pictures of six formats, each one colour.
const Colour kPictures[] = {{"bmp", 0xE02020}, {"tga", 0x20C020}, {"pcx", 0x2020E0},
                            {"png", 0xE0E020}, {"jpg", 0xE020E0}, {"gif", 0x20E0E0}};

using testing::SolidDib;

// Writes a picture through the image component in the format its extension names.
void WritePicture(const QString& path, const QString& ext, std::uint32_t rgb) {
    TPixImage image;
    image.ModuleFolder = PIXELARY_BIN_DIR;
    image.Picture().Bitmap() = TPixBitmap::FromDib(SolidDib(120, 80, rgb));
    const std::string p = path.toStdString();
    const std::map<QString, TSaveFormat> formats = {
        {"bmp", TSaveFormat::BMP}, {"tga", TSaveFormat::TGA}, {"pcx", TSaveFormat::PCX},
        {"png", TSaveFormat::PNG}, {"jpg", TSaveFormat::JPG}, {"gif", TSaveFormat::GIF}};
    QVERIFY2(image.SaveAs(p, formats.at(ext)), qPrintable(path));
}

// Four cells a page (2 x 2 of 5 cm), no bands, names or frame: the pictures' colours fill
// their boxes.
PrintSettings PlainGridStyle() {
    PrintSettings s;
    s.ManualTiling = 1;
    s.Columns = 2;
    s.Rows = 2;
    s.PrintNames = s.PrintTitle = s.PrintPageNumber = 0;
    s.FrameThickness = 0;
    s.HorizontalGap = s.VerticalGap = 1.0;
    return s;
}

std::uint32_t MeanColour(const QImage& image, const QRect& area) {
    qint64 r = 0, g = 0, b = 0, n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            r += qRed(c), g += qGreen(c), b += qBlue(c), ++n;
        }
    if (n == 0) return 0;
    return static_cast<std::uint32_t>((r / n) << 16 | (g / n) << 8 | (b / n));
}

bool Near(std::uint32_t a, std::uint32_t b, int tolerance = 40) {
    for (int shift : {0, 8, 16})
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
}

int PdfPages(const QString& pdf) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    if (!info.waitForFinished(30000)) return -1;
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(out);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QImage RenderPage(const QString& pdf, int page, int dpi, const QString& folder) {
    const QString prefix = folder + QStringLiteral("/page");
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                  QString::number(page), QStringLiteral("-l"), QString::number(page),
                  QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, prefix});
    render.waitForFinished(60000);
    return QImage(prefix + QStringLiteral(".png"));
}

// Clicks a radio button or check box on its indicator, where a user clicks it: the rest of a
// wide button does not take clicks.
void ClickIndicator(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// A fake clock for the relayout delay.
qint64 g_now = 1000;

}  // namespace

class PrintDlgTest : public QObject {
    Q_OBJECT
  private:
    QString root_;
    PrintFolders folders_;
    PrintJob job_;
    std::unique_ptr<testing::PrivateCups> cups_;

    PrintDlgServices Services() {
        PrintDlgServices s = PrintDlgServices::Default();
        s.Clock = [] { return g_now; };
        s.ChooseStyleFile = [this](QWidget*, const QString&) { return chosenStyle_; };
        return s;
    }
    QString chosenStyle_;

    void WriteLastUsed(const PrintSettings& s) {
        PrintStyleStore(folders_.ShippedStyles.toStdString(), folders_.UserStyles.toStdString())
            .Save(PrintStyleStore::kLastUsed, s);
    }

    std::unique_ptr<QPrinter> FilePrinter(const QString& pdf) {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        printer->setResolution(kPrinterDpi);
        return printer;
    }

    // Checks that every page of the PDF shows the job's pictures where the layout puts them.
    void CheckPrintedPages(const QString& pdf, QPrinter& printer, TMPrintDlg& dialog) {
        QCOMPARE(PdfPages(pdf), 2);
        const PageRect sheet = PrinterPageRect(printer);
        PageLayout layout = ComputeLayout(PlainGridStyle(), dialog.Paper(), 6, sheet.Left,
                                          sheet.Top, sheet.Width, sheet.Height);
        QCOMPARE(layout.PageCount, 2);
        constexpr int kRenderDpi = 50;
        const double scale = double(kRenderDpi) / kPrinterDpi;
        // The middle of cell k on the rendered page: the 3:2 pictures fill their box's width
        // and the middle of its height.
        const auto middleOf = [&](int k) {
            const CellPosition p = CellOfSequence(layout, k);
            const int left =
                layout.GridLeft + p.Column * (layout.CellWidth + layout.HorizontalGap) - sheet.Left;
            const int top =
                layout.GridTop + p.Row * (layout.CellHeight + layout.VerticalGap) - sheet.Top;
            return QRect(int((left + layout.CellWidth * 0.3) * scale),
                         int((top + layout.CellHeight * 0.4) * scale),
                         int(layout.CellWidth * 0.4 * scale), int(layout.CellHeight * 0.2 * scale));
        };
        for (int page = 0; page < 2; ++page) {
            const QImage image = RenderPage(pdf, page + 1, kRenderDpi, root_);
            QVERIFY(!image.isNull());
            for (int k = 0; k < 4 && page * 4 + k < 6; ++k) {
                const std::uint32_t expected = kPictures[page * 4 + k].rgb;
                const std::uint32_t seen = MeanColour(image, middleOf(k));
                QVERIFY2(Near(seen, expected),
                         qPrintable(QStringLiteral("page %1 cell %2: %3 instead of %4")
                                        .arg(page + 1)
                                        .arg(k)
                                        .arg(seen, 6, 16, QLatin1Char('0'))
                                        .arg(expected, 6, 16, QLatin1Char('0'))));
            }
        }
        // The cell after the last picture stays white.
        const QImage last = RenderPage(pdf, 2, kRenderDpi, root_);
        QVERIFY(Near(MeanColour(last, middleOf(3)), 0xFFFFFF, 8));
    }

  private slots:
    void initTestCase() {
        // The daemon first: CUPS clients read where the server is once.
        cups_ = std::make_unique<testing::PrivateCups>();
        RegisterLibraryReader(PIXELARY_BIN_DIR);
        root_ = testing::MakeFolder(QStringLiteral("print"));
        folders_ = {root_ + "/shipped/PrintSet", root_ + "/user/PrintSet",
                    root_ + "/shipped/PrintFrm", root_ + "/user/PrintFrm"};
        QDir().mkpath(folders_.ShippedStyles);
        QDir().mkpath(folders_.ShippedFrames);
        QVERIFY(QFile::copy(QStringLiteral(PIXELARY_BIN_DIR "/PrintSet/system.df"),
                            folders_.ShippedStyles + "/system.df"));
        const QString pictures = root_ + "/pictures";
        QDir().mkpath(pictures);
        job_.Title = pictures.toStdString();
        for (const Colour& c : kPictures) {
            const QString path = pictures + "/picture." + c.ext;
            WritePicture(path, c.ext, c.rgb);
            job_.Entries.push_back({path.toStdString(), std::string("picture.") + c.ext,
                                    [] { return SolidDib(32, 32, 0x808080); }});
        }
    }

    void init() {
        QDir(folders_.UserStyles).removeRecursively();
        WriteLastUsed(PlainGridStyle());
    }

    void ShippedSystemStyleIsAStyleRecord() {
        const PrintSettings s =
            PrintStyleStore(folders_.ShippedStyles.toStdString(), "").Load("system.df");
        QCOMPARE(s.PictureWidth, 5.0);
        QCOMPARE(s.Paper, 9u);
    }

    // Shows a page of the dialog's page control and lets it lay out.
    static void ShowPage(TMPrintDlg& dialog, int index) {
        dialog.PageControl->setCurrentIndex(index);
        QCoreApplication::processEvents();
    }

    void ControlsAreReadWithTheirCorrections() {
        auto printer = FilePrinter(root_ + "/unused.pdf");
        TMPrintDlg dialog(*printer, folders_, nullptr, Services());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        ShowPage(dialog, 1);
        dialog.WidthEdit->clear();
        QTest::keyClicks(dialog.WidthEdit, QStringLiteral("0.5"));
        QCOMPARE(dialog.ReadControls().PictureWidth, 1.0);
        dialog.WidthEdit->clear();
        QTest::keyClicks(dialog.WidthEdit, QStringLiteral("4cm"));
        QCOMPARE(dialog.ReadControls().PictureWidth, 4.0);

        ShowPage(dialog, 2);
        ClickIndicator(dialog.MarginsManualRadio);
        QVERIFY(dialog.MarginsLeftEdit->isEnabled());
        QVERIFY(!dialog.MarginButtons[4]->isEnabled());
        dialog.MarginsLeftEdit->clear();
        QTest::keyClicks(dialog.MarginsLeftEdit, QStringLiteral("100"));
        dialog.MarginsTopEdit->clear();
        QTest::keyClicks(dialog.MarginsTopEdit, QStringLiteral("-3"));
        PrintSettings s = dialog.ReadControls();
        QCOMPARE(s.AutoMargins, 0u);
        // The paper (A4, 21 cm) less the 4 cm picture.
        QVERIFY(qAbs(s.LeftMargin - (dialog.Paper().PaperWidth - 4.0)) < 1e-9);
        QCOMPARE(s.TopMargin, 0.0);

        dialog.FrameThickEdit->clear();
        QTest::keyClicks(dialog.FrameThickEdit, QStringLiteral("9"));
        QCOMPARE(dialog.ReadControls().FrameThickness,
                 4.0);  // more than twice the 4 x 5 cm picture
        dialog.FrameThickEdit->clear();
        QTest::keyClicks(dialog.FrameThickEdit, QStringLiteral("abc"));
        QCOMPARE(dialog.ReadControls().FrameThickness, 0.0);
        ClickIndicator(dialog.PrintClipLine);
        QCOMPARE(dialog.ReadControls().CutLines, 1);
    }

    void PitchAndGapSwitchAndSurviveAStyle() {
        auto printer = FilePrinter(root_ + "/unused.pdf");
        TMPrintDlg dialog(*printer, folders_, nullptr, Services());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        ShowPage(dialog, 1);
        dialog.WidthEdit->clear();
        QTest::keyClicks(dialog.WidthEdit, QStringLiteral("5"));
        QCOMPARE(dialog.SpaceEditH->text(), QStringLiteral("1"));  // the style's 1 cm gap
        ClickIndicator(dialog.SpaceRadioPitch);
        QCOMPARE(dialog.SpaceEditH->text(), QStringLiteral("6"));
        dialog.SpaceEditH->clear();
        QTest::keyClicks(dialog.SpaceEditH, QStringLiteral("6"));
        QCOMPARE(dialog.ReadControls().HorizontalGap, 1.0);
        dialog.SpaceEditV->clear();
        QTest::keyClicks(dialog.SpaceEditV, QStringLiteral("3"));  // less than the picture
        QCOMPARE(dialog.ReadControls().VerticalGap, 0.0);

        chosenStyle_ = root_ + "/elsewhere/Label.df";
        ShowPage(dialog, 2);
        QTest::mouseClick(dialog.SaveOptionBtn, Qt::LeftButton);
        QVERIFY(QFile::exists(folders_.UserStyles + "/Label.df"));
        dialog.SpaceEditH->clear();
        QTest::keyClicks(dialog.SpaceEditH, QStringLiteral("9"));
        ClickIndicator(dialog.SpaceRadioGap);
        QCOMPARE(dialog.SpaceEditH->text(), QStringLiteral("4"));

        ShowPage(dialog, 0);
        dialog.ModalCombo->setFocus();
        QTest::keyClick(dialog.ModalCombo, Qt::Key_Down);
        QCOMPARE(dialog.ModalCombo->currentText(), QStringLiteral("Label"));
        QVERIFY(dialog.SpaceRadioPitch->isChecked());
        QCOMPARE(dialog.SpaceEditH->text(), QStringLiteral("6"));
    }

    void StyleListSkipsTheSystemStyleAndKeepsItsSelection() {
        QDir().mkpath(folders_.UserStyles);
        const auto bytes = PrintSettings{}.ToBytes();
        QFile system(folders_.UserStyles + "/SYSTEM.DF");
        QVERIFY(system.open(QIODevice::WriteOnly));
        system.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        system.close();
        auto printer = FilePrinter(root_ + "/unused.pdf");
        TMPrintDlg dialog(*printer, folders_, nullptr, Services());
        QCOMPARE(dialog.ModalCombo->count(), 1);
        QCOMPARE(dialog.ModalCombo->itemText(0), QStringLiteral("系統預設值"));
        chosenStyle_ = root_ + "/Zebra.df";
        QTest::mouseClick(dialog.SaveOptionBtn, Qt::LeftButton);
        chosenStyle_ = root_ + "/Apple.df";
        QTest::mouseClick(dialog.SaveOptionBtn, Qt::LeftButton);
        QCOMPARE(dialog.ModalCombo->count(), 3);
        QCOMPARE(dialog.ModalCombo->itemText(1), QStringLiteral("Apple"));
        QCOMPARE(dialog.ModalCombo->itemText(2), QStringLiteral("Zebra"));
        QCOMPARE(dialog.ModalCombo->currentIndex(), 0);
    }

    void RelayoutWaitsForTheLastChange() {
        auto printer = FilePrinter(root_ + "/unused.pdf");
        TMPrintDlg dialog(*printer, folders_, nullptr, Services());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        g_now += 5000;  // past the relayout the showing scheduled
        QTRY_COMPARE(dialog.RelayoutCount(), 1);
        ShowPage(dialog, 1);
        dialog.WidthEdit->clear();
        QTest::keyClicks(dialog.WidthEdit, QStringLiteral("7"));
        g_now += 1000;
        QTest::keyClicks(dialog.WidthEdit, QStringLiteral(".5"));
        g_now += 1000;  // 2 s after the first keystroke, 1 s after the last
        QTest::qWait(3 * TMPrintDlg::kTimerIntervalMs);
        QCOMPARE(dialog.RelayoutCount(), 1);
        g_now += 500;
        QTRY_COMPARE(dialog.RelayoutCount(), 2);
        // The relayout keeps the settings as the last used style.
        const PrintSettings saved =
            PrintStyleStore(folders_.ShippedStyles.toStdString(), folders_.UserStyles.toStdString())
                .Load(PrintStyleStore::kLastUsed);
        QCOMPARE(saved.PictureWidth, 7.5);
        // Restoring the style relays out on the next tick.
        ShowPage(dialog, 0);
        QTest::mouseClick(dialog.ModelDefaultBtn, Qt::LeftButton);
        QTRY_COMPARE(dialog.RelayoutCount(), 3);
        QCOMPARE(dialog.WidthEdit->text(), QStringLiteral("5"));  // the system style
    }

    void PreviewStepsThroughThePages() {
        auto printer = FilePrinter(root_ + "/unused.pdf");
        TMPrintDlg dialog(*printer, folders_, nullptr, Services());
        dialog.SetJob(job_);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.TotalPagesLabel->text(), QStringLiteral("1/2"));
        QVERIFY(!dialog.BackBtn->isEnabled());
        QVERIFY(dialog.ForeBtn->isEnabled());
        QTest::mouseClick(dialog.ForeBtn, Qt::LeftButton);
        QCOMPARE(dialog.TotalPagesLabel->text(), QStringLiteral("2/2"));
        QVERIFY(dialog.BackBtn->isEnabled());
        QVERIFY(!dialog.ForeBtn->isEnabled());
        const QImage shown = dialog.PreviewPaint->grab().toImage();
        const PageLayout& l = dialog.PreviewLayout();
        // Page 2 starts with the fifth entry's large image (grey) in its first cell.
        const QPoint centre(l.GridLeft + l.CellWidth / 2, l.GridTop + l.CellHeight / 2);
        QVERIFY(Near(shown.pixel(centre) & 0xFFFFFF, 0x808080, 8));
    }

    void PrintsToAPdfFile() {
        const QString pdf = root_ + "/printed.pdf";
        auto printer = FilePrinter(pdf);
        TMPrintDlg dialog(*printer, folders_, nullptr, Services());
        dialog.SetJob(job_);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(dialog.StartBtn, Qt::LeftButton);
        QVERIFY(!dialog.Printing());
        QCOMPARE(dialog.ProgressBar1->value(), 0);
        CheckPrintedPages(pdf, *printer, dialog);
    }

    void PrintsThroughCups() {
        if (!cups_->Running()) QSKIP(qPrintable("no CUPS daemon here: " + cups_->Failure()));
        QFile::remove(cups_->OutputFile());
        QPrinter printer(QPrinter::HighResolution);
        printer.setPrinterName(QLatin1String(testing::PrivateCups::kQueue));
        QVERIFY(printer.isValid());
        printer.setResolution(kPrinterDpi);
        TMPrintDlg dialog(printer, folders_, nullptr, Services());
        dialog.SetJob(job_);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(dialog.StartBtn, Qt::LeftButton);
        QVERIFY(dialog.LastJobId() > 0);
        QCOMPARE(testing::PrivateCups::WaitForJob(dialog.LastJobId(), 30000),
                 int(IPP_JSTATE_COMPLETED));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(cups_->OutputFile()), 10000);
        CheckPrintedPages(cups_->OutputFile(), printer, dialog);
    }

    void AbortCancelsTheCupsJob() {
        if (!cups_->Running()) QSKIP(qPrintable("no CUPS daemon here: " + cups_->Failure()));
        QFile::remove(cups_->OutputFile());
        QPrinter printer(QPrinter::HighResolution);
        printer.setPrinterName(QLatin1String(testing::PrivateCups::kQueue));
        printer.setResolution(kPrinterDpi);
        TMPrintDlg dialog(printer, folders_, nullptr, Services());
        dialog.SetJob(job_);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QString captionWhilePrinting;
        // Pressed once the first cell is drawn and the dialog lets events through.
        QTimer::singleShot(0, &dialog, [&] {
            captionWhilePrinting = dialog.CloseBtn->text();
            QVERIFY(!dialog.StartBtn->isEnabled());
            QTest::mouseClick(dialog.CloseBtn, Qt::LeftButton);
        });
        QTest::mouseClick(dialog.StartBtn, Qt::LeftButton);
        QCOMPARE(captionWhilePrinting, QStringLiteral("放棄列印"));
        QVERIFY(dialog.isVisible());  // the press aborted the job; it did not close the dialog
        QVERIFY(!dialog.Printing());
        QCOMPARE(dialog.CloseBtn->text(), QStringLiteral("關閉"));
        QVERIFY(dialog.StartBtn->isEnabled());
        QVERIFY(dialog.PageControl->isEnabled());
        QVERIFY(dialog.LastJobId() > 0);
        QCOMPARE(testing::PrivateCups::WaitForJob(dialog.LastJobId(), 30000),
                 int(IPP_JSTATE_CANCELED));
        QTest::qWait(500);
        QVERIFY(!QFile::exists(cups_->OutputFile()));
    }

    void AbortedFileKeepsWhatWasThere() {
        const QString pdf = root_ + "/kept.pdf";
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents");
        old.close();
        auto printer = FilePrinter(pdf);
        TMPrintDlg dialog(*printer, folders_, nullptr, Services());
        dialog.SetJob(job_);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTimer::singleShot(0, &dialog, [&] { QTest::mouseClick(dialog.CloseBtn, Qt::LeftButton); });
        QTest::mouseClick(dialog.StartBtn, Qt::LeftButton);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old contents"));
    }

    void FramePickerGridAndSelection() {
        const QString frames = testing::MakeFolder(QStringLiteral("frames"));
        // Green frames whose bottom-left pixel, their transparent colour, is white.
        Dib green = SolidDib(20, 20, 0x00FF00);
        green.Row(19)[0] = green.Row(19)[1] = green.Row(19)[2] = 0xFF;
        for (int i = 0; i < 8; ++i)
            green.SaveToFile((frames + QStringLiteral("/f%1.bmp").arg(i)).toStdString());
        testing::WriteBmp(frames + "/A.BMP", 20, 20, 0xFF0000);
        testing::WriteBmp(frames + "/b.png", 20, 20, 0xFF0000);  // not a frame format
        QVERIFY(QFile::copy(QStringLiteral(PIXELARY_TEST_DATA "/readers/tif/rgb24.tif"),
                            frames + "/z.TIFF"));
        const QString outside = root_ + "/elsewhere/mine.bmp";
        TSelFrameDlg dialog({frames});
        dialog.SelectedPath = outside;
        dialog.show();
        QTRY_VERIFY(dialog.Loaded());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Select Frame"));
        QCOMPARE(dialog.Count(), 10);
        QCOMPARE(dialog.Columns(), 4);
        QCOMPARE(dialog.Rows(), 3);
        QCOMPARE(dialog.ItemPaint->height(), 225);
        QCOMPARE(dialog.SelectedIndex(), -1);
        QTest::mouseClick(dialog.OKBtn, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.SelectedPath, outside);

        TSelFrameDlg picker({frames});
        picker.SelectedPath = frames + "/A.BMP";
        picker.show();
        QTRY_VERIFY(picker.Loaded());
        QCOMPARE(picker.SelectedIndex(), 0);  // A.BMP sorts first without regard to case
        QTest::mouseClick(picker.ItemPaint, Qt::LeftButton, {}, QPoint(160, 80));
        QCOMPARE(picker.SelectedIndex(), 6);
        QCOMPARE(picker.SelectedPath, frames + "/f5.bmp");
        QTest::mouseClick(picker.ItemPaint, Qt::LeftButton, {},
                          QPoint(160, 170));  // below the last
        QCOMPARE(picker.SelectedIndex(), 6);
        const QImage grid = picker.ItemPaint->grab().toImage();
        QCOMPARE(grid.pixel(75 * 2 + 2, 75 + 2) & 0xFFFFFF, 0x000080u);  // navy around the chosen
        QCOMPARE(grid.pixel(75 * 2 + 40, 75 + 40) & 0xFFFFFF, 0x00FF00u);
    }

    void cleanupTestCase() { cups_.reset(); }
};

PIXELARY_QTEST_MAIN(PrintDlgTest)
#include "PrintDlgTest.moc"
