// SPDX-License-Identifier: GPL-3.0-or-later
// The scan dialog driven through the event loop, with images from the scripted manager.
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include "imaging/PixImage.h"
#include "scan/ScanImg.h"
#include "scan/ScanTestSupport.h"
#include "scan/TWAINControl.h"
#include "settings/Settings.h"

using namespace pixelary;
using namespace twain;

namespace {

QStringList messages;

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

}  // namespace

class ScanImgTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir home_;

    static void StoreSettings(const char* format, int start, int step) {
        Settings& settings = ProcessSettings();
        settings = Settings{};
        settings.TwainFileFormat = format;
        settings.TwainFileStartNum = start;
        settings.TwainFileStepNum = step;
    }

    // Shows a dialog saving into folder and starts scanning from the scripted manager.
    static void StartScanning(TScanImgDlg& dialog, const QString& folder) {
        dialog.Twain().ManagerName = kScriptedManagerName;
        dialog.SaveFolderLabel->setText(folder + "/");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(dialog.AcquireBtn, Qt::LeftButton);
        QVERIFY(dialog.Scanning());
        QVERIFY(!dialog.AcquireBtn->isEnabled());
    }

    // The source offers one image; it arrives with the next event the dialog gets.
    static void OfferImage(TScanImgDlg& dialog) {
        Script().notification = MSG_XFERREADY;
        QCoreApplication::postEvent(&dialog, new QEvent(QEvent::User));
        QTRY_COMPARE(Script().notification, MSG_NULL);
    }

  private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        UsePrivateHome(home_);
        TScanImgDlg::SetMessageSink([](const QString& text) { messages << text; });
        TWAINControl::SetErrorSink([](const QString&, const QString& text) { messages << text; });
    }

    void init() {
        messages.clear();
        ScriptImage(21, 9, 8, 1, TWPT_GRAY, 24);
    }

    void storedFormatSelectsItem_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("selected");
        QTest::newRow("gif") << "gif"
                             << "GIF";
        QTest::newRow("default jpg") << "jpg"
                                     << "JPG";
        QTest::newRow("tif compress") << "Tif Compress"
                                      << "TIF compress";
        QTest::newRow("unknown") << "webp"
                                 << "BMP";
        QTest::newRow("empty") << ""
                               << "BMP";
    }

    void storedFormatSelectsItem() {
        QFETCH(QString, stored);
        QFETCH(QString, selected);
        StoreSettings(stored.toUtf8().constData(), 42, 3);
        ProcessSettings().TwainFileName = "Page";
        ProcessSettings().TwainJpegQuality = 60;
        TScanImgDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.SaveFormatCombo->currentText(), selected);
        QCOMPARE(dialog.SaveNameEdit->text(), QStringLiteral("Page"));
        QCOMPARE(dialog.SaveStartNumSpin->value(), 42);
        QCOMPARE(dialog.SaveStepNumSpin->value(), 3);
        QCOMPARE(dialog.JpegQualitySpin->value(), 60);
        QCOMPARE(dialog.JpegQualitySpin->isEnabled(), selected == "JPG");
    }

    void jpegSpinsOnlyForJpg() {
        StoreSettings("bmp", 0, 1);
        TScanImgDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.SaveFormatCombo->setFocus();
        QTRY_VERIFY(dialog.SaveFormatCombo->hasFocus());
        for (int item = 0; item < dialog.SaveFormatCombo->count(); ++item) {
            QCOMPARE(dialog.SaveFormatCombo->currentIndex(), item);
            const bool jpeg = dialog.SaveFormatCombo->currentText() == "JPG";
            QCOMPARE(dialog.JpegQualitySpin->isEnabled(), jpeg);
            QCOMPARE(dialog.JpegSmoothSpin->isEnabled(), jpeg);
            QTest::keyClick(dialog.SaveFormatCombo, Qt::Key_Down);
        }
    }

    void spinRanges() {
        TScanImgDlg dialog;
        QCOMPARE(dialog.SaveStartNumSpin->maximum(), 99999);
        QCOMPARE(dialog.SaveStepNumSpin->minimum(), 1);
        QCOMPARE(dialog.SaveStepNumSpin->maximum(), 9999);
        QCOMPARE(dialog.JpegQualitySpin->singleStep(), 30);
        QCOMPARE(dialog.JpegSmoothSpin->maximum(), 100);
    }

    void closingStoresTheChoices() {
        StoreSettings("jpg", 5, 1);
        TScanImgDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.SaveNameEdit->selectAll();
        QTest::keyClicks(dialog.SaveNameEdit, "Scan");
        dialog.SaveFormatCombo->setFocus();
        QTest::keyClick(dialog.SaveFormatCombo, Qt::Key_Down);  // PCX
        dialog.SaveStepNumSpin->setFocus();
        QTest::keyClick(dialog.SaveStepNumSpin, Qt::Key_Up);
        QTest::mouseClick(dialog.CancelBtn, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        const Settings& settings = ProcessSettings();
        QCOMPARE(settings.TwainFileName, std::string("Scan"));
        QCOMPARE(settings.TwainFileFormat, std::string("PCX"));
        QCOMPARE(settings.TwainFileStartNum, 5);
        QCOMPARE(settings.TwainFileStepNum, 2);
    }

    void numbersAdvanceByTheStep() {
        QTemporaryDir folder;
        StoreSettings("bmp", 7, 5);
        TScanImgDlg dialog;
        StartScanning(dialog, folder.path());
        OfferImage(dialog);
        QCOMPARE(dialog.SaveStartNumSpin->value(), 12);
        OfferImage(dialog);
        QCOMPARE(dialog.SaveStartNumSpin->value(), 17);
        QVERIFY(QFile::exists(folder.path() + "/File00007.bmp"));
        QVERIFY(QFile::exists(folder.path() + "/File00012.bmp"));
        QVERIFY(dialog.Scanning());
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));

        // The saved picture holds the source's rows, top row first.
        TPixImage reader;
        reader.SetImageName((folder.path() + "/File00012.bmp").toStdString());
        const TPixBitmap& saved = reader.Picture().Bitmap();
        QCOMPARE(saved.Width(), 21);
        QCOMPARE(saved.Height(), 9);
        const std::uint8_t* source = Script().image.data() + 8 * 24;
        const std::uint8_t* row = saved.ScanLine(8);
        for (int x = 0; x < 21; ++x) {
            const int level = saved.BitCount() == 8 ? int(saved.Palette()[row[x]] & 0xFF)
                                                    : int(row[x * saved.BitCount() / 8]);
            QCOMPARE(level, int(source[x]));
        }
    }

    void takenNumbersAreSkipped() {
        QTemporaryDir folder;
        WriteFile(folder.path() + "/File00007.bmp", "first");
        WriteFile(folder.path() + "/File00012.bmp", "second");
        StoreSettings("bmp", 7, 5);
        TScanImgDlg dialog;
        StartScanning(dialog, folder.path());
        OfferImage(dialog);
        QVERIFY(QFile::exists(folder.path() + "/File00017.bmp"));
        QCOMPARE(Contents(folder.path() + "/File00007.bmp"), QByteArray("first"));
        QCOMPARE(Contents(folder.path() + "/File00012.bmp"), QByteArray("second"));
        QCOMPARE(dialog.SaveStartNumSpin->value(), 22);
        QVERIFY(dialog.StatusLabel->text().contains("File00007.bmp exists already"));
        QVERIFY(dialog.StatusLabel->text().contains("File00017.bmp"));
    }

    void pastTheLastNumberNothingIsOverwritten() {
        QTemporaryDir folder;
        WriteFile(folder.path() + "/File99998.png", "older");
        StoreSettings("png", 99997, 1);
        TScanImgDlg dialog;
        StartScanning(dialog, folder.path());
        OfferImage(dialog);  // File99997
        OfferImage(dialog);  // File99998 is taken: File99999
        QVERIFY(QFile::exists(folder.path() + "/File99997.png"));
        QVERIFY(QFile::exists(folder.path() + "/File99999.png"));
        QCOMPARE(dialog.SaveStartNumSpin->value(), 99999);
        const QByteArray last = Contents(folder.path() + "/File99999.png");
        QVERIFY(messages.isEmpty());
        OfferImage(dialog);  // nothing free is left
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].contains("not saved"));
        QCOMPARE(Contents(folder.path() + "/File99999.png"), last);
        QCOMPARE(Contents(folder.path() + "/File99998.png"), QByteArray("older"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 3);
        QVERIFY(dialog.Scanning());
    }

    void failedSaveKeepsTheSession() {
        QTemporaryDir root;
        const QString folder = root.path() + "/later";
        StoreSettings("tif", 0, 1);
        TScanImgDlg dialog;
        StartScanning(dialog, folder);
        OfferImage(dialog);
        QCOMPARE(messages.size(), 1);  // the component's error
        QVERIFY(!messages[0].isEmpty());
        QVERIFY(dialog.Scanning());
        QCOMPARE(dialog.SaveStartNumSpin->value(), 1);
        QVERIFY(QDir().mkpath(folder));
        OfferImage(dialog);
        QVERIFY(QFile::exists(folder + "/File00001.tif"));
        QCOMPARE(messages.size(), 1);
    }

    void refusedImageEndsTheScan() {
        ScriptImage(10, 4, 16, 1, TWPT_GRAY, 20);
        QTemporaryDir folder;
        StoreSettings("bmp", 0, 1);
        TScanImgDlg dialog;
        StartScanning(dialog, folder.path());
        OfferImage(dialog);
        QCOMPARE(messages, QStringList{QStringLiteral("Mode not available")});
        QVERIFY(!dialog.Scanning());
        QVERIFY(dialog.AcquireBtn->isEnabled());
        QVERIFY(!dialog.Twain().IsManagerOpen());
        QCOMPARE(dialog.SaveStartNumSpin->value(), 0);
        QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty());
    }

    void closeRequestEnablesTheDialog() {
        QTemporaryDir folder;
        StoreSettings("bmp", 0, 1);
        TScanImgDlg dialog;
        StartScanning(dialog, folder.path());
        Script().notification = MSG_CLOSEDSREQ;
        QCoreApplication::postEvent(&dialog, new QEvent(QEvent::User));
        QTRY_VERIFY(!dialog.Scanning());
        QVERIFY(dialog.AcquireBtn->isEnabled());
        QVERIFY(!Script().managerOpen);
    }

    void withoutManagerInputDoesNothing() {
        StoreSettings("bmp", 0, 1);
        TScanImgDlg dialog;
        dialog.Twain().ManagerName = "pixtwain_absent.so";
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(dialog.AcquireBtn, Qt::LeftButton);
        QVERIFY(!dialog.Scanning());
        QVERIFY(dialog.AcquireBtn->isEnabled());
        QVERIFY(messages.isEmpty());
    }
};

QTEST_MAIN(ScanImgTest)
#include "ScanImgTest.moc"
