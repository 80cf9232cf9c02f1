// SPDX-License-Identifier: GPL-3.0-or-later
// The file commands that change the shown folder: delete, copy, move and new folder, and the
// hooks through which they ask the user and the desktop.
#include "mainwindow/FileCommands.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <filesystem>

#include "core/Exception.h"
#include "fileops/Trash.h"
#include "fileops/WallpaperPortal.h"
#include "mainwindow/BrowserState.h"
#include "mainwindow/NewFolderDlg.h"
#include "mainwindow/Strings.h"
#include "mainwindow/ThumbnailView.h"
#include "model/MExplorerItem.h"
#include "platform/api/ShellFolder.h"
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

}  // namespace

FileCommands::FileCommands(BrowserState& state, ThumbnailView& view, QWidget* window)
    : state_(state), view_(view), window_(window) {
    InstallFileOps();
}

void FileCommands::InstallFileOps() {
    QWidget* window = window_;
    FileOps.ChooseFolder = [window](const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(window, title, start, QFileDialog::ShowDirsOnly);
    };
    FileOps.ConfirmDelete = [window](int count, const QString& first) {
        return ConfirmDeleteBox(window, count, first);
    };
    FileOps.AskOverwrite = [window](const QString& target) {
        return AskOverwriteBox(window, target);
    };
    FileOps.AskNewFolderName = [window]() -> std::optional<QString> {
        TNewFolderDlg dialog(window);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.PathNameEdit->text();
    };
    FileOps.RunDesktopCommand = &RunQuietly;
    FileOps.WallpaperPortal = [commands = QPointer<FileCommands>(this)](const std::string& file) {
        return fileops::SetWallpaperThroughPortal(file, [commands, file] {
            if (commands) commands->ShowWallpaperNotice(ToQ(file));
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
}

// ---- selection ---------------------------------------------------------------------------------

std::optional<std::vector<std::string>> FileCommands::BuildSelectedPathList(
    std::uint32_t attribute) {
    std::vector<std::string> paths;
    bool complete = state_.Folder != nullptr;
    for (int i = 0; complete && i < view_.EntryCount(); ++i) {
        MExplorerItem* entry = view_.Entry(i);
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

void FileCommands::Delete() {
    const auto paths = BuildSelectedPathList(shell::SFGAO_CANDELETE);
    if (!paths) return;
    const QString first = ToQ(std::filesystem::path(paths->front()).filename().string());
    if (FileOps.ConfirmDelete(static_cast<int>(paths->size()), first)) {
        const fileops::TrashResult result = fileops::MoveToTrash(*paths);
        if (!result.error.empty()) {
            QMessageBox::warning(window_, LoadStr(kStrErrorCaption), ToQ(result.error));
        }
    }
    emit FolderChanged();
}

void FileCommands::TransferSelection(fileops::TransferKind kind) {
    const std::uint32_t attribute =
        kind == fileops::TransferKind::Copy ? shell::SFGAO_CANCOPY : shell::SFGAO_CANMOVE;
    const auto paths = BuildSelectedPathList(attribute);
    if (!paths) return;
    const QString start = ToQ(state_.Folder->GetDisplayName(shell::SHGDN_FORPARSING));
    const QString destination = FileOps.ChooseFolder(LoadStr(kStrChooseDestination), start);
    if (destination.isEmpty()) return;  // cancelled: the view stays as it is
    TransferFiles(kind, *paths, destination);
}

void FileCommands::TransferFiles(fileops::TransferKind kind, const std::vector<std::string>& paths,
                                 const QString& destination) {
    QProgressDialog progress(kind == fileops::TransferKind::Copy
                                 ? QCoreApplication::translate("FileCommands", "複製中...")
                                 : QCoreApplication::translate("FileCommands", "移動中..."),
                             QCoreApplication::translate("FileCommands", "取消"), 0, kProgressSteps,
                             window_);
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
    fileops::FileTransfer transfer(kind, paths, destination.toStdString());
    const fileops::TransferResult result = transfer.Run(callbacks);
    progress.reset();
    if (!result.error.empty()) {
        QMessageBox::warning(window_, LoadStr(kStrErrorCaption), ToQ(result.error));
    }
    emit FolderChanged();
}

// ---- new folder --------------------------------------------------------------------------------

bool FileCommands::FolderTakesFiles(std::string& path) const {
    if (!state_.Folder) return false;
    constexpr std::uint32_t kPlainFolder = shell::SFGAO_FOLDER | shell::SFGAO_FILESYSTEM;
    path = state_.Folder->GetDisplayName(shell::SHGDN_FORPARSING);
    return (state_.Folder->GetAttributes(kPlainFolder) & kPlainFolder) == kPlainFolder &&
           path != kDesktopPath;
}

void FileCommands::NewFolder() {
    std::string path;
    if (!FolderTakesFiles(path)) {
        ErrorBox(window_, kStrCannotSaveHere, MessageIcon::Stop);
        return;
    }
    std::optional<QString> name;
    try {
        name = FileOps.AskNewFolderName();
    } catch (const std::exception& error) {
        ShowException(window_, error);
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
    emit FolderChanged();
}

}  // namespace pixelary
