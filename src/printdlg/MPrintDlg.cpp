// SPDX-License-Identifier: GPL-3.0-or-later
#include "printdlg/MPrintDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/Exception.h"
#include "imaging/widget/PixImageWidget.h"
#include "mainwindow/Strings.h"
#include "printdlg/PrintOutput.h"
#include "printdlg/QtPrintCanvas.h"
#include "printdlg/SelFrame.h"
#include "settings/Settings.h"

namespace pixelary {
namespace {

constexpr int kMaxRepeatsSpin = 999;
constexpr int kMaxCopies = 9999;
constexpr const char* kDefaultFrame = "Default.bmp";

const char* const kMarginNames[9] = {"MarginsTL", "MarginsT",  "MarginsTR", "MarginsL", "MarginsC",
                                     "MarginsR",  "MarginsBL", "MarginsB",  "MarginsBR"};
const char* const kMarginHints[9] = {
    QT_TRANSLATE_NOOP("TMPrintDlg", "靠左上角"), QT_TRANSLATE_NOOP("TMPrintDlg", "靠上"),
    QT_TRANSLATE_NOOP("TMPrintDlg", "靠右上角"), QT_TRANSLATE_NOOP("TMPrintDlg", "靠左"),
    QT_TRANSLATE_NOOP("TMPrintDlg", "居中"),     QT_TRANSLATE_NOOP("TMPrintDlg", "靠右"),
    QT_TRANSLATE_NOOP("TMPrintDlg", "靠左下角"), QT_TRANSLATE_NOOP("TMPrintDlg", "靠下"),
    QT_TRANSLATE_NOOP("TMPrintDlg", "靠右下角")};
const char* const kMarginGlyphs[9] = {"↖", "↑", "↗", "←", "●", "→", "↙", "↓", "↘"};
const char* const kTileNames[4] = {"TileBtnLRH", "TileBtnLRV", "TileBtnRLH", "TileBtnRLV"};
const char* const kTileGlyphs[4] = {"→", "↓", "←", "↓←"};
const char* const kTileHints[4] = {QT_TRANSLATE_NOOP("TMPrintDlg", "由左至右逐列排列"),
                                   QT_TRANSLATE_NOOP("TMPrintDlg", "由左至右逐行排列"),
                                   QT_TRANSLATE_NOOP("TMPrintDlg", "由右至左逐列排列"),
                                   QT_TRANSLATE_NOOP("TMPrintDlg", "由右至左逐行排列")};

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The leading decimal number of a text; 0 when it starts with none.
double LeadingNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^\\s*([+-]?(\\d+\\.?\\d*|\\.\\d+))"));
    const QRegularExpressionMatch m = number.match(text);
    return m.hasMatch() ? m.captured(1).toDouble() : 0.0;
}

// The shortest general decimal form: 5 as "5", 0.1 as "0.1".
QString NumberText(double v) {
    return QString::number(v, 'g', 15);
}

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLineEdit* NumberEdit(const char* name, const QString& value) {
    auto* edit = Named(new QLineEdit(value), name);
    edit->setMaximumWidth(64);
    return edit;
}

QSpinBox* Spin(const char* name, int min, int max, int value) {
    auto* spin = Named(new QSpinBox, name);
    spin->setRange(min, max);
    spin->setValue(value);
    return spin;
}

// A label, the control and its unit on one row of a grid.
void AddRow(QGridLayout* grid, int row, const QString& label, QWidget* control,
            const QString& unit = {}) {
    grid->addWidget(new QLabel(label), row, 0);
    grid->addWidget(control, row, 1);
    if (!unit.isEmpty()) grid->addWidget(new QLabel(unit), row, 2);
}

QToolButton* GlyphButton(const char* name, const char* glyph, const char* hint) {
    auto* b = Named(new QToolButton, name);
    b->setText(Text(glyph));
    b->setToolTip(QCoreApplication::translate("TMPrintDlg", hint));
    b->setCheckable(true);
    b->setAutoExclusive(true);
    b->setFixedSize(26, 26);
    return b;
}

qint64 MonotonicMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed() + 1;  // never 0, which means "no relayout pending"
}

}  // namespace

