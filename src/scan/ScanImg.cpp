// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/ScanImg.h"

#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "core/Exception.h"
#include "scan/TWAINControl.h"
#include "settings/Settings.h"

namespace pixelary {

namespace {

constexpr const char* kCaption = QT_TRANSLATE_NOOP("TScanImgDlg", "Input Image File");
constexpr const char* kMaker = "Norvanti";
constexpr int kFormatCount = 8;
const char* const kFormatItems[kFormatCount] = {"BMP", "TIF", "TIF compress", "JPG",
                                                "PCX", "GIF", "PNG",          "TGA "};
const char* const kExtensions[kFormatCount] = {".bmp", ".tif", ".tif", ".jpg",
                                               ".pcx", ".gif", ".png", ".tga"};

TScanImgDlg::MessageSink& Sink() {
    static TScanImgDlg::MessageSink sink;
    return sink;
}

// The dialog the TWAIN callbacks write to (only one scans at a time).
TScanImgDlg* ScanningDialog = nullptr;

QSpinBox* Spin(QWidget* parent, const char* name, int low, int high, int step) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(low, high);
    spin->setSingleStep(step);
    return spin;
}

QLabel* Label(QWidget* parent, const QString& text) {
    return new QLabel(text, parent);
}

}  // namespace

void TScanImgDlg::SetMessageSink(MessageSink sink) {
    Sink() = std::move(sink);
}

QString TScanImgDlg::NumberedName(const QString& folder, const QString& name, int number,
                                  const QString& extension) {
    return folder + name + QString::asprintf("%05d", number) + extension;
}

