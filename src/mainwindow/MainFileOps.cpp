// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's commands that change files: delete, copy, move, rename in place, new folder
// and wallpaper.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <filesystem>

#include "core/Exception.h"
#include "core/Text.h"
#include "fileops/Trash.h"
#include "fileops/WallpaperImage.h"
#include "fileops/WallpaperPortal.h"
#include "mainwindow/Controls.h"
#include "mainwindow/Main.h"
#include "mainwindow/NewFolderDlg.h"
#include "mainwindow/Strings.h"
#include "model/MExplorerItem.h"
#include "platform/ShellFolder.h"
#include "readers/Rwimage.h"
#include "settings/Settings.h"

namespace pixelary {

namespace {

// A folder whose full path is exactly this is the desktop itself, where nothing is saved.
const std::string kDesktopPath = "Desktop";
constexpr int kProgressDelayMs = 500;
constexpr int kProgressSteps = 1000;

QString ToQ(const std::string& text) {
    return QString::fromStdString(text);
}

fileops::OverwriteAnswer AskOverwriteBox(QWidget* parent, const QString& target) {
    QMessageBox box(
        QMessageBox::Question, QGuiApplication::applicationDisplayName(),
        QCoreApplication::translate("FileCommands", "「%1」已經存在。要取代它嗎?").arg(target),
        QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::NoToAll |
            QMessageBox::Cancel,
        parent);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return fileops::OverwriteAnswer::Yes;
        case QMessageBox::YesToAll:
            return fileops::OverwriteAnswer::YesToAll;
        case QMessageBox::No:
            return fileops::OverwriteAnswer::No;
        case QMessageBox::NoToAll:
            return fileops::OverwriteAnswer::NoToAll;
        default:
            return fileops::OverwriteAnswer::Cancel;
    }
}

bool ConfirmDeleteBox(QWidget* parent, int count, const QString& first) {
    const QString question =
        count == 1
            ? QCoreApplication::translate("FileCommands", "確定要將「%1」移到垃圾桶嗎?").arg(first)
            : QCoreApplication::translate("FileCommands", "確定要將這 %1 個項目移到垃圾桶嗎?")
                  .arg(count);
    return QMessageBox::question(parent, QGuiApplication::applicationDisplayName(), question) ==
           QMessageBox::Yes;
}

bool RunQuietly(const fileops::DesktopCommand& command) {
    QStringList arguments;
    for (const std::string& argument : command.arguments) arguments << ToQ(argument);
    return QProcess::execute(ToQ(command.program), arguments) == 0;
}

// Routes the rename edit's Enter, Escape and focus loss to the main window.
class RenameEditFilter : public QObject {
  public:
    RenameEditFilter(TMainForm* form, QObject* parent) : QObject(parent), form_(form) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
                form_->RenameEditKeyPress(key);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // A menu that opens, or another window that comes to the front, takes the keys away
            // only for a while: the rename stays open, as on every desktop.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
                form_->RenameEditExit();
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    TMainForm* form_;
};

}  // namespace

void TMainForm::InstallFileOps() {
    FileOps.ChooseFolder = [this](const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(this, title, start, QFileDialog::ShowDirsOnly);
    };
    FileOps.ConfirmDelete = [this](int count, const QString& first) {
        return ConfirmDeleteBox(this, count, first);
    };
    FileOps.AskOverwrite = [this](const QString& target) { return AskOverwriteBox(this, target); };
    FileOps.AskNewFolderName = [this]() -> std::optional<QString> {
        TNewFolderDlg dialog(this);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.PathNameEdit->text();
    };
    FileOps.RunDesktopCommand = &RunQuietly;
    FileOps.WallpaperPortal = [form = QPointer<TMainForm>(this)](const std::string& file) {
        return fileops::SetWallpaperThroughPortal(file, [form, file] {
            if (form) form->ShowWallpaperNotice(ToQ(file));
        });
    };
    FileOps.HasProgram = [](const std::string& program) {
        return !QStandardPaths::findExecutable(ToQ(program)).isEmpty();
    };
    FileOps.DesktopName = [] { return qEnvironmentVariable("XDG_CURRENT_DESKTOP").toStdString(); };
    FileOps.ScreenSize = [] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? screen->geometry().size() : QSize(1024, 768);
    };
    FileOps.WallpaperFolder = [] { return ToQ(WindowsDirectory()); };
    RenameEdit->installEventFilter(new RenameEditFilter(this, RenameEdit));
}

// ---- selection ---------------------------------------------------------------------------------

std::optional<std::vector<std::string>> TMainForm::BuildSelectedPathList(std::uint32_t attribute) {
    std::vector<std::string> paths;
    bool complete = Folder != nullptr;
    for (int i = 0; complete && i < EntryCount(); ++i) {
        MExplorerItem* entry = Entry(i);
        if (!entry->Selected) continue;
        if ((entry->GetAttributes(attribute) & attribute) != attribute)
            complete = false;
        else
            paths.push_back(entry->GetDisplayName(shell::SHGDN_FORPARSING));
    }
    if (!complete || paths.empty()) {
        Beep();
        return std::nullopt;
    }
    return paths;
}