PrintDlgServices PrintDlgServices::Default() {
    PrintDlgServices s;
    s.Clock = MonotonicMs;
    s.ChooseStyleFile = [](QWidget* parent, const QString& folder) {
        QFileDialog dialog(parent);
        dialog.setObjectName(QStringLiteral("SaveParamDlg"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDirectory(folder);
        dialog.setNameFilter(QStringLiteral("Print modal file (*.df)"));
        dialog.setDefaultSuffix(QStringLiteral("df"));
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().first()
                   : QString();
    };
    s.PickFrame = [](QWidget* parent, const QStringList& folders, QString& framePath) {
        TSelFrameDlg dialog(folders, parent);
        dialog.SelectedPath = framePath;
        if (dialog.exec() != QDialog::Accepted) return false;
        framePath = dialog.SelectedPath;
        return true;
    };
    s.SetupPrinter = [](QWidget* parent, QPrinter& printer) {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    };
    return s;
}

TPreviewPaint::TPreviewPaint(TMPrintDlg& dialog) : dialog_(dialog) {
    setObjectName(QStringLiteral("PreviewPaint"));
    setFixedSize(TMPrintDlg::kPreviewSide, TMPrintDlg::kPreviewSide);
}

void TPreviewPaint::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    dialog_.PaintPreview(painter);
}

TMPrintDlg::TMPrintDlg(QPrinter& printer, PrintFolders folders, QWidget* parent,
                       PrintDlgServices services)
    : QDialog(parent),
      printer_(printer),
      folders_(std::move(folders)),
      styles_(folders_.ShippedStyles.toStdString(), folders_.UserStyles.toStdString()),
      services_(std::move(services)) {
    setObjectName(QStringLiteral("MPrintDlg"));
    setWindowTitle(tr("預視列印"));
    PageControl = Named(new QTabWidget, "PageControl");
    PageControl->addTab(BuildGeneralPage(), tr("一般設定"));
    PageControl->addTab(BuildFormatPage(), tr("格式設定"));
    PageControl->addTab(BuildSpecialPage(), tr("特別設定"));
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(PageControl, 1);
    layout->addWidget(BuildPreviewPane());
    AdjustTimer = new QTimer(this);
    AdjustTimer->setObjectName(QStringLiteral("AdjustTimer"));
    AdjustTimer->setInterval(kTimerIntervalMs);
    connect(AdjustTimer, &QTimer::timeout, this, [this] { AdjustTimerTimer(); });
    ConnectChanges();
    FormCreate();
    AdjustTimer->start();
}

TMPrintDlg::~TMPrintDlg() {
    Settings& settings = ProcessSettings();
    settings.PrintModal = ModalCombo->currentText().toStdString();
    settings.PrintFrameBitmap = frame_path_.toStdString();
}

QWidget* TMPrintDlg::BuildGeneralPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    ModalCombo = Named(new QComboBox, "ModalCombo");
    ModelDefaultBtn = Named(new QPushButton(tr("回復預設值")), "ModelDefaultBtn");
    grid->addWidget(new QLabel(tr("列印方式:")), 0, 0);
    grid->addWidget(ModalCombo, 0, 1);
    grid->addWidget(ModelDefaultBtn, 0, 2);

    auto* dupe = new QGroupBox;
    auto* dupeLayout = new QGridLayout(dupe);
    DupeRadioNum = Named(new QRadioButton(tr("複製", "repeat each picture")), "DupeRadioNum");
    DupeNumSpin = Spin("DupeNumSpin", 1, kMaxRepeatsSpin, 1);
    DupeRadioFull = Named(new QRadioButton(tr("填滿全部頁面")), "DupeRadioFull");
    DupeRadioNum->setChecked(true);
    dupeLayout->addWidget(DupeRadioNum, 0, 0);
    dupeLayout->addWidget(DupeNumSpin, 0, 1);
    dupeLayout->addWidget(new QLabel(tr("張", "copies of each picture")), 0, 2);
    dupeLayout->addWidget(DupeRadioFull, 1, 0, 1, 3);
    grid->addWidget(dupe, 1, 0, 1, 3);

    FrameImage = Named(new TPixImageWidget, "FrameImage");
    FrameImage->SetStretch(true);
    FrameImage->SetCenter(true);
    FrameImage->setFixedSize(72, 72);
    FrameImage->Image().ModuleFolder = QCoreApplication::applicationDirPath().toStdString();
    FrameImage->Image().OnImageError = [](TPixImage&, std::int16_t, const std::string&) {};
    FrameChangeBtn = Named(new QPushButton(tr("更換")), "FrameChangeBtn");
    PrintFitBitmap = Named(new QCheckBox(tr("底框與圖片等比例縮放")), "PrintFitBitmap");
    grid->addWidget(FrameImage, 2, 0, 2, 1);
    grid->addWidget(FrameChangeBtn, 2, 1);
    grid->addWidget(PrintFitBitmap, 3, 1, 1, 2);

    PaperCombo = Named(new QComboBox, "PaperCombo");
    grid->addWidget(new QLabel(tr("紙張大小:")), 4, 0);
    grid->addWidget(PaperCombo, 4, 1, 1, 2);
    auto* orientation = new QButtonGroup(page);
    PortraitRadio = Named(new QRadioButton(tr("直印")), "PortraitRadio");
    LandscapeRadio = Named(new QRadioButton(tr("橫印")), "LandscapeRadio");
    orientation->addButton(PortraitRadio);
    orientation->addButton(LandscapeRadio);
    PortraitRadio->setChecked(true);
    grid->addWidget(PortraitRadio, 5, 1);
    grid->addWidget(LandscapeRadio, 5, 2);
    CopyEdit = Spin("CopyEdit", 1, kMaxCopies, 1);
    grid->addWidget(new QLabel(tr("複製份數")), 6, 0);
    grid->addWidget(CopyEdit, 6, 1);
    grid->setRowStretch(7, 1);
    return page;
}