TScanImgDlg::TScanImgDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ScanImgDlg"));
    setWindowTitle(tr(kCaption));
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("Client"));

    SaveFolderLabel = new QLabel(QStringLiteral("/tmp/"), client_);
    SaveFolderLabel->setObjectName(QStringLiteral("SaveFolderLabel"));
    SaveNameEdit = new QLineEdit(QStringLiteral("File"), client_);
    SaveNameEdit->setObjectName(QStringLiteral("SaveNameEdit"));
    SaveFormatCombo = new QComboBox(client_);
    SaveFormatCombo->setObjectName(QStringLiteral("SaveFormatCombo"));
    for (const char* item : kFormatItems) SaveFormatCombo->addItem(QString::fromUtf8(item));
    SaveFormatCombo->setMaxVisibleItems(5);
    SaveStartNumSpin = Spin(client_, "SaveStartNumSpin", 0, kMaxNumber, 1);
    SaveStepNumSpin = Spin(client_, "SaveStepNumSpin", 1, 9999, 1);
    JpegQualitySpin = Spin(client_, "JpegQualitySpin", 0, 100, 30);
    JpegQualitySpin->setValue(90);
    JpegSmoothSpin = Spin(client_, "JpegSmoothSpin", 0, 100, 30);
    AcquireBtn = new QPushButton(tr("Input"), client_);
    AcquireBtn->setObjectName(QStringLiteral("AcquireBtn"));
    AcquireBtn->setDefault(true);
    AcquireBtn->setAutoDefault(true);
    SelTwainBtn = new QPushButton(tr("TWAIN Device"), client_);
    SelTwainBtn->setObjectName(QStringLiteral("SelTwainBtn"));
    SelTwainBtn->setAutoDefault(false);
    CancelBtn = new QPushButton(tr("Cancel"), client_);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setAutoDefault(false);
    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setWordWrap(true);

    auto* grid = new QGridLayout;
    grid->addWidget(Label(client_, TScanImgDlg::tr("Directory:")), 0, 0);
    grid->addWidget(SaveFolderLabel, 0, 1, 1, 3);
    grid->addWidget(Label(client_, TScanImgDlg::tr("Filename:")), 1, 0);
    grid->addWidget(SaveNameEdit, 1, 1);
    grid->addWidget(Label(client_, TScanImgDlg::tr("File Format:")), 1, 2);
    grid->addWidget(SaveFormatCombo, 1, 3);
    grid->addWidget(Label(client_, TScanImgDlg::tr("Start:")), 2, 0);
    grid->addWidget(SaveStartNumSpin, 2, 1);
    grid->addWidget(Label(client_, TScanImgDlg::tr("Interval:")), 2, 2);
    grid->addWidget(SaveStepNumSpin, 2, 3);
    grid->addWidget(Label(client_, TScanImgDlg::tr("JPEG Quality:")), 3, 0);
    grid->addWidget(JpegQualitySpin, 3, 1);
    grid->addWidget(Label(client_, TScanImgDlg::tr("JPEG Smooth:")), 3, 2);
    grid->addWidget(JpegSmoothSpin, 3, 3);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(AcquireBtn);
    buttons->addWidget(SelTwainBtn);
    buttons->addWidget(CancelBtn);
    buttons->addStretch();
    auto* row = new QHBoxLayout(client_);
    row->setContentsMargins(0, 0, 0, 0);
    row->addLayout(grid, 1);
    row->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(client_);
    layout->addWidget(StatusLabel);
    resize(431, 178);

    SavePixImage.SetJPegSaveSmooth(0);
    SavePixImage.OnImageError = [this](TPixImage&, std::int16_t, const std::string& text) {
        ShowMessage(QString::fromStdString(text));
    };
    twain_ = std::make_unique<TWAINControl>(this, QGuiApplication::applicationDisplayName(),
                                            QString::fromUtf8(kMaker));

    connect(SaveFormatCombo, &QComboBox::currentIndexChanged, this, [this] { UpdateJpegSpins(); });
    connect(SelTwainBtn, &QPushButton::clicked, this, [this] { SelTwainBtnClick(); });
    connect(AcquireBtn, &QPushButton::clicked, this, [this] { AcquireBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TScanImgDlg::~TScanImgDlg() {
    if (ScanningDialog == this) ScanningDialog = nullptr;
    // Closes the source and the manager while this window and the source's window still exist.
    twain_.reset();
}

void TScanImgDlg::ShowMessage(const QString& text) {
    if (Sink()) {
        Sink()(text);
        return;
    }
    QMessageBox::warning(this, windowTitle(), text);
}

// ---- settings ----------------------------------------------------------------------------------

void TScanImgDlg::showEvent(QShowEvent* event) {
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void TScanImgDlg::FormShow() {
    const Settings& settings = ProcessSettings();
    SaveNameEdit->setText(QString::fromStdString(settings.TwainFileName));
    const QString stored = QString::fromStdString(settings.TwainFileFormat);
    int index = 0;
    for (int i = 0; i < SaveFormatCombo->count(); ++i) {
        if (SaveFormatCombo->itemText(i).compare(stored, Qt::CaseInsensitive) == 0) {
            index = i;
            break;
        }
    }
    SaveFormatCombo->setCurrentIndex(index);
    UpdateJpegSpins();
    SaveStartNumSpin->setValue(settings.TwainFileStartNum);
    SaveStepNumSpin->setValue(settings.TwainFileStepNum);
    JpegQualitySpin->setValue(settings.TwainJpegQuality);
    JpegSmoothSpin->setValue(settings.TwainJpegSmooty);
}

void TScanImgDlg::StoreSettings() {
    Settings& settings = ProcessSettings();
    settings.TwainFileName = SaveNameEdit->text().toStdString();
    settings.TwainFileFormat = SaveFormatCombo->currentText().toStdString();
    settings.TwainFileStartNum = SaveStartNumSpin->value();
    settings.TwainFileStepNum = SaveStepNumSpin->value();
    settings.TwainJpegQuality = JpegQualitySpin->value();
    settings.TwainJpegSmooty = JpegSmoothSpin->value();
}

void TScanImgDlg::done(int result) {
    StoreSettings();
    twain_->Close();
    SetScanning(false);
    if (ScanningDialog == this) ScanningDialog = nullptr;
    QDialog::done(result);
}

void TScanImgDlg::UpdateJpegSpins() {
    const bool jpeg = SaveFormatCombo->currentIndex() == kJpegFormat;
    JpegQualitySpin->setEnabled(jpeg);
    JpegSmoothSpin->setEnabled(jpeg);
}

// ---- buttons -----------------------------------------------------------------------------------

void TScanImgDlg::SelTwainBtnClick() {
    twain_->SelectSource();
}

void TScanImgDlg::AcquireBtnClick() {
    ScanningDialog = this;
    StatusLabel->clear();
    const bool enabled = twain_->Acquire(
        true,
        [](int width, int height, int bitsPerPixel, int colourModel, int, int,
           const std::uint8_t* palette) {
            return ScanningDialog ? ScanningDialog->CreateImage(width, height, bitsPerPixel,
                                                                colourModel, palette)
                                  : kTwainXferFailed;
        },
        [](int row, const std::uint8_t* data) {
            return ScanningDialog && ScanningDialog->StoreRow(row, data);
        },
        [] {
            if (ScanningDialog) ScanningDialog->FreeImage();
        });
    if (enabled) SetScanning(true);
}

// The dialog's controls are disabled while a source is enabled; the dialog window itself stays
// enabled so that the source's window, a child of it, stays usable.
void TScanImgDlg::SetScanning(bool scanning) {
    scanning_ = scanning;
    client_->setEnabled(!scanning);
}

// ---- messages ----------------------------------------------------------------------------------

bool TScanImgDlg::event(QEvent* event) {
    const int result = twain_ ? twain_->ProcessMessage(event) : kTwainNotEvent;
    switch (result) {
        case kTwainImageDone:
            ImageReceived();
            return true;
        case kTwainXferFailed:
            TransferFailed();
            return true;
        case kTwainSourceClosed:
            SetScanning(false);
            return true;
        default:
            return QDialog::event(event);
    }
}

void TScanImgDlg::ImageReceived() {
    SaveImage();
    FreeImage();
}

void TScanImgDlg::TransferFailed() {
    SavePixImage.SetImageName(std::string());
    FreeImage();
    twain_->Close();
    SetScanning(false);
    StatusLabel->setText(tr("The scan failed; no file was written."));
}

void TScanImgDlg::SaveImage() {
    const int format = SaveFormatCombo->currentIndex();
    if (format < 0 || format >= kFormatCount) return;
    const QString folder = SaveFolderLabel->text();
    const QString name = SaveNameEdit->text();
    const QString extension = QString::fromUtf8(kExtensions[format]);
    const int step = SaveStepNumSpin->value();
    const int wanted = SaveStartNumSpin->value();
    // Never write over a file: take the next number by the step whose name is free.
    int number = wanted;
    while (number <= kMaxNumber &&
           QFileInfo::exists(NumberedName(folder, name, number, extension))) {
        number += step;
    }
    if (number > kMaxNumber) {
        const QString taken = NumberedName(QString(), name, wanted, extension);
        const QString text = tr("%1 exists and no free number up to %2 is left; the image was not "
                                "saved. Choose another file name or start number.")
                                 .arg(taken)
                                 .arg(kMaxNumber);
        StatusLabel->setText(text);
        ShowMessage(text);
        return;
    }
    const QString path = NumberedName(folder, name, number, extension);
    SaveStartNumSpin->setValue(std::min(number + step, kMaxNumber));
    if (number != wanted) {
        StatusLabel->setText(
            tr("%1 exists already; saved as %2.")
                .arg(NumberedName(QString(), name, wanted, extension), QFileInfo(path).fileName()));
    } else {
        StatusLabel->setText(tr("Saved %1.").arg(QFileInfo(path).fileName()));
    }
    const std::string target = path.toStdString();
    try {
        switch (format) {
            case 0:
                SavePixImage.SaveAsBMP(target);
                break;
            case 1:
            case 2:
                SavePixImage.TifSaveCompress =
                    format == 1 ? TTifCompress::sNONE : TTifCompress::sLZW;
                SavePixImage.SaveAsTIF(target);
                break;
            case 3:
                SavePixImage.SetJPegSaveQuality(JpegQualitySpin->value());
                SavePixImage.SetJPegSaveSmooth(JpegSmoothSpin->value());
                SavePixImage.SaveAsJPG(target);
                break;
            case 4:
                SavePixImage.SaveAsPCX(target);
                break;
            case 5:
                SavePixImage.SaveAsGIF(target);
                break;
            case 6:
                SavePixImage.SaveAsPNG(target);
                break;
            case 7:
                SavePixImage.SaveAsTGA(target);
                break;
        }
    } catch (const Exception& error) {
        ShowMessage(QString::fromStdString(error.what()));
    }
}

// ---- TWAIN callbacks ---------------------------------------------------------------------------

int TScanImgDlg::CreateImage(int width, int height, int bitsPerPixel, int colourModel,
                             const std::uint8_t* palette) {
    if ((colourModel != kTwainIndexed && colourModel != kTwainRgb) || bitsPerPixel > 24) {
        return kTwainXferFailed;
    }
    FreeImage();
    row_length_ =
        (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 7) / 8;
    TPixBitmap& bitmap = SavePixImage.Picture().Bitmap();
    try {
        bitmap.SetSize(width, height, FormatForBits(bitsPerPixel));
    } catch (const Exception&) {
        return kTwainXferFailed;
    }
    if (bitsPerPixel <= 8) {
        const int entries = 1 << bitsPerPixel;
        std::vector<std::uint32_t> colours(static_cast<std::size_t>(entries));
        for (int i = 0; i < entries; ++i) {
            std::uint32_t red = static_cast<std::uint32_t>(i), green = red, blue = red;
            if (colourModel == kTwainIndexed && palette) {
                blue = palette[i * 4];
                green = palette[i * 4 + 1];
                red = palette[i * 4 + 2];
            }
            colours[static_cast<std::size_t>(i)] = red << 16 | green << 8 | blue;
        }
        bitmap.SetPalette(colours);
    }
    return 1;
}

bool TScanImgDlg::StoreRow(int row, const std::uint8_t* data) {
    TPixBitmap& bitmap = SavePixImage.Picture().Bitmap();
    if (row < 0 || row >= bitmap.Height()) return false;
    std::memcpy(bitmap.ScanLine(row), data, std::min(row_length_, bitmap.Stride()));
    return true;
}

void TScanImgDlg::FreeImage() {
    SavePixImage.Picture().Bitmap().Clear();
}

}  // namespace pixelary
