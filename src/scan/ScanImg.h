// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "imaging/PixImage.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace pixelary {

class TWAINControl;

// "Input Image File": picks a TWAIN source, scans through the source's own window, and writes
// every image it delivers at once into the folder under a numbered name in the chosen format.
class TScanImgDlg : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(TScanImgDlg)

  public:
    static constexpr int kMaxNumber = 99999;
    static constexpr int kJpegFormat = 3;

    explicit TScanImgDlg(QWidget* parent = nullptr);
    ~TScanImgDlg() override;

    QLabel* SaveFolderLabel;
    QLineEdit* SaveNameEdit;
    QComboBox* SaveFormatCombo;
    QSpinBox* SaveStartNumSpin;
    QSpinBox* SaveStepNumSpin;
    QSpinBox* JpegQualitySpin;
    QSpinBox* JpegSmoothSpin;
    QPushButton* AcquireBtn;
    QPushButton* SelTwainBtn;
    QPushButton* CancelBtn;
    // Notes about the last saved file (a taken number, a refused save).
    QLabel* StatusLabel;
    TPixImage SavePixImage;

    TWAINControl& Twain() { return *twain_; }
    // True while a source is enabled and the dialog's controls are disabled.
    bool Scanning() const { return scanning_; }

    // Error texts go here instead of a message box when set (tests).
    using MessageSink = std::function<void(const QString& text)>;
    static void SetMessageSink(MessageSink sink);

    // The file a number names: folder + name + the number in five digits + extension.
    static QString NumberedName(const QString& folder, const QString& name, int number,
                                const QString& extension);

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

  private:
    void FormShow();
    void StoreSettings();
    void UpdateJpegSpins();
    void SelTwainBtnClick();
    void AcquireBtnClick();
    void SetScanning(bool scanning);
    void ImageReceived();
    void TransferFailed();
    void SaveImage();
    int CreateImage(int width, int height, int bitsPerPixel, int colourModel,
                    const std::uint8_t* palette);
    bool StoreRow(int row, const std::uint8_t* data);
    void FreeImage();
    void ShowMessage(const QString& text);

    std::unique_ptr<TWAINControl> twain_;
    QWidget* client_;
    bool shown_ = false;
    bool scanning_ = false;
    std::size_t row_length_ = 0;
};

}  // namespace pixelary