QWidget* TMPrintDlg::BuildFormatPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    WidthEdit = NumberEdit("WidthEdit", QStringLiteral("5.0"));
    HeightEdit = NumberEdit("HeightEdit", QStringLiteral("5.0"));
    AddRow(grid, 0, tr("寬度:"), WidthEdit, tr("公分"));
    AddRow(grid, 1, tr("高度:"), HeightEdit, tr("公分"));

    auto* tiling = new QGroupBox;
    auto* tileGrid = new QGridLayout(tiling);
    TileAutoRadio = Named(new QRadioButton(tr("自動計算")), "TileAutoRadio");
    TileManualRadio = Named(new QRadioButton(tr("手動設定")), "TileManualRadio");
    TileAutoRadio->setChecked(true);
    TileSpinH = Spin("TileSpinH", 1, kMaxTiles, 1);
    TileSpinV = Spin("TileSpinV", 1, kMaxTiles, 1);
    tileGrid->addWidget(TileAutoRadio, 0, 0, 1, 2);
    tileGrid->addWidget(TileManualRadio, 1, 0, 1, 2);
    AddRow(tileGrid, 2, tr("水平:"), TileSpinH, tr("張", "pictures across or down"));
    AddRow(tileGrid, 3, tr("垂直:"), TileSpinV, tr("張", "pictures across or down"));
    grid->addWidget(tiling, 2, 0, 1, 3);

    auto* spacing = new QGroupBox;
    auto* spaceGrid = new QGridLayout(spacing);
    SpaceRadioGap = Named(new QRadioButton(tr("實際間隔")), "SpaceRadioGap");
    SpaceRadioPitch = Named(new QRadioButton(tr("排列間隔")), "SpaceRadioPitch");
    SpaceRadioGap->setChecked(true);
    SpaceEditH = NumberEdit("SpaceEditH", QStringLiteral("0"));
    SpaceEditV = NumberEdit("SpaceEditV", QStringLiteral("0"));
    spaceGrid->addWidget(SpaceRadioGap, 0, 0, 1, 2);
    spaceGrid->addWidget(SpaceRadioPitch, 0, 2, 1, 2);
    AddRow(spaceGrid, 1, tr("水平:"), SpaceEditH, tr("公分"));
    AddRow(spaceGrid, 2, tr("垂直:"), SpaceEditV, tr("公分"));
    grid->addWidget(spacing, 3, 0, 1, 3);

    auto* order = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        TileButtons[i] = GlyphButton(kTileNames[i], kTileGlyphs[i], kTileHints[i]);
        order->addWidget(TileButtons[i]);
    }
    TileButtons[0]->setChecked(true);
    order->addStretch(1);
    grid->addLayout(order, 4, 0, 1, 3);
    grid->setRowStretch(5, 1);
    return page;
}

QWidget* TMPrintDlg::BuildSpecialPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    PrintName = Named(new QCheckBox(tr("列印檔名")), "PrintName");
    PrintClipLine = Named(new QCheckBox(tr("列印分割線")), "PrintClipLine");
    PrintDirectory = Named(new QCheckBox(tr("列印目錄抬頭")), "PrintDirectory");
    PrintPageNumber = Named(new QCheckBox(tr("列印頁碼")), "PrintPageNumber");
    PrintName->setChecked(true);
    PrintDirectory->setChecked(true);
    PrintPageNumber->setChecked(true);
    grid->addWidget(PrintName, 0, 0);
    grid->addWidget(PrintClipLine, 0, 1);
    grid->addWidget(PrintDirectory, 1, 0);
    grid->addWidget(PrintPageNumber, 1, 1);

    auto* area = new QGroupBox;
    auto* areaLayout = new QHBoxLayout(area);
    WorkOnLimit = Named(new QRadioButton(tr("可印範圍內")), "WorkOnLimit");
    WorkOnFullPage = Named(new QRadioButton(tr("整張紙")), "WorkOnFullPage");
    WorkOnLimit->setChecked(true);
    areaLayout->addWidget(WorkOnLimit);
    areaLayout->addWidget(WorkOnFullPage);
    grid->addWidget(area, 2, 0, 1, 2);

    auto* margins = new QGroupBox;
    auto* marginGrid = new QGridLayout(margins);
    MarginsManualRadio = Named(new QRadioButton(tr("手動")), "MarginsManualRadio");
    MarginsAutoRadio = Named(new QRadioButton(tr("自動")), "MarginsAutoRadio");
    MarginsAutoRadio->setChecked(true);
    MarginsLeftEdit = NumberEdit("MarginsLeftEdit", QStringLiteral("0"));
    MarginsTopEdit = NumberEdit("MarginsTopEdit", QStringLiteral("0"));
    marginGrid->addWidget(MarginsManualRadio, 0, 0, 1, 3);
    AddRow(marginGrid, 1, tr("左界:"), MarginsLeftEdit, tr("公分"));
    AddRow(marginGrid, 2, tr("上界:"), MarginsTopEdit, tr("公分"));
    marginGrid->addWidget(MarginsAutoRadio, 0, 3, 1, 3);
    auto* align = new QGridLayout;
    for (int i = 0; i < 9; ++i) {
        MarginButtons[i] = GlyphButton(kMarginNames[i], kMarginGlyphs[i], kMarginHints[i]);
        align->addWidget(MarginButtons[i], i / 3, i % 3);
    }
    MarginButtons[4]->setChecked(true);
    marginGrid->addLayout(align, 1, 3, 3, 3);
    grid->addWidget(margins, 3, 0, 1, 2);

    FrameThickEdit = NumberEdit("FrameThickEdit", QStringLiteral("0.1"));
    auto* thick = new QGridLayout;
    AddRow(thick, 0, tr("上下左右各:"), FrameThickEdit, tr("公分"));
    grid->addLayout(thick, 4, 0, 1, 2);
    SaveOptionBtn = Named(new QPushButton(tr("儲存目前列印方式")), "SaveOptionBtn");
    grid->addWidget(SaveOptionBtn, 5, 0, 1, 2);
    grid->setRowStretch(6, 1);
    return page;
}

