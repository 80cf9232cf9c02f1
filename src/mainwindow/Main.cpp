// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's life: construction from its parts, start-up, shutdown, and the commands of
// the frame itself (options, view toggles and modes, about, hints and the progress panel).
#include "mainwindow/Main.h"

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QSpinBox>
#include <QStatusTipEvent>

#include "cache/MCacheFile.h"
#include "mainwindow/About.h"
#include "mainwindow/Controls.h"
#include "mainwindow/MainFont.h"
#include "mainwindow/OptionDlg.h"
#include "mainwindow/RadioGroup.h"
#include "mainwindow/Strings.h"
#include "model/MExplorerItem.h"
#include "model/MWalkQueue.h"
#include "scanner/MScanIcon.h"
#include "settings/Settings.h"

// The images are compiled into this static library; its resources must be registered by hand.
static void InitResources() {
    Q_INIT_RESOURCE(mainwindow);
}

namespace pixelary {
namespace {

constexpr QSize kDesignClientSize{608, 409};
constexpr int kHistoryCapacity = 20;
constexpr int kPercent = 100;
const QColor kLime(0, 255, 0);
const QColor kSilver(192, 192, 192);

}  // namespace

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent),
      view_(new ThumbnailView(state_)),
      scanner_(std::make_unique<ScannerLink>(state_, *view_, this)),
      navigator_(std::make_unique<Navigator>(state_, *view_, *scanner_, this)),
      files_(std::make_unique<FileCommands>(state_, *view_, this)) {
    InitResources();
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QGuiApplication::applicationDisplayName());
    setWindowIcon(QIcon(QStringLiteral(":/icons/pixelary.png")));
    setFont(MainWindowFont());
    QPalette black = palette();
    black.setColor(QPalette::WindowText, Qt::black);
    setPalette(black);

    BuildCommands(false);
    BuildCoolBar();
    BuildClientArea();
    BuildStatusBar();
    resize(kDesignClientSize.width(), kDesignClientSize.height() + MainMenu1->sizeHint().height());
    WireParts();

    History = std::make_unique<MWalkQueue>(kHistoryCapacity);
    Cache = std::make_unique<MCacheFileManager>();
    FormCreate();
}

TMainForm::~TMainForm() {
    Shutdown();
}

void TMainForm::WireParts() {
    view_->SetContextMenu(ItemPopupMenu);
    view_->SetKeyCommands(
        {CmGotoBack, CmGotoFore, CmUpPath, CmFileRename, CmFileDelete, CmViewRefresh});
    view_->WatchWindowKeys(this);
    connect(view_, &ThumbnailView::OpenRequested, navigator_.get(), &Navigator::OpenItem);
    connect(view_, &ThumbnailView::StatusCountsChanged, this,
            [this](const QString& counts) { StatusBar->SetPanelText(1, counts); });
    connect(view_, &ThumbnailView::InfoPanelStale, InfoPaint, qOverload<>(&QWidget::update));

    navigator_->SetControls({GotoMenu, CmGotoListStart, CmGotoListEnd, CmGotoBack, CmGotoFore,
                             BackBtn, ForeBtn, CmUpPath, UpPathBtn, PathCombo, CmSortExt,
                             CmSortSize, CmSortDate, CmSortMinMax});
    connect(files_.get(), &FileCommands::FolderChanged, this, &TMainForm::CmViewRefreshClick);
    connect(view_, &ThumbnailView::FilesDropped, files_.get(),
            [this](fileops::TransferKind kind, const QStringList& paths, const QString& folder) {
                std::vector<std::string> sources;
                for (const QString& path : paths) sources.push_back(path.toStdString());
                files_->TransferFiles(kind, sources, folder);
            });
    connect(view_, &ThumbnailView::FilesMovedOut, this, &TMainForm::CmViewRefreshClick);
    connect(scanner_.get(), &ScannerLink::ProgressChanged, this, [this](int value) {
        Progress = value;
        StatusBar->InvalidatePanels();
    });
}

// ---- start-up and shutdown ------------------------------------------------------------------

void TMainForm::FormCreate() {
    Settings& settings = ProcessSettings();
    try {
        LoadSettings();
    } catch (const std::exception& error) {
        ShowException(this, error);
    }
    Cache->SetDirectory(settings.CachePath);
    Cache->SetLimit(settings.CacheSize);
    Cache->SetSorted(true);
    try {
        Cache->Load();
    } catch (const std::exception& error) {
        ShowException(this, error);
    }
    scanner_->CreateCheckpoint();
    SkipNextMouseDown = false;
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    FormShow();
}

