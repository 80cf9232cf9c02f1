// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's frame: layout, command table, view toggles and the about command.
#include "mainwindow/Main.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "cache/IndexCheckpoint.h"
#include "cache/MCacheFile.h"
#include "mainwindow/About.h"
#include "mainwindow/Controls.h"
#include "mainwindow/Logging.h"
#include "mainwindow/MainFont.h"
#include "mainwindow/OptionDlg.h"
#include "mainwindow/RadioGroup.h"
#include "mainwindow/Strings.h"
#include "model/MExplorerItem.h"
#include "model/MWalkQueue.h"
#include "platform/DataFolders.h"
#include "scanner/HandOverPump.h"
#include "scanner/MScanIcon.h"
#include "settings/Settings.h"

// The images are compiled into this static library; its resources must be registered by hand.
static void InitResources() {
    Q_INIT_RESOURCE(mainwindow);
}

namespace pixelary {
namespace {

constexpr QSize kDesignClientSize{608, 409};
constexpr QSize kToolButtonSize{67, 39};
constexpr QSize kToolImageSize{20, 20};
constexpr int kToolBarMinHeight = 39;
constexpr QSize kAboutButtonSize{40, 40};
constexpr int kAboutGlyphSide = 32;
constexpr int kToolSeparatorWidth = 4;
constexpr int kPathItemHeight = 16;
constexpr int kInfoWidth = 170;
constexpr int kInfoPanelHeight = 248;
constexpr int kSplitterWidth = 2;
constexpr int kTileSide = 50;
constexpr int kImageListSize = 12;
constexpr int kHistoryCapacity = 20;

// Images of the tool bar's image list, by index; the gaps are never shown.
constexpr const char* kCoolBarImages[kImageListSize] = {"back",  "fore",   "desktop", "uppath",
                                                        "print", nullptr,  nullptr,   nullptr,
                                                        "twain", "copyto", "moveto",  "delete"};

QPixmap LoadTile(const char* name, QColor fallback) {
    QPixmap tile(QString::fromStdString(platform::ShippedDataFolder("tiles")) + QLatin1Char('/') +
                 QString::fromLatin1(name));
    if (!tile.isNull()) return tile;
    // Without the shipped tiles a plain tile of the same tone serves.
    qCWarning(lcMainWindow) << "background tile" << name << "not found in"
                            << QString::fromStdString(platform::ShippedDataFolder("tiles"));
    QPixmap plain(kTileSide, kTileSide);
    plain.fill(fallback);
    return plain;
}

}  // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    InitResources();
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QGuiApplication::applicationDisplayName());
    setWindowIcon(QIcon(QStringLiteral(":/icons/pixelary.png")));
    setFont(MainWindowFont());
    QPalette black = palette();
    black.setColor(QPalette::WindowText, Qt::black);
    setPalette(black);

    LoadImages();
    BuildMenus();
    BuildPopupMenu();
    BuildCoolBar();
    BuildClientArea();
    BuildStatusBar();
    resize(kDesignClientSize.width(), kDesignClientSize.height() + MainMenu1->sizeHint().height());

    ExecuteFile = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    InstallFileOps();
    InstallGridKeys();
    RenameOriginal.clear();
    Progress = -1;
    History = std::make_unique<MWalkQueue>(kHistoryCapacity);
    Cache = std::make_unique<MCacheFileManager>();
    CreateScannerLink();
    FormCreate();
}

TMainForm::~TMainForm() {
    Shutdown();
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
    checkpoint_ = std::make_unique<IndexCheckpoint>(*Cache);
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
    StopScanner();
    FormDestroy();
    Folder.reset();
    checkpoint_.reset();
    Cache.reset();
    History.reset();
    RenameOriginal.clear();
}