QWidget* TMPrintDlg::BuildPreviewPane() {
    auto* pane = new QWidget;
    auto* layout = new QVBoxLayout(pane);
    auto* pages = new QHBoxLayout;
    TotalPagesLabel = Named(new QLabel(QStringLiteral("1/100")), "TotalPagesLabel");
    pages->addWidget(new QLabel(tr("頁數:")));
    BackBtn = Named(new QPushButton(QStringLiteral("<<")), "BackBtn");
    ForeBtn = Named(new QPushButton(QStringLiteral(">>")), "ForeBtn");
    pages->addWidget(TotalPagesLabel, 1);
    pages->addWidget(BackBtn);
    pages->addWidget(ForeBtn);
    layout->addLayout(pages);
    PreviewPaint = new TPreviewPaint(*this);
    layout->addWidget(PreviewPaint);
    ProgressBar1 = Named(new QProgressBar, "ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    layout->addWidget(ProgressBar1);
    auto* buttons = new QHBoxLayout;
    StartBtn = Named(new QPushButton(tr("開始列印")), "StartBtn");
    SetupBtn = Named(new QPushButton(tr("設定印表機")), "SetupBtn");
    CloseBtn = Named(new QPushButton(tr("關閉")), "CloseBtn");
    CloseBtn->setDefault(true);
    buttons->addWidget(StartBtn);
    buttons->addWidget(SetupBtn);
    buttons->addWidget(CloseBtn);
    layout->addLayout(buttons);
    return pane;
}

void TMPrintDlg::ConnectChanges() {
    const auto changed = [this] {
        if (!filling_) ScheduleRelayout();
    };
    for (QLineEdit* edit : {WidthEdit, HeightEdit, SpaceEditH, SpaceEditV, MarginsLeftEdit,
                            MarginsTopEdit, FrameThickEdit})
        connect(edit, &QLineEdit::textChanged, this, changed);
    for (QSpinBox* spin : {DupeNumSpin, TileSpinH, TileSpinV})
        connect(spin, &QSpinBox::valueChanged, this, changed);
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
             DupeRadioNum, DupeRadioFull, PrintFitBitmap, PortraitRadio, LandscapeRadio,
             TileAutoRadio, TileManualRadio, PrintName, PrintClipLine, PrintDirectory,
             PrintPageNumber, WorkOnLimit, WorkOnFullPage, MarginsManualRadio, MarginsAutoRadio})
        connect(b, &QAbstractButton::toggled, this, changed);
    for (QToolButton* b : TileButtons) connect(b, &QToolButton::toggled, this, changed);
    for (QToolButton* b : MarginButtons) connect(b, &QToolButton::toggled, this, changed);
    connect(PaperCombo, &QComboBox::currentIndexChanged, this, changed);
    connect(MarginsManualRadio, &QRadioButton::toggled, this, [this] { EnableMarginControls(); });
    connect(DupeRadioNum, &QRadioButton::toggled, this, [this] { EnableSpinControls(); });
    connect(TileManualRadio, &QRadioButton::toggled, this, [this] { EnableSpinControls(); });
    connect(SpaceRadioGap, &QRadioButton::clicked, this, [this] { SpaceRadioClick(false); });
    connect(SpaceRadioPitch, &QRadioButton::clicked, this, [this] { SpaceRadioClick(true); });
    connect(ModalCombo, &QComboBox::activated, this, [this] { ModalComboChange(); });
    connect(ModelDefaultBtn, &QPushButton::clicked, this, [this] { ModelDefaultBtnClick(); });
    connect(SaveOptionBtn, &QPushButton::clicked, this, [this] { SaveOptionBtnClick(); });
    connect(FrameChangeBtn, &QPushButton::clicked, this, [this] { FrameChangeBtnClick(); });
    connect(SetupBtn, &QPushButton::clicked, this, [this] { SetupBtnClick(); });
    connect(BackBtn, &QPushButton::clicked, this, [this] { StepPreview(-1); });
    connect(ForeBtn, &QPushButton::clicked, this, [this] { StepPreview(1); });
    connect(StartBtn, &QPushButton::clicked, this, [this] { StartBtnClick(); });
    connect(CloseBtn, &QPushButton::clicked, this, [this] { CloseBtnClick(); });
}