void TMainForm::FormShow() {
    CmDesktopClick();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    Shutdown();
    QMainWindow::closeEvent(event);
}

void TMainForm::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    scanner_->BeginShutdown();
    scanner_->Stop();
    FormDestroy();
    Folder.reset();
    scanner_->DropCheckpoint();
    Cache.reset();
    History.reset();
    RenameOriginal.clear();
}

void TMainForm::FormDestroy() {
    try {
        Cache->Save();
    } catch (const std::exception& error) {
        // A cache folder already reported as unwritable is not reported again at exit.
        if (!scanner_->CacheNoticeShown()) ShowException(this, error);
    }
    SaveSettings();
}

void TMainForm::SaveState() {
    if (shutDown_) return;
    FormDestroy();
}

// ---- options ----------------------------------------------------------------------------------

void TMainForm::CmOptionClick() {
    try {
        Settings& settings = ProcessSettings();
        TOptionDlg dialog(this);
        dialog.CacheDirEdit->setText(QString::fromStdString(settings.CachePath));
        dialog.CacheSizeSpin->setValue(settings.CacheSize);
        dialog.OpenFileMouseGroup->SetItemIndex(settings.OpenFileMouse);
        if (dialog.exec() == QDialog::Accepted) {
            settings.CachePath = dialog.CacheDirEdit->text().toStdString();
            settings.CacheSize = dialog.CacheSizeSpin->value();
            settings.OpenFileMouse = dialog.OpenFileMouseGroup->ItemIndex();
            Cache->SetDirectory(settings.CachePath);
            Cache->SetLimit(settings.CacheSize);
            // Written at once, so a crash before exit does not lose the choice.
            SaveSettings();
        }
    } catch (const std::exception& error) {
        ShowException(this, error);
    }
    ItemPaint->update();
}

// ---- hints, toggles, modes, about -----------------------------------------------------------

bool TMainForm::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TMainForm::ShowHint(const QString& hint) {
    StatusBar->SetSimpleText(hint);
}

void TMainForm::CmViewToolClick() {
    MainBar->setVisible(CmViewTool->isChecked());
    ArrangeItems();
}

void TMainForm::CmViewStatusClick() {
    StatusBar->setVisible(CmViewStatus->isChecked());
    ArrangeItems();
}

void TMainForm::CmHideAttacheClick() {
    ItemPaint->update();
}

void TMainForm::CmViewNormalClick(QAction* item) {
    item->setChecked(true);
    int mode = kViewNormal;
    if (CmViewNormal->isChecked()) {
        mode = kViewNormal;
    } else if (CmViewBrowse->isChecked()) {
        mode = kViewBrowse;
    } else if (CmViewFull->isChecked()) {
        mode = kViewDetails;
    }
    view_->SetRequestedMode(mode);
    InfoScrollBox->setVisible(CmViewNormal->isChecked());
    // Showing or hiding the panel resizes the view; arranging now also covers the case where the
    // size happens not to change.
    ArrangeItems();
}

void TMainForm::CmAboutClick() {
    try {
        TAboutBox box(this);
        box.exec();
    } catch (const std::exception& error) {
        ShowException(this, error);
    }
}

void TMainForm::StatusBarDrawPanel(QPainter& painter, const QRect& rect) {
    if (Progress < 0 || Progress > kPercent) {
        painter.fillRect(rect, kSilver);
        return;
    }
    const int split = rect.left() + Progress * rect.width() / kPercent;
    painter.fillRect(QRect(QPoint(rect.left(), rect.top()), QPoint(split - 1, rect.bottom())),
                     kLime);
    painter.fillRect(QRect(QPoint(split, rect.top()), rect.bottomRight()), kSilver);
    QFont font = painter.font();
    font.setPixelSize(std::max(1, rect.height() - 2));
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QString text = QString::number(Progress) + QLatin1Char('%');
    const int textWidth = QFontMetrics(font).horizontalAdvance(text);
    painter.drawText(QPoint(rect.left() + (rect.width() - textWidth) / 2,
                            rect.top() + 1 + QFontMetrics(font).ascent()),
                     text);
}

}  // namespace pixelary
