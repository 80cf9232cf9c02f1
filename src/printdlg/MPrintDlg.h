// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <vector>

#include "print/MPrint.h"
#include "print/PrintStyles.h"
#include "printdlg/PrintFolders.h"
#include "printdlg/PrinterPaper.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTimer;
class QToolButton;

namespace pixelary {

class TPixImageWidget;
class TMPrintDlg;

// The preview page inside the print dialog.
class TPreviewPaint : public QWidget {
  public:
    explicit TPreviewPaint(TMPrintDlg& dialog);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TMPrintDlg& dialog_;
};

// What the dialog asks of its surroundings; tests replace them.
struct PrintDlgServices {
    // Milliseconds from a monotonic clock.
    std::function<qint64()> Clock;
    // The save-style dialog: a chosen file name, or empty when cancelled.
    std::function<QString(QWidget* parent, const QString& folder)> ChooseStyleFile;
    // The frame picker: true with the new path in framePath on OK.
    std::function<bool(QWidget* parent, const QStringList& folders, QString& framePath)> PickFrame;
    // The printer set-up dialog: true on OK.
    std::function<bool(QWidget* parent, QPrinter& printer)> SetupPrinter;

    static PrintDlgServices Default();
};

// "預視列印": print styles, every layout setting, the paper and frame, a live preview page by
// page, and printing with progress and abort.
class TMPrintDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kRelayoutDelayMs = 1500;
    static constexpr int kTimerIntervalMs = 250;
    static constexpr int kPreviewSide = 317;

    TMPrintDlg(QPrinter& printer, PrintFolders folders, QWidget* parent = nullptr,
               PrintDlgServices services = PrintDlgServices::Default());
    ~TMPrintDlg() override;

    // The folder's full path and the selected entries in view order.
    void SetJob(PrintJob job);

    // The controls as a style record, out-of-range values corrected.
    PrintSettings ReadControls() const;
    // Loads a style file (empty: the last used settings) into the controls; false after showing
    // the error.
    bool LoadStyle(const QString& fileName);
    void SaveStyle(const QString& fileName);

    const PageLayout& PreviewLayout() const { return preview_layout_; }
    const PaperMetrics& Paper() const { return paper_; }
    bool Printing() const { return printing_; }
    int RelayoutCount() const { return relayouts_; }
    QString FramePath() const { return frame_path_; }
    // The CUPS job of the last print; 0 when it went to a file or did not start.
    int LastJobId() const { return last_job_id_; }

    QTabWidget* PageControl;
    QComboBox* ModalCombo;
    QPushButton* ModelDefaultBtn;
    QRadioButton* DupeRadioNum;
    QSpinBox* DupeNumSpin;
    QRadioButton* DupeRadioFull;
    TPixImageWidget* FrameImage;
    QPushButton* FrameChangeBtn;
    QCheckBox* PrintFitBitmap;
    QComboBox* PaperCombo;
    QRadioButton* PortraitRadio;
    QRadioButton* LandscapeRadio;
    QSpinBox* CopyEdit;
    QLineEdit* WidthEdit;
    QLineEdit* HeightEdit;
    QRadioButton* TileAutoRadio;
    QRadioButton* TileManualRadio;
    QSpinBox* TileSpinH;
    QSpinBox* TileSpinV;
    QRadioButton* SpaceRadioGap;
    QRadioButton* SpaceRadioPitch;
    QLineEdit* SpaceEditH;
    QLineEdit* SpaceEditV;
    std::array<QToolButton*, 4> TileButtons;  // TileBtnLRH, TileBtnLRV, TileBtnRLH, TileBtnRLV
    QCheckBox* PrintName;
    QCheckBox* PrintClipLine;
    QCheckBox* PrintDirectory;
    QCheckBox* PrintPageNumber;
    QRadioButton* WorkOnLimit;
    QRadioButton* WorkOnFullPage;
    QRadioButton* MarginsManualRadio;
    QRadioButton* MarginsAutoRadio;
    QLineEdit* MarginsLeftEdit;
    QLineEdit* MarginsTopEdit;
    std::array<QToolButton*, 9> MarginButtons;  // MarginsTL .. MarginsBR
    QLineEdit* FrameThickEdit;
    QPushButton* SaveOptionBtn;
    QLabel* TotalPagesLabel;
    QPushButton* BackBtn;
    QPushButton* ForeBtn;
    TPreviewPaint* PreviewPaint;
    QPushButton* StartBtn;
    QPushButton* SetupBtn;
    QPushButton* CloseBtn;
    QProgressBar* ProgressBar1;
    QTimer* AdjustTimer;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    friend class TPreviewPaint;

    QWidget* BuildGeneralPage();
    QWidget* BuildFormatPage();
    QWidget* BuildSpecialPage();
    QWidget* BuildPreviewPane();
    void ConnectChanges();
    void FormCreate();

    void WriteControls(const PrintSettings& s);
    void EnableMarginControls();
    void EnableSpinControls();
    void FillPaperList();
    void FillStyleList(const QString& select);
    void LoadFrame(const QString& path);
    void ScheduleRelayout(int delayMs = kRelayoutDelayMs);
    void AdjustTimerTimer();
    void Relayout();
    void ComputePreviewLayout();
    void UpdatePageControls();
    void PaintPreview(QPainter& painter);

    void ModalComboChange();
    void ModelDefaultBtnClick();
    void SpaceRadioClick(bool toPitch);
    void SaveOptionBtnClick();
    void FrameChangeBtnClick();
    void SetupBtnClick();
    void StepPreview(int delta);
    void StartBtnClick();
    void PrintJobPages();
    void SetControlsForPrinting(bool printing);
    void CloseBtnClick();

    std::uint16_t ChosenPaperCode() const;

    QPrinter& printer_;
    PrintFolders folders_;
    PrintStyleStore styles_;
    PrintDlgServices services_;
    PrintJob job_;
    std::vector<PaperEntry> papers_;
    PaperMetrics paper_;
    PageRect preview_page_;
    PageLayout preview_layout_;
    PrintFrame frame_;
    QString frame_path_;
    qint64 relayout_deadline_ = 0;
    int relayouts_ = 0;
    int last_job_id_ = 0;
    bool printing_ = false;
    bool abort_requested_ = false;
    bool filling_ = false;  // controls set by the program, not the user
};

}  // namespace pixelary