void TMPrintDlg::FormCreate() {
    filling_ = true;
    const Settings& settings = ProcessSettings();
    LoadFrame(QString::fromStdString(settings.PrintFrameBitmap));
    // Before the dialog has ever written its last used settings, the system style stands in.
    const bool haveLastUsed =
        QFileInfo::exists(QString::fromStdString(styles_.PathOf(PrintStyleStore::kLastUsed)));
    LoadStyle(haveLastUsed ? QString() : QString::fromLatin1(PrintStyleStore::kSystemStyle));
    FillPaperList();
    paper_ = MeasurePaper(printer_, ChosenPaperCode(), PortraitRadio->isChecked());
    ComputePreviewLayout();
    FillStyleList(QString::fromStdString(settings.PrintModal));
    EnableMarginControls();
    EnableSpinControls();
    filling_ = false;
}

void TMPrintDlg::SetJob(PrintJob job) {
    job_ = std::move(job);
    ComputePreviewLayout();
}

PrintSettings TMPrintDlg::ReadControls() const {
    PrintSettings s;
    s.PictureWidth = std::max(1.0, LeadingNumber(WidthEdit->text()));
    s.PictureHeight = std::max(1.0, LeadingNumber(HeightEdit->text()));
    s.AutoMargins = MarginsAutoRadio->isChecked() ? 1 : 0;
    s.LeftMargin = std::clamp(LeadingNumber(MarginsLeftEdit->text()), 0.0,
                              std::max(0.0, paper_.PaperWidth - s.PictureWidth));
    s.TopMargin = std::clamp(LeadingNumber(MarginsTopEdit->text()), 0.0,
                             std::max(0.0, paper_.PaperHeight - s.PictureHeight));
    s.Alignment = 4;
    for (std::uint32_t i = 0; i < 9; ++i) {
        if (MarginButtons[i]->isChecked()) {
            s.Alignment = i;
            break;
        }
    }
    s.Copies = static_cast<std::uint32_t>(CopyEdit->value());
    s.ManualTiling = TileManualRadio->isChecked() ? 1 : 0;
    s.Columns = static_cast<std::uint32_t>(TileSpinH->value());
    s.Rows = static_cast<std::uint32_t>(TileSpinV->value());
    s.FillOrder = 0;
    for (std::uint32_t i = 0; i < 4; ++i)
        if (TileButtons[i]->isChecked()) s.FillOrder = i;
    s.SpacingAsPitch = SpaceRadioPitch->isChecked() ? 1 : 0;
    double gapH = LeadingNumber(SpaceEditH->text());
    double gapV = LeadingNumber(SpaceEditV->text());
    if (s.SpacingAsPitch) {
        gapH -= s.PictureWidth;
        gapV -= s.PictureHeight;
    }
    s.HorizontalGap = std::max(0.0, gapH);
    s.VerticalGap = std::max(0.0, gapV);
    s.FillPage = DupeRadioFull->isChecked() ? 1 : 0;
    s.Repeats = static_cast<std::uint32_t>(DupeNumSpin->value());
    s.PrintNames = PrintName->isChecked();
    s.PrintTitle = PrintDirectory->isChecked();
    s.PrintPageNumber = PrintPageNumber->isChecked();
    s.FrameFitsPicture = PrintFitBitmap->isChecked();
    s.WholeSheet = WorkOnFullPage->isChecked() ? 1 : 0;
    const double thickness = std::max(0.0, LeadingNumber(FrameThickEdit->text()));
    const double smaller = std::min(s.PictureWidth, s.PictureHeight);
    s.FrameThickness = thickness > 2 * smaller ? smaller : thickness;
    s.Orientation = PortraitRadio->isChecked() ? 1 : 2;
    s.Paper = ChosenPaperCode();
    s.CutLines = PrintClipLine->isChecked();
    return s;
}