// ---- delete, copy, move ------------------------------------------------------------------------

void TMainForm::CmFileDeleteClick() {
    const auto paths = BuildSelectedPathList(shell::SFGAO_CANDELETE);
    if (!paths) return;
    const QString first = ToQ(std::filesystem::path(paths->front()).filename().string());
    if (FileOps.ConfirmDelete(static_cast<int>(paths->size()), first)) {
        const fileops::TrashResult result = fileops::MoveToTrash(*paths);
        if (!result.error.empty()) {
            QMessageBox::warning(this, LoadStr(kStrErrorCaption), ToQ(result.error));
        }
    }
    CmViewRefreshClick();
}

void TMainForm::CmFileCopyToClick() {
    TransferSelection(fileops::TransferKind::Copy);
}

void TMainForm::CmFileMoveToClick() {
    TransferSelection(fileops::TransferKind::Move);
}

void TMainForm::TransferSelection(fileops::TransferKind kind) {
    const std::uint32_t attribute =
        kind == fileops::TransferKind::Copy ? shell::SFGAO_CANCOPY : shell::SFGAO_CANMOVE;
    const auto paths = BuildSelectedPathList(attribute);
    if (!paths) return;
    const QString start = ToQ(Folder->GetDisplayName(shell::SHGDN_FORPARSING));
    const QString destination = FileOps.ChooseFolder(LoadStr(kStrChooseDestination), start);
    if (destination.isEmpty()) return;  // cancelled: the view stays as it is

    QProgressDialog progress(kind == fileops::TransferKind::Copy
                                 ? QCoreApplication::translate("FileCommands", "複製中...")
                                 : QCoreApplication::translate("FileCommands", "移動中..."),
                             QCoreApplication::translate("FileCommands", "取消"), 0, kProgressSteps,
                             this);
    progress.setObjectName(QStringLiteral("TransferProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(kProgressDelayMs);
    fileops::TransferCallbacks callbacks;
    callbacks.progress = [&](std::uint64_t done, std::uint64_t total, const std::string& current) {
        progress.setLabelText(ToQ(current));
        progress.setValue(total == 0 ? 0 : static_cast<int>(done * kProgressSteps / total));
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    };
    callbacks.askOverwrite = [this](const std::string& target) {
        return FileOps.AskOverwrite(ToQ(target));
    };
    fileops::FileTransfer transfer(kind, *paths, destination.toStdString());
    const fileops::TransferResult result = transfer.Run(callbacks);
    progress.reset();
    if (!result.error.empty()) {
        QMessageBox::warning(this, LoadStr(kStrErrorCaption), ToQ(result.error));
    }
    CmViewRefreshClick();
}

// ---- rename in place ---------------------------------------------------------------------------

void TMainForm::CmFileRenameClick() {
    RenameEditExit();  // a rename still open (the menu left it so) ends first
    MExplorerItem* entry = Folder ? Entry(FocusIndex) : nullptr;
    if (!entry || (entry->GetAttributes(shell::SFGAO_CANRENAME) & shell::SFGAO_CANRENAME) == 0) {
        Beep();
        return;
    }
    RenameIndex = FocusIndex;
    ScrollCellIntoView(CellRect(CurrentGrid(), RenameIndex));
    PlaceRenameEdit();
    RenameOriginal = ToQ(entry->GetDisplayName(shell::SHGDN_NORMAL));
    RenameEdit->setText(RenameOriginal);
    RenameEdit->setEnabled(true);
    RenameEdit->setVisible(true);
    RenameEdit->selectAll();
    RenameEdit->setFocus();
}

void TMainForm::PlaceRenameEdit() {
    const QRect cell = CellRect(CurrentGrid(), RenameIndex);
    const QRect edit = (ViewMode == kViewDetails ? cell::kRenameDetails : cell::kRenameNormal)
                           .translated(cell.topLeft());
    RenameEdit->setGeometry(edit);
}

void TMainForm::ScrollCellIntoView(const QRect& cell) {
    QScrollBar* horizontal = ItemScrollBox->horizontalScrollBar();
    QScrollBar* vertical = ItemScrollBox->verticalScrollBar();
    const QRect visible(QPoint(horizontal->value(), vertical->value()),
                        ItemScrollBox->viewport()->size());
    if (cell.left() < visible.left()) {
        horizontal->setValue(horizontal->value() - (visible.left() - cell.left()));
    } else if (cell.right() > visible.right()) {
        horizontal->setValue(horizontal->value() + (cell.right() - visible.right()));
    }
    if (cell.top() < visible.top()) {
        vertical->setValue(vertical->value() - (visible.top() - cell.top()));
    } else if (cell.bottom() > visible.bottom()) {
        vertical->setValue(vertical->value() + (cell.bottom() - visible.bottom()));
    }
    ItemScrollBox->viewport()->repaint();
}

void TMainForm::RenameEditKeyPress(int key) {
    if (key == Qt::Key_Escape) RenameEdit->setText(RenameOriginal);
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        // The keys go back to the view the rename started from.
        if (RenameEdit->hasFocus()) ItemScrollBox->setFocus(Qt::OtherFocusReason);
        RenameEditExit();  // also when the edit had no focus to lose
    }
}

void TMainForm::RenameEditExit() {
    if (!RenameEdit->isEnabled()) return;
    const QString text = RenameEdit->text();
    const QString original = RenameOriginal;
    // Disabled first: when the edit still has the focus, disabling and hiding it move the
    // focus, and the focus-out that brings must find the rename over.
    RenameEdit->setEnabled(false);
    RenameOriginal.clear();
    RenameEdit->clear();
    RenameEdit->setGeometry(0, 0, 1, 1);
    RenameEdit->setVisible(false);
    if (text == original) return;
    if (MExplorerItem* entry = Folder ? Entry(RenameIndex) : nullptr) {
        entry->SetName(text.toStdString());
        InvalidateItem(RenameIndex);
    }
}

// ---- new folder --------------------------------------------------------------------------------

bool TMainForm::FolderTakesFiles(std::string& path) const {
    if (!Folder) return false;
    constexpr std::uint32_t kPlainFolder = shell::SFGAO_FOLDER | shell::SFGAO_FILESYSTEM;
    path = Folder->GetDisplayName(shell::SHGDN_FORPARSING);
    return (Folder->GetAttributes(kPlainFolder) & kPlainFolder) == kPlainFolder &&
           path != kDesktopPath;
}

void TMainForm::CmNewFolderClick() {
    std::string path;
    if (!FolderTakesFiles(path)) {
        ErrorBox(this, kStrCannotSaveHere, MessageIcon::Stop);
        return;
    }
    std::optional<QString> name;
    try {
        name = FileOps.AskNewFolderName();
    } catch (const std::exception& error) {
        ShowException(this, error);
        return;
    }
    if (!name || name->isEmpty()) return;
    if (path.empty() || path.back() != '/') path += '/';
    std::error_code error;
    const bool made = !name->contains(QLatin1Char('/')) &&
                      std::filesystem::create_directory(path + name->toStdString(), error);
    if (!made) {
        Beep();
        return;
    }
    CmViewRefreshClick();
}

// ---- wallpaper ---------------------------------------------------------------------------------

void TMainForm::CmFileSetToDesk1Click() {
    SetWallpaper(true);
}

void TMainForm::CmFileSetToDesk2Click() {
    SetWallpaper(false);
}

void TMainForm::SetWallpaper(bool tiled) {
    MExplorerItem* entry = Folder ? Entry(FocusIndex) : nullptr;
    const std::string ext = entry ? text::ToLower(entry->GetExt()) : std::string();
    if (!entry || !IsImageFileExt(ext)) {
        ErrorBox(this, kStrNoWallpaper);
        return;
    }
    const QSize screen = FileOps.ScreenSize();
    Dib bitmap;
    try {
        bitmap = fileops::MakeWallpaperBitmap(entry->GetDisplayName(shell::SHGDN_FORPARSING), ext,
                                              {screen.width(), screen.height()});
    } catch (const Exception&) {
        Beep();  // the picture could not be read after all
        return;
    }
    if (bitmap.IsEmpty()) return;
    try {
        const std::string file = fileops::SaveWallpaperBitmap(
            bitmap, FileOps.WallpaperFolder().toStdString(), entry->GetName());
        const auto style =
            tiled ? fileops::WallpaperStyle::Tiled : fileops::WallpaperStyle::Centred;
        if (!fileops::ApplyWallpaper(FileOps.DesktopName(), file, style, FileOps.HasProgram,
                                     FileOps.RunDesktopCommand, FileOps.WallpaperPortal)) {
            ShowWallpaperNotice(ToQ(file));
        }
    } catch (const Exception& error) {
        ShowException(this, error);
    }
}

void TMainForm::ShowWallpaperNotice(const QString& file) {
    auto* notice =
        new QMessageBox(QMessageBox::Information, QGuiApplication::applicationDisplayName(),
                        QCoreApplication::translate("FileCommands",
                                                    "無法通知桌面更換底色圖案。\n圖檔已存於:\n%1\n"
                                                    "可在桌面的背景設定中選用它。")
                            .arg(file),
                        QMessageBox::Ok, this);
    notice->setObjectName(QStringLiteral("WallpaperNotice"));
    notice->button(QMessageBox::Ok)->setText(QCoreApplication::translate("FileCommands", "確定"));
    notice->setWindowModality(Qt::NonModal);
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->show();
}

}  // namespace pixelary
