// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mainwindow/BrowserState.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/InfoPanel.h"
#include "mainwindow/Navigator.h"
#include "mainwindow/ScannerLink.h"
#include "mainwindow/ThumbnailView.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPainter;
class QSplitter;
class QToolBar;
class QToolButton;

namespace pixelary {

class TCoolBar;
class TPaintBox;
class TStatusBar;

// The program's only top-level window: the menus, tool bar and path combo, the info panel, the
// thumbnail view and the status bar around the shown folder. It owns its parts (the view, the
// info panel, navigation, the scanner link and the file commands), wires them together, runs
// start-up and shutdown, and keeps the names of the controls and of the state the rest of the
// program uses, as members or as references into the parts.
class TMainForm : public QMainWindow {
    Q_OBJECT

    // The parts, made first: the references below point into them.
    BrowserState state_;
    ThumbnailView* view_;  // owned by its parent widget once laid out
    std::unique_ptr<ScannerLink> scanner_;
    std::unique_ptr<Navigator> navigator_;
    std::unique_ptr<FileCommands> files_;

  public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Menus and their items, built from the command table (each objectName is its item name).
    QMenuBar* MainMenu1 = nullptr;
    QMenu* FileMenu = nullptr;
    QMenu* EditMenu = nullptr;
    QMenu* SearchMenu = nullptr;
    QMenu* ViewMenu = nullptr;
    QMenu* GotoMenu = nullptr;
    QMenu* ToolMenu = nullptr;
    QMenu* HelpMenu = nullptr;
    QMenu* ItemPopupMenu = nullptr;

    QAction* CmFileNew = nullptr;
    QAction* CmNewFolder = nullptr;
    QAction* CmNewLink = nullptr;
    QAction* CmFileCopyTo = nullptr;
    QAction* CmFileMoveTo = nullptr;
    QAction* CmFileDelete = nullptr;
    QAction* CmFileRename = nullptr;
    QAction* CmFileProperties = nullptr;
    QAction* CmFileSend = nullptr;
    QAction* CmSendToEMail = nullptr;
    QAction* CmSendToFTP = nullptr;
    QAction* CmFileSetToDesk1 = nullptr;
    QAction* CmFileSetToDesk2 = nullptr;
    QAction* CmFileTwainAcquire = nullptr;
    QAction* CmFilePrint = nullptr;
    QAction* CmExit = nullptr;

    QAction* CmCut = nullptr;
    QAction* CmCopy = nullptr;
    QAction* CmPaste = nullptr;
    QAction* CmSelectAll = nullptr;
    QAction* CmSelectAllImage = nullptr;
    QAction* CmSelectInvert = nullptr;
    QAction* CmLinkAttached = nullptr;
    QAction* CmUnlinkAttached = nullptr;
    QAction* CmAddMemo = nullptr;
    QAction* CmAddSound = nullptr;

    QAction* CmSearchText = nullptr;
    QAction* CmSearchFile = nullptr;
    QAction* CmSearchComputer = nullptr;

    QAction* CmViewTool = nullptr;
    QAction* CmViewStatus = nullptr;
    QAction* CmHideAttache = nullptr;
    QAction* CmViewNormal = nullptr;
    QAction* CmViewBrowse = nullptr;
    QAction* CmViewFull = nullptr;
    QAction* CmViewSort = nullptr;
    QAction* CmSortName = nullptr;
    QAction* CmSortExt = nullptr;
    QAction* CmSortSize = nullptr;
    QAction* CmSortDate = nullptr;
    QAction* CmSortMinMax = nullptr;
    QAction* CmSortMaxMin = nullptr;
    QAction* CmViewRefresh = nullptr;
    QAction* CmViewReloadIcon = nullptr;
    QAction* CmOption = nullptr;

    QAction* CmGotoBack = nullptr;
    QAction* CmGotoFore = nullptr;
    QAction* CmGotoListStart = nullptr;
    QAction* CmGotoListEnd = nullptr;
    QAction* CmDesktop = nullptr;
    QAction* CmUpPath = nullptr;

    QAction* CmToolConvert = nullptr;
    QAction* CmToolEMailBook = nullptr;
    QAction* CmToolFTPBook = nullptr;

