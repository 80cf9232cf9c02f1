// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QMainWindow>
#include <QPixmap>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "mainwindow/MainFileOps.h"
#include "mainwindow/MainPrint.h"
#include "mainwindow/PictureCache.h"
#include "mainwindow/ViewGeometry.h"

class QAction;
class QActionGroup;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPainter;
class QScrollArea;
class QSplitter;
class QTimer;
class QToolBar;
class QToolButton;

namespace pixelary {

class HandOverPump;
class IndexCheckpoint;
class MCacheFileManager;
class ScanView;
class MExplorerItem;
class MFolderPath;
class MScanIcon;
class MWalkQueue;
class TCoolBar;
class TPaintBox;
class TScrollBox;
class TStatusBar;

// The program's only top-level window: tool bar, path combo, info panel, thumbnail view and
// status bar around the shown folder.
// One text line of the info panel.
struct InfoLine {
    int y = 0;
    QString text;
};

class TMainForm : public QMainWindow {
    Q_OBJECT
  public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Menus and their items (each action's objectName is its item name).
    QMenuBar* MainMenu1;
    QMenu* FileMenu;
    QMenu* EditMenu;
    QMenu* SearchMenu;
    QMenu* ViewMenu;
    QMenu* GotoMenu;
    QMenu* ToolMenu;
    QMenu* HelpMenu;
    QMenu* ItemPopupMenu;

    QAction* CmFileNew;
    QAction* CmNewFolder;
    QAction* CmNewLink;
    QAction* CmFileCopyTo;
    QAction* CmFileMoveTo;
    QAction* CmFileDelete;
    QAction* CmFileRename;
    QAction* CmFileProperties;
    QAction* CmFileSend;
    QAction* CmSendToEMail;
    QAction* CmSendToFTP;
    QAction* CmFileSetToDesk1;
    QAction* CmFileSetToDesk2;
    QAction* CmFileTwainAcquire;
    QAction* CmFilePrint;
    QAction* CmExit;

    QAction* CmCut;
    QAction* CmCopy;
    QAction* CmPaste;
    QAction* CmSelectAll;
    QAction* CmSelectAllImage;
    QAction* CmSelectInvert;
    QAction* CmLinkAttached;
    QAction* CmUnlinkAttached;
    QAction* CmAddMemo;
    QAction* CmAddSound;

    QAction* CmSearchText;
    QAction* CmSearchFile;
    QAction* CmSearchComputer;

    QAction* CmViewTool;
    QAction* CmViewStatus;
    QAction* CmHideAttache;
    QAction* CmViewNormal;
    QAction* CmViewBrowse;
    QAction* CmViewFull;
    QAction* CmViewSort;
    QAction* CmSortName;
    QAction* CmSortExt;
    QAction* CmSortSize;
    QAction* CmSortDate;
    QAction* CmSortMinMax;
    QAction* CmSortMaxMin;
    QAction* CmViewRefresh;
    QAction* CmViewReloadIcon;
    QAction* CmOption;

    QAction* CmGotoBack;
    QAction* CmGotoFore;
    QAction* CmGotoListStart;
    QAction* CmGotoListEnd;
    QAction* CmDesktop;
    QAction* CmUpPath;

    QAction* CmToolConvert;
    QAction* CmToolEMailBook;
    QAction* CmToolFTPBook;

    QAction* CmAbout;

    QAction* CmPopSort;
    QAction* CmPopSortName;
    QAction* CmPopSortExt;
    QAction* CmPopSortSize;
    QAction* CmPopSortDate;
    QAction* CmPopSortMinMax;
    QAction* CmPopSortMaxMin;
    QAction* CmPopCut;
    QAction* CmPopCopy;
    QAction* CmPopPaste;
    QAction* CmPopNew;
    QAction* CmPopNewFolder;
    QAction* CmPopNewLink;
    QAction* CmPopCopyTo;
    QAction* CmPopMoveTo;
    QAction* CmPopDelete;
    QAction* CmPopRename;
    QAction* CmPopPropert;

    // Visual components.
    TCoolBar* MainBar;
    QToolBar* MainTool;
    QToolButton* BackBtn;
    QToolButton* ForeBtn;
    QToolButton* DesktopBtn;
    QToolButton* UpPathBtn;
    QToolButton* PrintBtn;
    QWidget* ToolButton1;
    QToolButton* TwainBtn;
    QToolButton* CopyToBtn;
    QToolButton* MoveToBtn;
    QToolButton* DeleteBtn;
    QToolButton* AboutBtn;
    QLabel* PathBandLabel;
    QComboBox* PathCombo;
    QScrollArea* InfoScrollBox;
    TPaintBox* InfoPaint;
    QSplitter* InfoSplitter;
    TScrollBox* ItemScrollBox;
    TPaintBox* ItemPaint;
    QLineEdit* RenameEdit;
    TStatusBar* StatusBar;

    // View state.
    std::int32_t GridWidth = 0;
    std::int32_t GridHeight = 0;
    std::int32_t Columns = 1;
    std::int32_t Rows = 0;
    std::int32_t GridLeft = 0;
    std::int32_t ViewMode = kViewNormal;
    std::int32_t HotIndex = -1;
    std::int32_t FocusIndex = -1;
    bool SkipNextMouseDown = false;
    std::int32_t Progress = -1;
    QString RenameOriginal;
    std::int32_t RenameIndex = -1;

    // Owned model objects.
    std::unique_ptr<MWalkQueue> History;
    std::unique_ptr<MExplorerItem> Folder;
    std::unique_ptr<MCacheFileManager> Cache;
    std::unique_ptr<MScanIcon> Scanner;

    // Thumbnail view.
    void ArrangeItems();
    void PaintItems(QPainter& painter, const QRect& clip, int first, int count);
    // The info panel draws itself in its paint event; this asks for that.
    void PaintInfoPanel();
    // The text lines of the info panel: their top y and text.
    QList<InfoLine> InfoPanelLines() const;
    QString FitText(const QString& text, int width) const;
    void TileBitmap(QPainter& painter, const QPixmap& bitmap, const QRect& rect) const;
    HitInfo HitTest(int x, int y) const;
    void OpenItem(int index);
    int EntryCount() const;
    MExplorerItem* Entry(int index) const;

    // The grid as last laid out by ArrangeItems.
    GridLayout CurrentGrid() const;

    // A key pressed in the grid (MainKeys.cpp); false for a key the grid leaves alone.
    bool ItemScrollBoxKeyDown(const QKeyEvent& event);

    // Scanner calls, on the main thread.
    void InvalidateItem(int index);
    void SetProgress(int value);

    // Navigation.
    void GotoLocation(std::unique_ptr<MFolderPath> location);
    void LoadCurrentFolder(bool reload);
    void FillPathCombo();
    // Shows the folder a path text names, as Enter in the path combo does with its text.
    void GotoPathText(const QString& path);
    // Shows the folder an absolute path names, with one level per folder from the desktop down,
    // as if it had been opened step by step (the command line's folder).
    void GotoFolderPath(const QString& path);
    // Hands a file to the desktop to open with its default application; replaceable by tests.
    std::function<void(const QString&)> ExecuteFile;
    // Writes the cache index and the settings now, while the window stays open (the session
    // manager asks this before logout); failures are reported as at exit.
    void SaveState();

    // Waits (serving the scanner's calls) until the running scan has ended; false on timeout.
    bool WaitForScanner(int timeoutMs);

    // The hint handler: the application's current hint goes to the status bar's simple text.
    void ShowHint(const QString& hint);

    // Commands (menu items, tool buttons and pop-up items share these handlers).
    void CmSelectAllClick();
    void CmSelectAllImageClick();
    void CmSelectInvertClick();
    void CmViewNormalClick(QAction* item);
    void CmGotoChange(QAction* item);
    void CmGotoBackClick();
    void CmGotoForeClick();
    void CmDesktopClick();
    void CmUpPathClick();
    void CmViewRefreshClick();
    void CmViewReloadIconClick();
    void CmSortNameClick();
    void CmSortExtClick();
    void CmSortSizeClick();
    void CmSortDateClick();
    void CmSortMinMaxClick();
    void CmSortMaxMinClick();
    void CmOptionClick();
    void CmExitClick();
    void CmViewToolClick();
    void CmViewStatusClick();
    void CmHideAttacheClick();
    void CmAboutClick();

    // File operations (MainFileOps.cpp), print and scan.
    void CmNewFolderClick();
    void CmFileCopyToClick();
    void CmFileMoveToClick();
    void CmFileDeleteClick();
    void CmFileRenameClick();
    void CmFileSetToDesk1Click();
    void CmFileSetToDesk2Click();
    void CmFileTwainAcquireClick();
    void CmFilePrintClick();

    // What the file-operation commands ask of the user and the desktop (replaced by tests).
    FileOpsHooks FileOps;
    // What the print command asks of the system (replaced by tests).
    PrintCommandHooks PrintCommand = PrintCommandHooks::Default();
    // Full paths of the selected entries in view order; none (after a beep) when nothing is
    // selected or a selected entry lacks the attribute.
    std::optional<std::vector<std::string>> BuildSelectedPathList(std::uint32_t attribute);
    void SetWallpaper(bool tiled);
    // Tells the user, without stopping them, that the desktop did not take the wallpaper and
    // where its file was written.
    void ShowWallpaperNotice(const QString& file);
    void RenameEditKeyPress(int key);
    void RenameEditExit();

    // Go-menu entries of the history, newest first.
    QList<QAction*> HistoryItems() const;
    QActionGroup* HistoryGroup;

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void InstallFileOps();
    void TransferSelection(fileops::TransferKind kind);
    void ScrollCellIntoView(const QRect& cell);
    // Puts the rename edit on the name of entry RenameIndex in the current grid.
    void PlaceRenameEdit();
    // True for a plain file-system folder other than the desktop itself; path gets its path.
    bool FolderTakesFiles(std::string& path) const;
    void BuildMenus();
    void BuildFileMenu();
    void BuildEditMenu();
    void BuildSearchMenu();
    void BuildViewMenu();
    void BuildGotoMenu();
    void BuildToolMenu();
    void BuildHelpMenu();
    void BuildPopupMenu();
    void BuildCoolBar();
    void BuildToolBar();
    void BuildClientArea();
    void BuildStatusBar();
    QToolButton* AddToolButton(const char* name, int image, const QString& caption,
                               const QString& hint, void (TMainForm::*handler)());

    QAction* AddItem(QMenu* menu, const char* name, const QString& caption);
    QAction* AddCommand(QMenu* menu, const char* name, const QString& caption,
                        void (TMainForm::*handler)());
    QAction* AddInert(QMenu* menu, const char* name, const QString& caption, bool hidden);
    QAction* AddSeparator(QMenu* menu, const char* name, bool hidden = false);
    QMenu* AddSubmenu(QMenu* menu, const char* name, const QString& caption, QAction** item);
    QMenu* AddMenu(const char* name, const QString& caption);

    void LoadImages();
    void BuildPathCombo();
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void Shutdown();
    void CreateScannerLink();
    void StartScanner(bool reload);
    void StopScanner();
    // Main thread: tells a running scanner which entries the view shows now.
    void TellScannerWhatIsVisible();
    // Writes the cache index when a scan ends (scanDone) or when the running scan's interval is
    // due; a cache folder that cannot be written is reported once.
    void CheckpointIndex(bool scanDone);
    void ShowCacheNotice(const QString& reason);

    // Event handlers of the controls.
    void ItemScrollBoxResize();
    void ItemPaintPaint(QPaintEvent* event);
    void ItemPaintMouseDown(QMouseEvent* event);
    void ItemPaintMouseMove(QMouseEvent* event);
    void ItemPaintDblClick();
    void InfoPaintPaint();
    void StatusBarDrawPanel(QPainter& painter, const QRect& rect);
    void PathComboDrawItem(QPainter& painter, int index, const QRect& rect, bool selected);
    void PathComboChange(int index);
    void PathComboKeyPress(int key);

    void SetSelected(int index, bool selected);

    // The keyboard in the grid (MainKeys.cpp).
    void InstallGridKeys();
    // The entry a movement key goes to from the focused one; -1 without entries.
    int FocusTarget(int key) const;
    void MoveFocus(int target, Qt::KeyboardModifiers modifiers);
    void SetFocusIndex(int index);
    void ToggleFocused();
    void OpenFocused();
    // Triggers a command, then gives the keys back to the grid when a folder load took them.
    void RunFromGrid(QAction* command);
    void PaintFocusRect(QPainter& painter);
    // Where Shift with a movement key selects from: the entry last focused without Shift.
    int selectionAnchor_ = -1;
    std::unique_ptr<QObject> gridKeyFilter_;
    QSize NameSize(int index) const;
    QImage EntryPicture(MExplorerItem* entry) const;
    int OpenFileMouse() const;
    void SortChanged(QAction* viewItem, QAction* popupItem);

    // Folder and file-system bits of the shown entries, asked of the shell once per entry: the
    // status counts are made on every paint, also for a single invalidated cell.
    std::uint32_t EntryKind(const MExplorerItem* entry);
    std::unordered_map<const MExplorerItem*, std::uint32_t> entryKinds_;
    int entryKindsCount_ = -1;
    int entryFolders_ = 0;  // the kinds' totals, counted with them
    int entryFiles_ = 0;
    // The entries' decoded pictures, kept between paints.
    mutable PictureCache pictures_;

    std::unique_ptr<ScanView> scanView_;
    std::unique_ptr<HandOverPump> pump_;
    std::unique_ptr<IndexCheckpoint> checkpoint_;
    QTimer* checkpointTimer_ = nullptr;
    bool cacheNoticeShown_ = false;
    bool shown_ = false;
    bool shutDown_ = false;
    std::vector<QPixmap> PathImageList;

    std::vector<QPixmap> CoolBarImageList;
    QPixmap tile100_;
    QPixmap tile101_;
};

}  // namespace pixelary