void TMPrintDlg::WriteControls(const PrintSettings& s) {
    const bool wasFilling = filling_;
    filling_ = true;
    WidthEdit->setText(NumberText(s.PictureWidth));
    HeightEdit->setText(NumberText(s.PictureHeight));
    (s.AutoMargins ? MarginsAutoRadio : MarginsManualRadio)->setChecked(true);
    MarginsLeftEdit->setText(NumberText(s.LeftMargin));
    MarginsTopEdit->setText(NumberText(s.TopMargin));
    MarginButtons[s.Alignment <= 8 ? s.Alignment : 4]->setChecked(true);
    CopyEdit->setValue(static_cast<int>(std::min<std::uint32_t>(s.Copies, kMaxCopies)));
    (s.ManualTiling ? TileManualRadio : TileAutoRadio)->setChecked(true);
    TileSpinH->setValue(static_cast<int>(std::min<std::uint32_t>(s.Columns, kMaxTiles)));
    TileSpinV->setValue(static_cast<int>(std::min<std::uint32_t>(s.Rows, kMaxTiles)));
    TileButtons[s.FillOrder <= 3 ? s.FillOrder : 0]->setChecked(true);
    (s.SpacingAsPitch ? SpaceRadioPitch : SpaceRadioGap)->setChecked(true);
    const double extraH = s.SpacingAsPitch ? s.PictureWidth : 0.0;
    const double extraV = s.SpacingAsPitch ? s.PictureHeight : 0.0;
    SpaceEditH->setText(NumberText(s.HorizontalGap + extraH));
    SpaceEditV->setText(NumberText(s.VerticalGap + extraV));
    (s.FillPage ? DupeRadioFull : DupeRadioNum)->setChecked(true);
    DupeNumSpin->setValue(static_cast<int>(std::min<std::uint32_t>(s.Repeats, kMaxRepeatsSpin)));
    PrintName->setChecked(s.PrintNames);
    PrintClipLine->setChecked(s.CutLines);
    PrintDirectory->setChecked(s.PrintTitle);
    PrintPageNumber->setChecked(s.PrintPageNumber);
    PrintFitBitmap->setChecked(s.FrameFitsPicture);
    (s.WholeSheet ? WorkOnFullPage : WorkOnLimit)->setChecked(true);
    FrameThickEdit->setText(NumberText(s.FrameThickness));
    (s.Orientation == 2 ? LandscapeRadio : PortraitRadio)->setChecked(true);
    for (std::size_t i = 0; i < papers_.size(); ++i)
        if (papers_[i].Code == s.Paper) PaperCombo->setCurrentIndex(static_cast<int>(i));
    filling_ = wasFilling;
    EnableMarginControls();
    EnableSpinControls();
}

bool TMPrintDlg::LoadStyle(const QString& fileName) {
    const std::string name =
        fileName.isEmpty() ? std::string(PrintStyleStore::kLastUsed) : fileName.toStdString();
    try {
        WriteControls(styles_.Load(name));
        return true;
    } catch (const Exception& e) {
        ShowException(this, e);
        return false;
    }
}

void TMPrintDlg::SaveStyle(const QString& fileName) {
    const std::string name =
        fileName.isEmpty() ? std::string(PrintStyleStore::kLastUsed) : fileName.toStdString();
    try {
        styles_.Save(name, ReadControls());
    } catch (const Exception& e) {
        ShowException(this, e);
    }
}

void TMPrintDlg::EnableMarginControls() {
    const bool manual = MarginsManualRadio->isChecked();
    MarginsLeftEdit->setEnabled(manual);
    MarginsTopEdit->setEnabled(manual);
    for (QToolButton* b : MarginButtons) b->setEnabled(!manual);
}

void TMPrintDlg::EnableSpinControls() {
    DupeNumSpin->setEnabled(DupeRadioNum->isChecked());
    TileSpinH->setEnabled(TileManualRadio->isChecked());
    TileSpinV->setEnabled(TileManualRadio->isChecked());
}

void TMPrintDlg::FillPaperList() {
    const bool wasFilling = filling_;
    filling_ = true;
    papers_ = PrinterPapers(printer_);
    PaperCombo->clear();
    const std::uint16_t current = CurrentPaperCode(printer_);
    int chosen = 0;
    for (std::size_t i = 0; i < papers_.size(); ++i) {
        PaperCombo->addItem(papers_[i].Name);
        if (papers_[i].Code == current) chosen = static_cast<int>(i);
    }
    PaperCombo->setCurrentIndex(papers_.empty() ? -1 : chosen);
    (printer_.pageLayout().orientation() == QPageLayout::Landscape ? LandscapeRadio : PortraitRadio)
        ->setChecked(true);
    filling_ = wasFilling;
}

void TMPrintDlg::FillStyleList(const QString& select) {
    ModalCombo->clear();
    ModalCombo->addItem(LoadStr(kStrPrintSystemStyle));
    for (const std::string& name : styles_.StyleNames())
        ModalCombo->addItem(QString::fromStdString(name));
    int chosen = 0;
    for (int i = 0; i < ModalCombo->count(); ++i)
        if (ModalCombo->itemText(i).compare(select, Qt::CaseInsensitive) == 0) chosen = i;
    ModalCombo->setCurrentIndex(chosen);
}