    QAction* CmAbout = nullptr;

    QAction* CmPopSort = nullptr;
    QAction* CmPopSortName = nullptr;
    QAction* CmPopSortExt = nullptr;
    QAction* CmPopSortSize = nullptr;
    QAction* CmPopSortDate = nullptr;
    QAction* CmPopSortMinMax = nullptr;
    QAction* CmPopSortMaxMin = nullptr;
    QAction* CmPopCut = nullptr;
    QAction* CmPopCopy = nullptr;
    QAction* CmPopPaste = nullptr;
    QAction* CmPopNew = nullptr;
    QAction* CmPopNewFolder = nullptr;
    QAction* CmPopNewLink = nullptr;
    QAction* CmPopCopyTo = nullptr;
    QAction* CmPopMoveTo = nullptr;
    QAction* CmPopDelete = nullptr;
    QAction* CmPopRename = nullptr;
    QAction* CmPopPropert = nullptr;

    // Visual components.
    TCoolBar* MainBar = nullptr;
    QToolBar* MainTool = nullptr;
    QToolButton* BackBtn = nullptr;
    QToolButton* ForeBtn = nullptr;
    QToolButton* DesktopBtn = nullptr;
    QToolButton* UpPathBtn = nullptr;
    QToolButton* PrintBtn = nullptr;
    QWidget* ToolButton1 = nullptr;
    QToolButton* TwainBtn = nullptr;
    QToolButton* CopyToBtn = nullptr;
    QToolButton* MoveToBtn = nullptr;
    QToolButton* DeleteBtn = nullptr;
    QToolButton* AboutBtn = nullptr;
    QLabel* PathBandLabel = nullptr;
    QComboBox* PathCombo = nullptr;
    InfoPanel* InfoScrollBox = nullptr;
    TPaintBox* InfoPaint = nullptr;
    QSplitter* InfoSplitter = nullptr;
    ThumbnailView* const ItemScrollBox = view_;
    TPaintBox* const ItemPaint = view_->ItemPaint;
    QLineEdit* const RenameEdit = view_->RenameEdit;
    TStatusBar* StatusBar = nullptr;

    // View state, kept by the thumbnail view.
    std::int32_t& GridWidth = view_->GridWidth;
    std::int32_t& GridHeight = view_->GridHeight;
    std::int32_t& Columns = view_->Columns;
    std::int32_t& Rows = view_->Rows;
    std::int32_t& GridLeft = view_->GridLeft;
    std::int32_t& ViewMode = view_->ViewMode;
    std::int32_t& HotIndex = view_->HotIndex;
    std::int32_t& FocusIndex = view_->FocusIndex;
    bool& SkipNextMouseDown = view_->SkipNextMouseDown;
    QString& RenameOriginal = view_->RenameOriginal;
    std::int32_t& RenameIndex = view_->RenameIndex;
    // Scanner progress in percent; outside 0..100 no progress is shown.
    std::int32_t Progress = -1;

    // Owned model objects.
    std::unique_ptr<MWalkQueue>& History = state_.History;
    std::unique_ptr<MExplorerItem>& Folder = state_.Folder;
    std::unique_ptr<MCacheFileManager>& Cache = state_.Cache;
    std::unique_ptr<MScanIcon>& Scanner = state_.Scanner;

    // Hooks replaced by tests: opening a file on the desktop, what the file commands ask of the
    // user and the desktop, and what the print command asks of the system.
    std::function<void(const QString&)>& ExecuteFile = navigator_->ExecuteFile;
    FileOpsHooks& FileOps = files_->FileOps;
    PrintCommandHooks& PrintCommand = files_->PrintCommand;

    // The thumbnail view.
    void ArrangeItems() { view_->ArrangeItems(); }
    HitInfo HitTest(int x, int y) const { return view_->HitTest(x, y); }
    int EntryCount() const { return view_->EntryCount(); }
    MExplorerItem* Entry(int index) const { return view_->Entry(index); }
    GridLayout CurrentGrid() const { return view_->CurrentGrid(); }
    void InvalidateItem(int index) { view_->InvalidateItem(index); }
    QList<InfoLine> InfoPanelLines() const { return InfoScrollBox->Lines(); }
    void OpenItem(int index) { navigator_->OpenItem(index); }

