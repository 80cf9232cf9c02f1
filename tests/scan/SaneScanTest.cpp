// SPDX-License-Identifier: GPL-3.0-or-later
// Whole scans through the dialog, the program's manager module and SANE's "test" backend: each
// saved file is read back and compared with what scanimage gets from the same backend and options.
#include <dlfcn.h>

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <cstdlib>

#include "imaging/PixImage.h"
#include "scan/ScanImg.h"
#include "scan/ScanTestSupport.h"
#include "scan/TWAINControl.h"
#include "settings/Settings.h"

using namespace pixelary;

namespace {

// The scan area and resolution every scan here uses: 31 x 19 mm at 50 dpi.
constexpr double kRight = 31, kBottom = 19;
constexpr int kResolution = 50;
constexpr const char* kTestBackend = SANE_TEST_BACKEND;

QStringList messages;

// A picture as rows of red, green, blue.
struct Rgb {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
    const std::uint8_t* At(int x, int y) const {
        return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 3;
    }
};

// Reads a binary PNM (P5 grey or P6 colour) as scanimage writes it.
Rgb ReadPnm(const QByteArray& data) {
    Rgb picture;
    QList<QByteArray> fields;
    qsizetype pos = 0;
    while (fields.size() < 4 && pos < data.size()) {
        while (pos < data.size() && std::isspace(static_cast<unsigned char>(data[pos]))) ++pos;
        if (pos < data.size() && data[pos] == '#') {
            while (pos < data.size() && data[pos] != '\n') ++pos;
            continue;
        }
        const qsizetype start = pos;
        while (pos < data.size() && !std::isspace(static_cast<unsigned char>(data[pos]))) ++pos;
        fields << data.mid(start, pos - start);
    }
    ++pos;
    if (fields.size() < 4) return picture;
    const bool colour = fields[0] == "P6";
    picture.width = fields[1].toInt();
    picture.height = fields[2].toInt();
    const qsizetype channels = colour ? 3 : 1;
    if (data.size() - pos < picture.width * picture.height * channels) return Rgb{};
    for (qsizetype i = 0; i < picture.width * picture.height; ++i) {
        for (int c = 0; c < 3; ++c) {
            picture.pixels.push_back(
                static_cast<std::uint8_t>(data[pos + i * channels + (colour ? c : 0)]));
        }
    }
    return picture;
}

Rgb FromBitmap(const TPixBitmap& bitmap) {
    Rgb picture;
    picture.width = bitmap.Width();
    picture.height = bitmap.Height();
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < picture.width; ++x) {
            std::uint32_t colour = 0;
            switch (bitmap.BitCount()) {
                case 24:
                    colour = std::uint32_t(row[x * 3 + 2]) << 16 | row[x * 3 + 1] << 8 | row[x * 3];
                    break;
                case 32:
                    colour = std::uint32_t(row[x * 4 + 2]) << 16 | row[x * 4 + 1] << 8 | row[x * 4];
                    break;
                case 8:
                    colour = bitmap.Palette().at(row[x]);
                    break;
                case 4:
                    colour = bitmap.Palette().at((row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF);
                    break;
                case 1:
                    colour = bitmap.Palette().at((row[x / 8] >> (7 - x % 8)) & 1);
                    break;
                default:
                    return Rgb{};
            }
            picture.pixels.push_back(static_cast<std::uint8_t>(colour >> 16));
            picture.pixels.push_back(static_cast<std::uint8_t>(colour >> 8));
            picture.pixels.push_back(static_cast<std::uint8_t>(colour));
        }
    }
    return picture;
}

// Mean absolute difference per channel; -1 when the sizes differ.
double MeanDifference(const Rgb& a, const Rgb& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size() ||
        a.pixels.empty()) {
        return -1;
    }
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) sum += std::abs(a.pixels[i] - b.pixels[i]);
    return sum / static_cast<double>(a.pixels.size());
}

}  // namespace

class SaneScanTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir home_;
    QString config_;

    void WriteBackendConfig(const QByteArray& extra) {
        QFile dll(config_ + "/dll.conf");
        QVERIFY(dll.open(QIODevice::WriteOnly));
        dll.write("test\n");
        dll.close();
        QFile test(config_ + "/test.conf");
        QVERIFY(test.open(QIODevice::WriteOnly));
        test.write("number_of_devices 1\ntest-picture \"Color pattern\"\nresolution 75.0\n" +
                   extra);
    }

    // What scanimage gets from the same backend with the same options.
    Rgb Reference(const QString& mode) {
        QProcess scanimage;
        scanimage.start(
            QStringLiteral("scanimage"),
            {QStringLiteral("-d"), QStringLiteral("test:0"), QStringLiteral("--mode"), mode,
             QStringLiteral("--depth"), QStringLiteral("8"), QStringLiteral("--resolution"),
             QString::number(kResolution), QStringLiteral("-l"), QStringLiteral("0"),
             QStringLiteral("-t"), QStringLiteral("0"), QStringLiteral("-x"),
             QString::number(kRight), QStringLiteral("-y"), QString::number(kBottom),
             QStringLiteral("--format=pnm")});
        if (!scanimage.waitForFinished(60000)) return Rgb{};
        return ReadPnm(scanimage.readAllStandardOutput());
    }

    QWidget* SourceWindow(TScanImgDlg& dialog) {
        QWidget* window = nullptr;
        const bool shown = QTest::qWaitFor([&] {
            window = dialog.findChild<QWidget*>(QStringLiteral("TwainSourceWindow"));
            return window && window->isVisible();
        });
        return shown ? window : nullptr;
    }

    // Chooses the mode and area in the source's window and presses "Scan".
    void ScanPage(QWidget* source, const QString& mode) {
        auto* modes = source->findChild<QComboBox*>(QStringLiteral("ModeCombo"));
        QVERIFY(modes);
        modes->setCurrentIndex(modes->findText(mode));
        QCOMPARE(modes->currentText(), mode);
        source->findChild<QSpinBox*>(QStringLiteral("ResolutionSpin"))->setValue(kResolution);
        source->findChild<QDoubleSpinBox*>(QStringLiteral("LeftSpin"))->setValue(0);
        source->findChild<QDoubleSpinBox*>(QStringLiteral("TopSpin"))->setValue(0);
        source->findChild<QDoubleSpinBox*>(QStringLiteral("RightSpin"))->setValue(kRight);
        source->findChild<QDoubleSpinBox*>(QStringLiteral("BottomSpin"))->setValue(kBottom);
        QTest::mouseClick(source->findChild<QPushButton*>(QStringLiteral("ScanButton")),
                          Qt::LeftButton);
    }

  private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        UsePrivateHome(home_);
        // SANE unloads its backend at sane_exit; keeping it mapped lets the leak checker name
        // the backend's own leaks, which scripts/lsan.supp suppresses.
        dlopen(kTestBackend, RTLD_NOW | RTLD_NODELETE);
        config_ = home_.path() + "/sane";
        QVERIFY(QDir().mkpath(config_));
        // SANE reads only this folder: its dll.conf enables the "test" backend alone.
        qputenv("SANE_CONFIG_DIR", config_.toUtf8());
        WriteBackendConfig({});
        TScanImgDlg::SetMessageSink([](const QString& text) { messages << text; });
        TWAINControl::SetErrorSink([](const QString&, const QString& text) { messages << text; });
    }

    void init() { messages.clear(); }

    void colourAndGreyPagesInEveryFormat_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<QString>("tiffCompression");
        QTest::newRow("BMP") << "BMP"
                             << ".bmp" << 0.0 << "";
        QTest::newRow("TIF") << "TIF"
                             << ".tif" << 0.0 << "None";
        QTest::newRow("TIF compress") << "TIF compress"
                                      << ".tif" << 0.0 << "LZW";
        // The component never saves JPEG unsmoothed (smoothing 0 is stored as 5), which blurs
        // the test pattern's one-pixel grid lines.
        QTest::newRow("JPG") << "JPG"
                             << ".jpg" << 22.0 << "";
        QTest::newRow("PCX") << "PCX"
                             << ".pcx" << 0.0 << "";
        QTest::newRow("GIF") << "GIF"
                             << ".gif" << 4.0 << "";
        QTest::newRow("PNG") << "PNG"
                             << ".png" << 0.0 << "";
        QTest::newRow("TGA") << "TGA "
                             << ".tga" << 0.0 << "";
    }

    void colourAndGreyPagesInEveryFormat() {
        QFETCH(QString, format);
        QFETCH(QString, extension);
        QFETCH(double, tolerance);
        QFETCH(QString, tiffCompression);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        Settings& settings = ProcessSettings();
        settings.TwainFileName = "File";
        settings.TwainFileFormat = format.toStdString();
        settings.TwainFileStartNum = 7;
        settings.TwainFileStepNum = 5;

        TScanImgDlg dialog;
        dialog.SaveFolderLabel->setText(folder.path() + "/");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.SaveFormatCombo->currentText(), format);
        QTest::mouseClick(dialog.AcquireBtn, Qt::LeftButton);
        QVERIFY(dialog.Scanning());
        QVERIFY(!dialog.SaveNameEdit->isEnabled());
        QWidget* source = SourceWindow(dialog);
        QVERIFY(source);
        QVERIFY(source->isEnabled());

        const QString colourFile = folder.path() + "/File00007" + extension;
        const QString greyFile = folder.path() + "/File00012" + extension;
        ScanPage(source, QStringLiteral("Colour"));
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(colourFile); }, 30000));
        QTRY_COMPARE(dialog.SaveStartNumSpin->value(), 12);
        ScanPage(source, QStringLiteral("Grey"));
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(greyFile); }, 30000));
        QTRY_COMPARE(dialog.SaveStartNumSpin->value(), 17);
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));

        QTest::mouseClick(source->findChild<QPushButton*>(QStringLiteral("CloseButton")),
                          Qt::LeftButton);
        QTRY_VERIFY(!dialog.Scanning());
        QVERIFY(dialog.SaveNameEdit->isEnabled());
        QVERIFY(!dialog.Twain().IsManagerOpen());

        const struct {
            QString file;
            QString mode;
        } pages[] = {{colourFile, QStringLiteral("Color")}, {greyFile, QStringLiteral("Gray")}};
        for (const auto& page : pages) {
            const Rgb expected = Reference(page.mode);
            QVERIFY2(expected.width > 0, "scanimage gave no picture");
            TPixImage reader;
            reader.SetImageName(page.file.toStdString());
            const Rgb saved = FromBitmap(reader.Picture().Bitmap());
            const double difference = MeanDifference(saved, expected);
            QVERIFY2(difference >= 0 && difference <= tolerance,
                     qPrintable(QStringLiteral("%1: %2x%3 vs %4x%5, mean difference %6")
                                    .arg(page.file)
                                    .arg(saved.width)
                                    .arg(saved.height)
                                    .arg(expected.width)
                                    .arg(expected.height)
                                    .arg(difference)));
            if (!tiffCompression.isEmpty()) {
                QProcess info;
                info.start(QStringLiteral("tiffinfo"), {page.file});
                QVERIFY(info.waitForFinished(30000));
                QVERIFY(QString::fromUtf8(info.readAllStandardOutput())
                            .contains(QStringLiteral("Compression Scheme: ") + tiffCompression));
            }
        }
    }

    void lineArtPageIsBlackAndWhite() {
        QTemporaryDir folder;
        Settings& settings = ProcessSettings();
        settings.TwainFileFormat = "PNG";
        settings.TwainFileStartNum = 0;
        settings.TwainFileStepNum = 1;
        TScanImgDlg dialog;
        dialog.SaveFolderLabel->setText(folder.path() + "/");
        dialog.show();
        QTest::mouseClick(dialog.AcquireBtn, Qt::LeftButton);
        QWidget* source = SourceWindow(dialog);
        QVERIFY(source);
        ScanPage(source, QStringLiteral("Line art"));
        const QString file = folder.path() + "/File00000.png";
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(file); }, 30000));
        TPixImage reader;
        reader.SetImageName(file.toStdString());
        const Rgb saved = FromBitmap(reader.Picture().Bitmap());
        QCOMPARE(saved.width, static_cast<int>(std::lround(kRight / 25.4 * kResolution)));
        int black = 0, white = 0;
        for (std::size_t i = 0; i < saved.pixels.size(); i += 3) {
            const std::uint8_t level = saved.pixels[i];
            QVERIFY(level == 0 || level == 255);
            ++(level == 0 ? black : white);
        }
        QVERIFY(black > 0 && white > 0);
    }

    void saneErrorEndsTheTransfer() {
        WriteBackendConfig("read-status-code \"SANE_STATUS_IO_ERROR\"\n");
        QTemporaryDir folder;
        ProcessSettings().TwainFileFormat = "BMP";
        TScanImgDlg dialog;
        dialog.SaveFolderLabel->setText(folder.path() + "/");
        dialog.show();
        QTest::mouseClick(dialog.AcquireBtn, Qt::LeftButton);
        QWidget* source = SourceWindow(dialog);
        QVERIFY(source);
        ScanPage(source, QStringLiteral("Colour"));
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.Scanning(), 30000);
        QVERIFY(!dialog.Twain().IsManagerOpen());
        QVERIFY(dialog.AcquireBtn->isEnabled());
        QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty());
        WriteBackendConfig({});
        // The next "Input" starts afresh.
        QTest::mouseClick(dialog.AcquireBtn, Qt::LeftButton);
        QVERIFY(dialog.Scanning());
        QVERIFY(SourceWindow(dialog));
    }
};

QTEST_MAIN(SaneScanTest)
#include "SaneScanTest.moc"