void TMPrintDlg::LoadFrame(const QString& remembered) {
    // The remembered frame by its own path, else by its name in the shipped folder, else the
    // shipped default.
    QStringList candidates;
    if (!remembered.isEmpty()) {
        candidates << remembered
                   << folders_.ShippedFrames + QLatin1Char('/') + QFileInfo(remembered).fileName();
    }
    candidates << folders_.ShippedFrames + QLatin1Char('/') + QLatin1String(kDefaultFrame);
    frame_ = {};
    frame_path_ = candidates.last();
    for (const QString& path : candidates) {
        if (!QFileInfo(path).isFile()) continue;
        FrameImage->SetImageName(path.toStdString());
        if (FrameImage->Image().Picture().Bitmap().Empty()) continue;
        frame_path_ = path;
        frame_ = BuildFrameMask(FrameImage->Image().Picture().Bitmap().ToDib());
        return;
    }
    FrameImage->SetImageName(std::string());
}

std::uint16_t TMPrintDlg::ChosenPaperCode() const {
    const int i = PaperCombo->currentIndex();
    return i >= 0 && i < static_cast<int>(papers_.size()) ? papers_[i].Code : 0;
}

void TMPrintDlg::ScheduleRelayout(int delayMs) {
    relayout_deadline_ = services_.Clock() + delayMs;
}

void TMPrintDlg::AdjustTimerTimer() {
    // A relayout changes the printer's paper, so none runs while a job prints.
    if (printing_ || relayout_deadline_ == 0 || services_.Clock() < relayout_deadline_) return;
    relayout_deadline_ = 0;
    Relayout();
}

void TMPrintDlg::Relayout() {
    paper_ = MeasurePaper(printer_, ChosenPaperCode(), PortraitRadio->isChecked());
    ComputePreviewLayout();
    SaveStyle(QString());
    ++relayouts_;
}

void TMPrintDlg::ComputePreviewLayout() {
    preview_page_ = PreviewPageRect(paper_, kPreviewSide, kPreviewSide);
    preview_layout_ = ComputeLayout(
        ReadControls(), paper_, static_cast<std::int32_t>(job_.Entries.size()), preview_page_.Left,
        preview_page_.Top, preview_page_.Width, preview_page_.Height);
    UpdatePageControls();
    PreviewPaint->update();
}

void TMPrintDlg::UpdatePageControls() {
    const int index = preview_layout_.PageIndex;
    const int count = preview_layout_.PageCount;
    TotalPagesLabel->setText(QStringLiteral("%1/%2").arg(index + 1).arg(count));
    BackBtn->setEnabled(!printing_ && index >= 1);
    ForeBtn->setEnabled(!printing_ && index + 1 < count);
}

void TMPrintDlg::PaintPreview(QPainter& painter) {
    painter.fillRect(PreviewPaint->rect(), palette().window());
    const PageRect& p = preview_page_;
    painter.fillRect(QRect(p.Left, p.Top, p.Width, p.Height), Qt::white);
    QtPrintCanvas canvas(painter);
    DrawPage(preview_layout_, job_, frame_, canvas, true);
    const PageRect& a = preview_layout_.Printable;
    QPen dotted(Qt::black, 0, Qt::DotLine);
    painter.setPen(dotted);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(a.Left, a.Top, a.Width, a.Height));
}

void TMPrintDlg::ModalComboChange() {
    const int i = ModalCombo->currentIndex();
    const QString file =
        i <= 0 ? QString::fromLatin1(PrintStyleStore::kSystemStyle)
               : ModalCombo->currentText() + QLatin1String(PrintStyleStore::kStyleExtension);
    LoadStyle(file);
    ScheduleRelayout();
}

void TMPrintDlg::ModelDefaultBtnClick() {
    const int i = ModalCombo->currentIndex();
    const QString file =
        i <= 0 ? QString::fromLatin1(PrintStyleStore::kSystemStyle)
               : ModalCombo->currentText() + QLatin1String(PrintStyleStore::kStyleExtension);
    LoadStyle(file);
    ScheduleRelayout(0);
}

void TMPrintDlg::SpaceRadioClick(bool toPitch) {
    const double width = std::max(1.0, LeadingNumber(WidthEdit->text()));
    const double height = std::max(1.0, LeadingNumber(HeightEdit->text()));
    const double sign = toPitch ? 1.0 : -1.0;
    const double h = LeadingNumber(SpaceEditH->text()) + sign * width;
    const double v = LeadingNumber(SpaceEditV->text()) + sign * height;
    SpaceEditH->setText(NumberText(std::max(0.0, h)));
    SpaceEditV->setText(NumberText(std::max(0.0, v)));
    ScheduleRelayout();
}

