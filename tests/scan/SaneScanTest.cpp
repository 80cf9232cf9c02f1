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
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <cstdlib>
#include <cstring>

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

// Reads a binary PNM (P4 bitmap, P5 grey or P6 colour) as scanimage writes it.
Rgb ReadPnm(const QByteArray& data) {
    Rgb picture;
    QList<QByteArray> fields;
    qsizetype pos = 0;
    const auto wanted = [&] { return !fields.isEmpty() && fields[0] == "P4" ? 3 : 4; };
    while (fields.size() < wanted() && pos < data.size()) {
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
    if (fields.size() < wanted()) return picture;
    picture.width = fields[1].toInt();
    picture.height = fields[2].toInt();
    if (fields[0] == "P4") {
        // One bit a pixel, rows padded to whole bytes, 1 is black.
        const qsizetype rowBytes = (picture.width + 7) / 8;
        if (data.size() - pos < rowBytes * picture.height) return Rgb{};
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                const bool black = (data[pos + y * rowBytes + x / 8] >> (7 - x % 8)) & 1;
                for (int c = 0; c < 3; ++c) picture.pixels.push_back(black ? 0 : 255);
            }
        }
        return picture;
    }
    const bool colour = fields[0] == "P6";
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
        test.write("number_of_devices 2\ntest-picture \"Color pattern\"\nresolution 75.0\n" +
                   extra);
    }

    // What scanimage gets from the same backend with the same options.
    Rgb Reference(const QString& mode, int depth = 8) {
        QProcess scanimage;
        scanimage.start(
            QStringLiteral("scanimage"),
            {QStringLiteral("-d"), QStringLiteral("test:0"), QStringLiteral("--mode"), mode,
             QStringLiteral("--depth"), QString::number(depth), QStringLiteral("--resolution"),
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

    // The manager module entered directly, as any TWAIN application would.
    struct Manager {
        twain::DSMENTRYPROC entry = nullptr;
        twain::TW_IDENTITY app{};
        twain::TW_IDENTITY source{};
        QWidget window;
        std::uint16_t Call(bool toSource, std::uint32_t group, std::uint16_t dat, std::uint16_t msg,
                           void* data) {
            return entry(&app, toSource ? &source : nullptr, group, dat, msg, data);
        }
    };

    static bool LoadManager(Manager& manager) {
        const std::string path = std::string(PIXELARY_BIN_DIR) + "/" + TWAINControl::kManagerName;
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!module) return false;
        manager.entry = reinterpret_cast<twain::DSMENTRYPROC>(dlsym(module, twain::kEntryName));
        std::strcpy(manager.app.ProductName, "tester");
        return manager.entry != nullptr;
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
        QCOMPARE(MeanDifference(saved, Reference(QStringLiteral("Gray"), 1)), 0.0);
    }

    void managerAnswersTheStandardTriplets() {
        using namespace twain;
        Manager manager;
        QVERIFY(LoadManager(manager));
        void* parent = &manager.window;
        QCOMPARE(manager.Call(false, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent), TWRC_SUCCESS);
        TW_IDENTITY listed{};
        QCOMPARE(manager.Call(false, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &listed),
                 TWRC_SUCCESS);
        QCOMPARE(QByteArray(listed.ProductName), QByteArray("test:0"));
        QCOMPARE(manager.Call(false, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &listed), TWRC_SUCCESS);
        QCOMPARE(QByteArray(listed.ProductName), QByteArray("test:1"));
        QCOMPARE(manager.Call(false, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &listed),
                 TWRC_ENDOFLIST);

        // Without a user interface, enabling starts a grey page at the device's settings.
        QCOMPARE(manager.Call(false, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &manager.source),
                 TWRC_SUCCESS);
        TW_USERINTERFACE ui{};
        ui.ShowUI = 0;
        ui.hParent = parent;
        QCOMPARE(manager.Call(true, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui),
                 TWRC_SUCCESS);
        TW_PENDINGXFERS pending{};
        QCOMPARE(manager.Call(true, DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, &pending), TWRC_SUCCESS);
        QCOMPARE(pending.Count, TW_UINT16(1));
        // The ready notification comes as an event to the parent window.
        int ready = 0;
        struct Filter : QObject {
            Manager* manager;
            int* ready;
            bool eventFilter(QObject*, QEvent* event) override {
                TW_EVENT twEvent{event, MSG_NULL};
                if (manager->Call(true, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &twEvent) ==
                        TWRC_DSEVENT &&
                    twEvent.TWMessage == MSG_XFERREADY) {
                    ++*ready;
                }
                return false;
            }
        } filter;
        filter.manager = &manager;
        filter.ready = &ready;
        manager.window.installEventFilter(&filter);
        QTRY_COMPARE(ready, 1);
        manager.window.removeEventFilter(&filter);

        TW_IMAGEINFO info{};
        QCOMPARE(manager.Call(true, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
        QCOMPARE(info.PixelType, TWPT_GRAY);
        QCOMPARE(info.BitsPerPixel, TW_INT16(8));
        QCOMPARE(info.SamplesPerPixel, TW_INT16(1));
        QVERIFY(info.ImageWidth > 0 && info.ImageLength > 0);
        TW_PALETTE8 palette{};
        QCOMPARE(manager.Call(true, DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette), TWRC_SUCCESS);
        QCOMPARE(palette.NumColors, TW_UINT16(256));
        QCOMPARE(palette.Colors[77].Channel2, TW_UINT8(77));
        TW_SETUPMEMXFER setup{};
        QCOMPARE(manager.Call(true, DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS);
        QVERIFY(setup.MinBufSize >= TW_UINT32(info.ImageWidth));

        // Strips of whole rows until the source says the image is done.
        std::vector<std::uint8_t> buffer(setup.MinBufSize * 3);
        TW_IMAGEMEMXFER strip{};
        strip.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
        strip.Memory.Length = static_cast<TW_UINT32>(buffer.size());
        strip.Memory.TheMem = buffer.data();
        std::uint32_t rows = 0;
        TW_UINT16 result = TWRC_SUCCESS;
        for (int calls = 0; result == TWRC_SUCCESS && calls < 10000; ++calls) {
            result = manager.Call(true, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip);
            QVERIFY(strip.Rows <= 3);
            QCOMPARE(strip.YOffset, rows);
            rows += strip.Rows;
        }
        QCOMPARE(result, TWRC_XFERDONE);
        QCOMPARE(rows, TW_UINT32(info.ImageLength));
        QCOMPARE(manager.Call(true, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending),
                 TWRC_SUCCESS);
        QCOMPARE(pending.Count, TW_UINT16(0));
        QCOMPARE(manager.Call(true, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);

        QCOMPARE(manager.Call(true, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui),
                 TWRC_SUCCESS);
        QCOMPARE(manager.Call(false, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &manager.source),
                 TWRC_SUCCESS);
        QCOMPARE(manager.Call(false, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent), TWRC_SUCCESS);
    }

    void lastChoiceBecomesTheDefault() {
        TScanImgDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        bool chose = false;
        QTimer::singleShot(0, &dialog, [&] {
            QWidget* chooser = QApplication::activeModalWidget();
            if (!chooser || chooser->objectName() != "TwainSelectSource") return;
            auto* list = chooser->findChild<QListWidget*>(QStringLiteral("SourceList"));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(1)).center());
            QTest::mouseClick(chooser->findChild<QPushButton*>(QStringLiteral("SelectButton")),
                              Qt::LeftButton);
            chose = true;
        });
        QTest::mouseClick(dialog.SelTwainBtn, Qt::LeftButton);
        QVERIFY(chose);
        QVERIFY(!dialog.Twain().IsManagerOpen());

        // "Input" now opens the chosen device, whose name the source's window shows.
        Manager manager;
        QVERIFY(LoadManager(manager));
        void* parent = &manager.window;
        QCOMPARE(
            manager.Call(false, twain::DG_CONTROL, twain::DAT_PARENT, twain::MSG_OPENDSM, &parent),
            twain::TWRC_SUCCESS);
        twain::TW_IDENTITY chosen{};
        QCOMPARE(manager.Call(false, twain::DG_CONTROL, twain::DAT_IDENTITY, twain::MSG_GETDEFAULT,
                              &chosen),
                 twain::TWRC_SUCCESS);
        QCOMPARE(QByteArray(chosen.ProductName), QByteArray("test:1"));
        twain::TW_IDENTITY opened{};
        QCOMPARE(
            manager.Call(false, twain::DG_CONTROL, twain::DAT_IDENTITY, twain::MSG_OPENDS, &opened),
            twain::TWRC_SUCCESS);
        QCOMPARE(QByteArray(opened.ProductName), QByteArray("test:1"));
        manager.Call(false, twain::DG_CONTROL, twain::DAT_IDENTITY, twain::MSG_CLOSEDS, &opened);
        manager.Call(false, twain::DG_CONTROL, twain::DAT_PARENT, twain::MSG_CLOSEDSM, &parent);
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