    // Scanner calls, on the main thread.
    void SetProgress(int value) { scanner_->SetProgress(value); }
    // Waits (serving the scanner's calls) until the running scan has ended; false on timeout.
    bool WaitForScanner(int timeoutMs) { return scanner_->WaitForScanner(timeoutMs); }

    // Navigation.
    void GotoPathText(const QString& path) { navigator_->GotoPathText(path); }
    void GotoFolderPath(const QString& path) { navigator_->GotoFolderPath(path); }
    QList<QAction*> HistoryItems() const { return navigator_->HistoryItems(); }

    // Writes the cache index and the settings now, while the window stays open (the session
    // manager asks this before logout); failures are reported as at exit.
    void SaveState();
    // The hint handler: the application's current hint goes to the status bar's simple text.
    void ShowHint(const QString& hint);

    // Commands (menu items, tool buttons and pop-up items share these handlers).
    void CmSelectAllClick() { view_->SelectAll(); }
    void CmSelectAllImageClick() { view_->SelectAllPictures(); }
    void CmSelectInvertClick() { view_->InvertSelection(); }
    void CmViewNormalClick(QAction* item);
    void CmGotoBackClick() { navigator_->GoBack(); }
    void CmGotoForeClick() { navigator_->GoForward(); }
    void CmDesktopClick() { navigator_->ShowDesktop(); }
    void CmUpPathClick() { navigator_->GoUp(); }
    void CmViewRefreshClick() { navigator_->LoadCurrentFolder(false); }
    void CmViewReloadIconClick() { navigator_->LoadCurrentFolder(true); }
    void CmSortNameClick() { navigator_->SortChanged(CmSortName, CmPopSortName); }
    void CmSortExtClick() { navigator_->SortChanged(CmSortExt, CmPopSortExt); }
    void CmSortSizeClick() { navigator_->SortChanged(CmSortSize, CmPopSortSize); }
    void CmSortDateClick() { navigator_->SortChanged(CmSortDate, CmPopSortDate); }
    void CmSortMinMaxClick() { navigator_->SortChanged(CmSortMinMax, CmPopSortMinMax); }
    void CmSortMaxMinClick() { navigator_->SortDescending(CmSortMaxMin, CmPopSortMaxMin); }
    void CmOptionClick();
    void CmExitClick() { close(); }
    void CmViewToolClick();
    void CmViewStatusClick();
    void CmHideAttacheClick();
    void CmAboutClick();

    // File commands.
    void CmNewFolderClick() { files_->NewFolder(); }
    void CmFileCopyToClick() { files_->CopyTo(); }
    void CmFileMoveToClick() { files_->MoveTo(); }
    void CmFileDeleteClick() { files_->Delete(); }
    void CmFileRenameClick() { view_->BeginRename(); }
    void CmFileSetToDesk1Click() { files_->SetWallpaper(true); }
    void CmFileSetToDesk2Click() { files_->SetWallpaper(false); }
    void CmFileTwainAcquireClick() { files_->TwainAcquire(); }
    void CmFilePrintClick() { files_->Print(); }
    void RenameEditKeyPress(int key) { view_->RenameEditKeyPress(key); }
    void RenameEditExit() { view_->RenameEditExit(); }
    std::optional<std::vector<std::string>> BuildSelectedPathList(std::uint32_t attribute) {
        return files_->BuildSelectedPathList(attribute);
    }

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // The command table made into the menus and the pop-up menu, or into the tool bar's
    // buttons (CommandBuilder.cpp).
    void BuildCommands(bool toolBar);
    // The layout around the commands (MainLayout.cpp).
    void BuildCoolBar();
    void BuildClientArea();
    void BuildStatusBar();
    // Hands the parts the controls they drive and connects their signals.
    void WireParts();

    void FormCreate();
    void FormShow();
    void FormDestroy();
    void Shutdown();
    void StatusBarDrawPanel(QPainter& painter, const QRect& rect);

    bool shown_ = false;
    bool shutDown_ = false;
};

}  // namespace pixelary