void TMPrintDlg::SaveOptionBtnClick() {
    const QString chosen = services_.ChooseStyleFile(this, folders_.UserStyles);
    if (chosen.isEmpty()) return;
    const QString keep = ModalCombo->currentText();
    SaveStyle(QFileInfo(chosen).completeBaseName() +
              QLatin1String(PrintStyleStore::kStyleExtension));
    FillStyleList(keep);
}

void TMPrintDlg::FrameChangeBtnClick() {
    QString path = frame_path_;
    if (!services_.PickFrame(this, folders_.FrameFolders(), path)) return;
    try {
        LoadFrame(path);
    } catch (const Exception& e) {
        ShowException(this, e);
    }
    PreviewPaint->update();
}

void TMPrintDlg::SetupBtnClick() {
    if (!services_.SetupPrinter(this, printer_)) return;
    FillPaperList();
    ScheduleRelayout();
}

void TMPrintDlg::StepPreview(int delta) {
    const int index = preview_layout_.PageIndex + delta;
    if (index < 0 || index >= preview_layout_.PageCount) return;
    preview_layout_.PageIndex = index;
    UpdatePageControls();
    PreviewPaint->update();
}

void TMPrintDlg::SetControlsForPrinting(bool printing) {
    for (QWidget* w : std::initializer_list<QWidget*>{PageControl, StartBtn, SetupBtn})
        w->setEnabled(!printing);
    printing_ = printing;
    UpdatePageControls();
}

void TMPrintDlg::StartBtnClick() {
    if (printing_ || job_.Entries.empty()) return;
    const QString closeCaption = CloseBtn->text();
    CloseBtn->setText(tr("放棄列印"));
    abort_requested_ = false;
    SetControlsForPrinting(true);
    const int previewPage = preview_layout_.PageIndex;
    PrintJobPages();
    ProgressBar1->setValue(0);
    if (preview_layout_.PageIndex != previewPage) {
        preview_layout_.PageIndex = previewPage;
        PreviewPaint->update();
    }
    CloseBtn->setText(closeCaption);
    SetControlsForPrinting(false);
    abort_requested_ = false;
}

void TMPrintDlg::PrintJobPages() {
    const PageRect sheet = PrinterPageRect(printer_);
    PageLayout layout =
        ComputeLayout(ReadControls(), paper_, static_cast<std::int32_t>(job_.Entries.size()),
                      sheet.Left, sheet.Top, sheet.Width, sheet.Height);
    ProgressBar1->setRange(0, std::max(1, static_cast<int>(job_.Entries.size()) * layout.Repeats));
    ProgressBar1->setValue(0);
    if (printer_.copyCount() != CopyEdit->value()) printer_.setCopyCount(CopyEdit->value());
    const QString title = QString::fromStdString(job_.Title);
    printer_.setDocName(title);
    if (layout.PageCount <= 0) return;

    std::unique_ptr<PrintOutput> output = MakePrintOutput(printer_, title, printer_.copyCount());
    QIODevice* device = output->Begin();
    if (!device) {
        ShowException(this, Exception(output->ErrorText.toStdString()));
        return;
    }
    QPdfWriter writer(device);
    writer.setTitle(title);
    writer.setCreator(QCoreApplication::applicationName());
    writer.setResolution(printer_.resolution());
    writer.setPageLayout(printer_.pageLayout());
    QPainter painter(&writer);
    QtPrintCanvas canvas(painter);
    PrintHooks hooks;
    hooks.AbortRequested = [this] { return abort_requested_; };
    hooks.StepProgress = [this] { ProgressBar1->setValue(ProgressBar1->value() + 1); };
    hooks.ProcessPendingEvent = [] { QCoreApplication::processEvents(); };
    for (int page = 0; page < layout.PageCount && !abort_requested_; ++page) {
        if (preview_layout_.PageIndex != page) {
            preview_layout_.PageIndex = page;
            UpdatePageControls();
            PreviewPaint->repaint();
        }
        layout.PageIndex = page;
        DrawPage(layout, job_, frame_, canvas, false, hooks);
        if (!abort_requested_ && page + 1 < layout.PageCount) writer.newPage();
    }
    if (abort_requested_) {
        output->Abort();  // before the writer closes the document, so it never arrives whole
        painter.end();
    } else {
        painter.end();
        if (!output->Finish()) ShowException(this, Exception(output->ErrorText.toStdString()));
    }
    last_job_id_ = output->JobId();
}

void TMPrintDlg::CloseBtnClick() {
    if (printing_) {
        abort_requested_ = true;
        return;
    }
    accept();
}

void TMPrintDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ScheduleRelayout();
}

void TMPrintDlg::closeEvent(QCloseEvent* event) {
    if (printing_) {
        abort_requested_ = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TMPrintDlg::reject() {
    if (printing_) {
        abort_requested_ = true;
        return;
    }
    QDialog::reject();
}

}  // namespace pixelary