void TMainForm::FormDestroy() {
    try {
        Cache->Save();
    } catch (const std::exception& error) {
        // A cache folder already reported as unwritable is not reported again at exit.
        if (!cacheNoticeShown_) ShowException(this, error);
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

void TMainForm::LoadImages() {
    CoolBarImageList.resize(kImageListSize);
    for (int i = 0; i < kImageListSize; ++i) {
        if (!kCoolBarImages[i]) continue;
        CoolBarImageList[i] = QPixmap(QStringLiteral(":/icons/%1.png").arg(kCoolBarImages[i]));
    }
    tile100_ = LoadTile("tile100.png", QColor(255, 226, 184));
    tile101_ = LoadTile("tile101.png", QColor(184, 220, 168));
}

// ---- command table ----------------------------------------------------------------------

QAction* TMainForm::AddItem(QMenu* menu, const char* name, const QString& caption) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    menu->addAction(action);
    return action;
}

QAction* TMainForm::AddCommand(QMenu* menu, const char* name, const QString& caption,
                               void (TMainForm::*handler)()) {
    QAction* action = AddItem(menu, name, caption);
    connect(action, &QAction::triggered, this, handler);
    return action;
}

QAction* TMainForm::AddInert(QMenu* menu, const char* name, const QString& caption, bool hidden) {
    QAction* action = AddItem(menu, name, caption);
    action->setEnabled(false);
    action->setVisible(!hidden);
    return action;
}

QAction* TMainForm::AddSeparator(QMenu* menu, const char* name, bool hidden) {
    QAction* separator = menu->addSeparator();
    separator->setObjectName(QString::fromLatin1(name));
    separator->setVisible(!hidden);
    return separator;
}

QMenu* TMainForm::AddSubmenu(QMenu* menu, const char* name, const QString& caption,
                             QAction** item) {
    auto* submenu = new QMenu(caption, menu);
    submenu->setObjectName(QString::fromLatin1(name));
    *item = menu->addMenu(submenu);
    (*item)->setObjectName(QString::fromLatin1(name));
    return submenu;
}

QMenu* TMainForm::AddMenu(const char* name, const QString& caption) {
    auto* menu = new QMenu(caption, MainMenu1);
    menu->setObjectName(QString::fromLatin1(name));
    MainMenu1->addMenu(menu)->setObjectName(QString::fromLatin1(name));
    return menu;
}

void TMainForm::BuildMenus() {
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    setMenuBar(MainMenu1);
    BuildFileMenu();
    BuildEditMenu();
    BuildSearchMenu();
    BuildViewMenu();
    BuildGotoMenu();
    BuildToolMenu();
    BuildHelpMenu();
}

void TMainForm::BuildFileMenu() {
    FileMenu = AddMenu("FileMenu", QCoreApplication::translate("Command", "檔案(&F)"));
    QMenu* fileNew = AddSubmenu(FileMenu, "CmFileNew",
                                QCoreApplication::translate("Command", "新增(&N)"), &CmFileNew);
    CmNewFolder =
        AddCommand(fileNew, "CmNewFolder", QCoreApplication::translate("Command", "檔案夾(&F)"),
                   &TMainForm::CmNewFolderClick);
    CmNewLink =
        AddInert(fileNew, "CmNewLink", QCoreApplication::translate("Command", "捷徑(&L)"), true);
    CmFileCopyTo =
        AddCommand(FileMenu, "CmFileCopyTo", QCoreApplication::translate("Command", "複製到..."),
                   &TMainForm::CmFileCopyToClick);
    CmFileMoveTo =
        AddCommand(FileMenu, "CmFileMoveTo", QCoreApplication::translate("Command", "搬移到..."),
                   &TMainForm::CmFileMoveToClick);
    CmFileDelete =
        AddCommand(FileMenu, "CmFileDelete", QCoreApplication::translate("Command", "刪除(&D)"),
                   &TMainForm::CmFileDeleteClick);
    CmFileRename = AddCommand(FileMenu, "CmFileRename",
                              QCoreApplication::translate("Command", "重新命名(&R)..."),
                              &TMainForm::CmFileRenameClick);
    CmFileProperties = AddInert(FileMenu, "CmFileProperties",
                                QCoreApplication::translate("Command", "內容(&P)..."), true);
    AddSeparator(FileMenu, "N10");
    QMenu* send = AddSubmenu(FileMenu, "CmFileSend",
                             QCoreApplication::translate("Command", "傳送檔案至(&S)"), &CmFileSend);
    CmFileSend->setVisible(false);
    CmSendToEMail = AddInert(send, "CmSendToEMail",
                             QCoreApplication::translate("Command", "電子郵件(&E)..."), false);
    CmSendToFTP = AddInert(send, "CmSendToFTP",
                           QCoreApplication::translate("Command", "FTP 站(&F)..."), false);
    CmFileSetToDesk1 =
        AddCommand(FileMenu, "CmFileSetToDesk1",
                   QCoreApplication::translate("Command", "設定為底色圖案(併排)(&W)"),
                   &TMainForm::CmFileSetToDesk1Click);
    CmFileSetToDesk2 =
        AddCommand(FileMenu, "CmFileSetToDesk2",
                   QCoreApplication::translate("Command", "設定為底色圖案(置於中央)(&L)"),
                   &TMainForm::CmFileSetToDesk2Click);
    AddSeparator(FileMenu, "N4");
    CmFileTwainAcquire = AddCommand(FileMenu, "CmFileTwainAcquire",
                                    QCoreApplication::translate("Command", "輸入TWAIN 影像(&A)..."),
                                    &TMainForm::CmFileTwainAcquireClick);
    CmFilePrint =
        AddCommand(FileMenu, "CmFilePrint", QCoreApplication::translate("Command", "列印(&P)..."),
                   &TMainForm::CmFilePrintClick);
    AddSeparator(FileMenu, "N1");
    CmExit = AddCommand(FileMenu, "CmExit", QCoreApplication::translate("Command", "離開(&X)"),
                        &TMainForm::CmExitClick);
    CmExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    CmExit->setStatusTip(QCoreApplication::translate("Command", "Exit application"));
}

void TMainForm::BuildEditMenu() {
    EditMenu = AddMenu("EditMenu", QCoreApplication::translate("Command", "編輯(&E)"));
    CmCut = AddInert(EditMenu, "CmCut", QCoreApplication::translate("Command", "剪下(&T)"), true);
    CmCut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    CmCopy = AddInert(EditMenu, "CmCopy", QCoreApplication::translate("Command", "複製(&C)"), true);
    CmCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    CmPaste =
        AddInert(EditMenu, "CmPaste", QCoreApplication::translate("Command", "貼上(&P)"), true);
    CmPaste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    AddSeparator(EditMenu, "N6", true);
    CmSelectAll =
        AddCommand(EditMenu, "CmSelectAll", QCoreApplication::translate("Command", "全選(&A)"),
                   &TMainForm::CmSelectAllClick);
    CmSelectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    CmSelectAllImage = AddCommand(EditMenu, "CmSelectAllImage",
                                  QCoreApplication::translate("Command", "選擇所有圖檔(&I)"),
                                  &TMainForm::CmSelectAllImageClick);
    CmSelectInvert = AddCommand(EditMenu, "CmSelectInvert",
                                QCoreApplication::translate("Command", "反相選擇(&I)"),
                                &TMainForm::CmSelectInvertClick);
    AddSeparator(EditMenu, "N5", true);
    CmLinkAttached = AddInert(EditMenu, "CmLinkAttached",
                              QCoreApplication::translate("Command", "連結附屬資料檔(&L)"), true);
    CmUnlinkAttached = AddInert(EditMenu, "CmUnlinkAttached",
                                QCoreApplication::translate("Command", "解除附屬資料檔(&U)"), true);
    CmAddMemo = AddInert(EditMenu, "CmAddMemo",
                         QCoreApplication::translate("Command", "加入/修改註解文字(&M)"), true);
    CmAddSound = AddInert(EditMenu, "CmAddSound",
                          QCoreApplication::translate("Command", "加入聲音(&S)"), true);
}

void TMainForm::BuildSearchMenu() {
    SearchMenu = AddMenu("SearchMenu", QCoreApplication::translate("Command", "搜尋(&S)"));
    SearchMenu->menuAction()->setVisible(false);
    CmSearchText = AddInert(SearchMenu, "CmSearchText",
                            QCoreApplication::translate("Command", "搜尋文字或數值(&T)..."), false);
    CmSearchFile =
        AddInert(SearchMenu, "CmSearchFile",
                 QCoreApplication::translate("Command", "搜尋檔案或資料夾(&F)..."), false);
    CmSearchComputer = AddInert(SearchMenu, "CmSearchComputer",
                                QCoreApplication::translate("Command", "搜尋電腦(&C)..."), false);
}

void TMainForm::BuildViewMenu() {
    ViewMenu = AddMenu("ViewMenu", QCoreApplication::translate("Command", "檢視(&V)"));
    CmViewTool =
        AddCommand(ViewMenu, "CmViewTool", QCoreApplication::translate("Command", "工具列(&T)"),
                   &TMainForm::CmViewToolClick);
    CmViewTool->setCheckable(true);
    CmViewTool->setChecked(true);
    CmViewStatus =
        AddCommand(ViewMenu, "CmViewStatus", QCoreApplication::translate("Command", "狀態列(&S)"),
                   &TMainForm::CmViewStatusClick);
    CmViewStatus->setCheckable(true);
    CmViewStatus->setChecked(true);
    CmHideAttache = AddCommand(ViewMenu, "CmHideAttache",
                               QCoreApplication::translate("Command", "隱藏附屬檔(&H)"),
                               &TMainForm::CmHideAttacheClick);
    CmHideAttache->setCheckable(true);
    CmHideAttache->setEnabled(false);
    CmHideAttache->setVisible(false);
    AddSeparator(ViewMenu, "N8");

    auto* modes = new QActionGroup(this);
    const auto addMode = [&](const char* name, const QString& caption) {
        QAction* action = AddItem(ViewMenu, name, caption);
        action->setCheckable(true);
        action->setActionGroup(modes);
        connect(action, &QAction::triggered, this, [this, action] { CmViewNormalClick(action); });
        return action;
    };
    CmViewNormal = addMode("CmViewNormal", QCoreApplication::translate("Command", "正常模式(&N)"));
    CmViewNormal->setChecked(true);
    CmViewBrowse = addMode("CmViewBrowse", QCoreApplication::translate("Command", "瀏覽模式(&B)"));
    CmViewFull = addMode("CmViewFull", QCoreApplication::translate("Command", "詳細資料(&F)"));
    CmViewFull->setEnabled(false);
    CmViewFull->setVisible(false);
    AddSeparator(ViewMenu, "N9");

    QMenu* sort = AddSubmenu(ViewMenu, "CmViewSort",
                             QCoreApplication::translate("Command", "排序方式(&A)"), &CmViewSort);
    auto* keys = new QActionGroup(this);
    auto* order = new QActionGroup(this);
    const auto addSort = [&](QActionGroup* group, const char* name, const QString& caption,
                             void (TMainForm::*handler)()) {
        QAction* action = AddCommand(sort, name, caption, handler);
        action->setCheckable(true);
        action->setActionGroup(group);
        return action;
    };
    CmSortName = addSort(keys, "CmSortName", QCoreApplication::translate("Command", "檔名(&N)"),
                         &TMainForm::CmSortNameClick);
    CmSortName->setChecked(true);
    CmSortExt = addSort(keys, "CmSortExt", QCoreApplication::translate("Command", "類型(&T)"),
                        &TMainForm::CmSortExtClick);
    CmSortSize = addSort(keys, "CmSortSize", QCoreApplication::translate("Command", "大小(&S)"),
                         &TMainForm::CmSortSizeClick);
    CmSortDate = addSort(keys, "CmSortDate", QCoreApplication::translate("Command", "日期(&D)"),
                         &TMainForm::CmSortDateClick);
    AddSeparator(sort, "N2");
    CmSortMinMax =
        addSort(order, "CmSortMinMax", QCoreApplication::translate("Command", "由小到大"),
                &TMainForm::CmSortMinMaxClick);
    CmSortMinMax->setChecked(true);
    CmSortMaxMin =
        addSort(order, "CmSortMaxMin", QCoreApplication::translate("Command", "由大到小"),
                &TMainForm::CmSortMaxMinClick);
    AddSeparator(ViewMenu, "N3");
    CmViewRefresh = AddCommand(ViewMenu, "CmViewRefresh",
                               QCoreApplication::translate("Command", "重新整理(&R)"),
                               &TMainForm::CmViewRefreshClick);
    CmViewReloadIcon = AddCommand(ViewMenu, "CmViewReloadIcon",
                                  QCoreApplication::translate("Command", "重新載圖(&L)"),
                                  &TMainForm::CmViewReloadIconClick);
    CmOption =
        AddCommand(ViewMenu, "CmOption", QCoreApplication::translate("Command", "選項(&O)..."),
                   &TMainForm::CmOptionClick);
}

void TMainForm::BuildGotoMenu() {
    GotoMenu = AddMenu("GotoMenu", QCoreApplication::translate("Command", "移至(&G)"));
    CmGotoBack =
        AddCommand(GotoMenu, "CmGotoBack", QCoreApplication::translate("Command", "上一步(&B)"),
                   &TMainForm::CmGotoBackClick);
    CmGotoFore =
        AddCommand(GotoMenu, "CmGotoFore", QCoreApplication::translate("Command", "下一步(&F)"),
                   &TMainForm::CmGotoForeClick);
    CmGotoListStart = AddSeparator(GotoMenu, "CmGotoListStart");
    CmGotoListEnd = AddSeparator(GotoMenu, "CmGotoListEnd");
    CmDesktop =
        AddCommand(GotoMenu, "CmDesktop", QCoreApplication::translate("Command", "回到桌面(&D)"),
                   &TMainForm::CmDesktopClick);
    CmUpPath = AddCommand(GotoMenu, "CmUpPath", QCoreApplication::translate("Command", "上移(&U)"),
                          &TMainForm::CmUpPathClick);
    HistoryGroup = new QActionGroup(this);
}

void TMainForm::BuildToolMenu() {
    ToolMenu = AddMenu("ToolMenu", QCoreApplication::translate("Command", "工具(&T)"));
    ToolMenu->menuAction()->setVisible(false);
    CmToolConvert =
        AddInert(ToolMenu, "CmToolConvert",
                 QCoreApplication::translate("Command", "轉換影像檔格式(&C)..."), false);
    CmToolEMailBook =
        AddInert(ToolMenu, "CmToolEMailBook",
                 QCoreApplication::translate("Command", "電子郵件通訊錄(&E)..."), false);
    CmToolFTPBook = AddInert(ToolMenu, "CmToolFTPBook",
                             QCoreApplication::translate("Command", "FTP 通訊錄(&F)..."), false);
}

void TMainForm::BuildHelpMenu() {
    HelpMenu = AddMenu("HelpMenu", QCoreApplication::translate("Command", "說明(&H)"));
    CmAbout = AddCommand(HelpMenu, "CmAbout", QCoreApplication::translate("Command", "關於(&A)..."),
                         &TMainForm::CmAboutClick);
}

void TMainForm::BuildPopupMenu() {
    ItemPopupMenu = new QMenu(this);
    ItemPopupMenu->setObjectName(QStringLiteral("ItemPopupMenu"));
    QMenu* sort = AddSubmenu(ItemPopupMenu, "CmPopSort",
                             QCoreApplication::translate("Command", "排序方式(&A)"), &CmPopSort);
    auto* keys = new QActionGroup(this);
    auto* order = new QActionGroup(this);
    const auto addSort = [&](QActionGroup* group, const char* name, const QString& caption,
                             void (TMainForm::*handler)()) {
        QAction* action = AddCommand(sort, name, caption, handler);
        action->setCheckable(true);
        action->setActionGroup(group);
        return action;
    };
    CmPopSortName =
        addSort(keys, "CmPopSortName", QCoreApplication::translate("Command", "檔名(&N)"),
                &TMainForm::CmSortNameClick);
    CmPopSortName->setChecked(true);
    CmPopSortExt = addSort(keys, "CmPopSortExt", QCoreApplication::translate("Command", "類型(&T)"),
                           &TMainForm::CmSortExtClick);
    CmPopSortSize =
        addSort(keys, "CmPopSortSize", QCoreApplication::translate("Command", "大小(&S)"),
                &TMainForm::CmSortSizeClick);
    CmPopSortDate =
        addSort(keys, "CmPopSortDate", QCoreApplication::translate("Command", "日期(&D)"),
                &TMainForm::CmSortDateClick);
    AddSeparator(sort, "N17");
    CmPopSortMinMax =
        addSort(order, "CmPopSortMinMax", QCoreApplication::translate("Command", "由小到大"),
                &TMainForm::CmSortMinMaxClick);
    CmPopSortMinMax->setChecked(true);
    CmPopSortMaxMin =
        addSort(order, "CmPopSortMaxMin", QCoreApplication::translate("Command", "由大到小"),
                &TMainForm::CmSortMaxMinClick);

    AddSeparator(ItemPopupMenu, "N7", true);
    CmPopCut = AddInert(ItemPopupMenu, "CmPopCut",
                        QCoreApplication::translate("Command", "剪下(&T)"), true);
    CmPopCopy = AddInert(ItemPopupMenu, "CmPopCopy",
                         QCoreApplication::translate("Command", "複製(&C)"), true);
    CmPopPaste = AddInert(ItemPopupMenu, "CmPopPaste",
                          QCoreApplication::translate("Command", "貼上(&P)"), true);
    AddSeparator(ItemPopupMenu, "N14", true);
    QMenu* popNew = AddSubmenu(ItemPopupMenu, "CmPopNew",
                               QCoreApplication::translate("Command", "新增(&N)"), &CmPopNew);
    CmPopNewFolder =
        AddCommand(popNew, "CmPopNewFolder", QCoreApplication::translate("Command", "檔案夾(&F)"),
                   &TMainForm::CmNewFolderClick);
    CmPopNewLink =
        AddInert(popNew, "CmPopNewLink", QCoreApplication::translate("Command", "捷徑(&L)"), true);
    CmPopCopyTo = AddCommand(ItemPopupMenu, "CmPopCopyTo",
                             QCoreApplication::translate("Command", "複製到..."),
                             &TMainForm::CmFileCopyToClick);
    CmPopMoveTo = AddCommand(ItemPopupMenu, "CmPopMoveTo",
                             QCoreApplication::translate("Command", "搬移到..."),
                             &TMainForm::CmFileMoveToClick);
    CmPopDelete =
        AddCommand(ItemPopupMenu, "CmPopDelete", QCoreApplication::translate("Command", "刪除(&D)"),
                   &TMainForm::CmFileDeleteClick);
    CmPopRename = AddCommand(ItemPopupMenu, "CmPopRename",
                             QCoreApplication::translate("Command", "重新命名(&R)..."),
                             &TMainForm::CmFileRenameClick);
    AddSeparator(ItemPopupMenu, "N13", true);
    CmPopPropert = AddInert(ItemPopupMenu, "CmPopPropert",
                            QCoreApplication::translate("Command", "內容(&P)..."), true);
}

// ---- layout -----------------------------------------------------------------------------

QToolButton* TMainForm::AddToolButton(const char* name, int image, const QString& caption,
                                      const QString& hint, void (TMainForm::*handler)()) {
    auto* button = new QToolButton(MainTool);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setIcon(QIcon(CoolBarImageList.at(image)));
    button->setIconSize(kToolImageSize);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFixedSize(kToolButtonSize);
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setStatusTip(hint);
    connect(button, &QToolButton::clicked, this, handler);
    MainTool->addWidget(button);
    return button;
}

void TMainForm::BuildToolBar() {
    MainTool = new QToolBar(MainBar);
    MainTool->setObjectName(QStringLiteral("MainTool"));
    MainTool->setMovable(false);
    MainTool->setFloatable(false);
    MainTool->setMinimumHeight(kToolBarMinHeight);
    MainTool->setStyleSheet(QStringLiteral("QToolBar { background: transparent; border: none; }"));
    BackBtn = AddToolButton("BackBtn", 0, QCoreApplication::translate("Command", "上一步"),
                            QCoreApplication::translate("Command", "回到上一個畫面"),
                            &TMainForm::CmGotoBackClick);
    ForeBtn = AddToolButton("ForeBtn", 1, QCoreApplication::translate("Command", "下一步"),
                            QCoreApplication::translate("Command", "跳到下一個畫面"),
                            &TMainForm::CmGotoForeClick);
    DesktopBtn = AddToolButton("DesktopBtn", 2, QCoreApplication::translate("Command", "桌面"),
                               QCoreApplication::translate("Command", "回到桌面"),
                               &TMainForm::CmDesktopClick);
    UpPathBtn = AddToolButton("UpPathBtn", 3, QCoreApplication::translate("Command", "上一層"),
                              QCoreApplication::translate("Command", "回到上一層目錄"),
                              &TMainForm::CmUpPathClick);
    PrintBtn = AddToolButton("PrintBtn", 4, QCoreApplication::translate("Command", "列印"),
                             QCoreApplication::translate("Command", "列印選擇的圖檔"),
                             &TMainForm::CmFilePrintClick);
    ToolButton1 = new QWidget(MainTool);
    ToolButton1->setObjectName(QStringLiteral("ToolButton1"));
    ToolButton1->setFixedWidth(kToolSeparatorWidth);
    MainTool->addWidget(ToolButton1);
    TwainBtn = AddToolButton("TwainBtn", 8, QCoreApplication::translate("Command", "掃描影像"),
                             QCoreApplication::translate("Command", "從TWAIN設備輸入影像"),
                             &TMainForm::CmFileTwainAcquireClick);
    CopyToBtn = AddToolButton("CopyToBtn", 9, QCoreApplication::translate("Command", "複製"),
                              QCoreApplication::translate("Command", "複製選擇的檔案到指定的目錄"),
                              &TMainForm::CmFileCopyToClick);
    MoveToBtn = AddToolButton("MoveToBtn", 10, QCoreApplication::translate("Command", "搬移"),
                              QCoreApplication::translate("Command", "搬移選擇的檔案到指定的目錄"),
                              &TMainForm::CmFileMoveToClick);
    DeleteBtn = AddToolButton("DeleteBtn", 11, QCoreApplication::translate("Command", "刪除"),
                              QCoreApplication::translate("Command", "刪除選擇的檔案"),
                              &TMainForm::CmFileDeleteClick);
}

void TMainForm::BuildCoolBar() {
    MainBar = new TCoolBar(QPixmap(QStringLiteral(":/icons/coolbar.png")));
    MainBar->setObjectName(QStringLiteral("MainBar"));
    BuildToolBar();

    AboutBtn = new QToolButton(MainBar);
    AboutBtn->setObjectName(QStringLiteral("AboutBtn"));
    AboutBtn->setFixedSize(kAboutButtonSize);
    AboutBtn->setIcon(QIcon(QStringLiteral(":/icons/about.png")));
    AboutBtn->setIconSize(QSize(kAboutGlyphSide, kAboutGlyphSide));
    AboutBtn->setAutoRaise(true);
    connect(AboutBtn, &QToolButton::clicked, this, &TMainForm::CmAboutClick);

    PathBandLabel = new QLabel(QCoreApplication::translate("MainWindow", "路徑:"), MainBar);
    PathBandLabel->setObjectName(QStringLiteral("PathBandLabel"));
    PathCombo = new QComboBox(MainBar);
    PathCombo->setObjectName(QStringLiteral("PathCombo"));
    PathCombo->setEditable(false);
    PathCombo->setIconSize(QSize(kPathItemHeight, kPathItemHeight));
    BuildPathCombo();

    auto* firstRow = new QHBoxLayout;
    firstRow->setContentsMargins(0, 0, 0, 0);
    firstRow->addWidget(MainTool);
    firstRow->addStretch(1);
    firstRow->addWidget(AboutBtn);
    auto* secondRow = new QHBoxLayout;
    secondRow->setContentsMargins(2, 0, 2, 2);
    secondRow->addWidget(PathBandLabel);
    secondRow->addWidget(PathCombo, 1);
    auto* bands = new QVBoxLayout(MainBar);
    bands->setContentsMargins(0, 0, 0, 0);
    bands->setSpacing(0);
    bands->addLayout(firstRow);
    bands->addLayout(secondRow);
}

void TMainForm::BuildClientArea() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));

    InfoScrollBox = new QScrollArea;
    InfoScrollBox->setObjectName(QStringLiteral("InfoScrollBox"));
    InfoScrollBox->setMinimumWidth(kInfoWidth);
    InfoScrollBox->setFrameShape(QFrame::NoFrame);
    InfoScrollBox->setWidgetResizable(true);
    InfoPaint = new TPaintBox;
    InfoPaint->setObjectName(QStringLiteral("InfoPaint"));
    InfoPaint->setMouseTracking(false);
    // Tall enough for its last text line, so a short window scrolls the panel.
    InfoPaint->setMinimumHeight(kInfoPanelHeight);
    InfoPaint->OnPaint = [this](QPaintEvent*) { InfoPaintPaint(); };
    InfoScrollBox->setWidget(InfoPaint);

    ItemScrollBox = new TScrollBox;
    ItemScrollBox->setObjectName(QStringLiteral("ItemScrollBox"));
    ItemScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ItemScrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ItemScrollBox->setFocusPolicy(Qt::StrongFocus);
    ItemScrollBox->OnResize = [this] { ItemScrollBoxResize(); };
    ItemPaint = new TPaintBox;
    ItemPaint->setObjectName(QStringLiteral("ItemPaint"));
    ItemPaint->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ItemPaint, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ItemPopupMenu->popup(ItemPaint->mapToGlobal(at)); });
    ItemPaint->OnPaint = [this](QPaintEvent* event) { ItemPaintPaint(event); };
    ItemPaint->OnMouseDown = [this](QMouseEvent* event) { ItemPaintMouseDown(event); };
    ItemPaint->OnMouseMove = [this](QMouseEvent* event) { ItemPaintMouseMove(event); };
    ItemPaint->OnDblClick = [this](QMouseEvent*) { ItemPaintDblClick(); };
    ItemScrollBox->setWidget(ItemPaint);
    RenameEdit = new QLineEdit(ItemPaint);
    RenameEdit->setObjectName(QStringLiteral("RenameEdit"));
    RenameEdit->setFrame(false);
    RenameEdit->setVisible(false);
    RenameEdit->setEnabled(false);

    InfoSplitter = new QSplitter(Qt::Horizontal);
    InfoSplitter->setObjectName(QStringLiteral("InfoSplitter"));
    InfoSplitter->setHandleWidth(kSplitterWidth);
    InfoSplitter->setChildrenCollapsible(false);
    InfoSplitter->addWidget(InfoScrollBox);
    InfoSplitter->addWidget(ItemScrollBox);
    InfoSplitter->setStretchFactor(0, 0);
    InfoSplitter->setStretchFactor(1, 1);
    InfoSplitter->setSizes({kInfoWidth, kDesignClientSize.width() - kInfoWidth});

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(MainBar);
    layout->addWidget(InfoSplitter, 1);
    setCentralWidget(central);
}

void TMainForm::BuildStatusBar() {
    StatusBar = new TStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->OnDrawPanel = [this](QPainter& painter, const QRect& rect) {
        StatusBarDrawPanel(painter, rect);
    };
    setStatusBar(StatusBar);
}

// ---- hints, toggles, about ----------------------------------------------------------------

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

void TMainForm::CmExitClick() {
    close();
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

void TMainForm::CmAboutClick() {
    try {
        TAboutBox box(this);
        box.exec();
    } catch (const std::exception& error) {
        ShowException(this, error);
    }
}

// ---- print and scan ----------------------------------------------------------------------
// Empty until the print dialog exists; the file commands live in MainFileOps.cpp, the scan
// command in MainScan.cpp.

}  // namespace pixelary
