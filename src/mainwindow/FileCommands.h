// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fileops/FileTransfer.h"
#include "fileops/Wallpaper.h"
#include "mainwindow/PrintCommand.h"

class QWidget;

namespace pixelary {

// Where the file-operation commands meet the user and the desktop. Each has a real default;
// tests replace them to answer without modal dialogs and to record what would be run.
struct FileOpsHooks {
    // The folder chooser: a picked folder, or empty when cancelled.
    std::function<QString(const QString& title, const QString& start)> ChooseFolder;
    // Confirms moving count entries (the first named) to the trash.
    std::function<bool(int count, const QString& first)> ConfirmDelete;
    // Asked when a copied or moved entry's target exists.
    std::function<fileops::OverwriteAnswer(const QString& target)> AskOverwrite;
    // The new-folder dialog: the typed name, or nothing when cancelled.
    std::function<std::optional<QString>()> AskNewFolderName;
    // Runs one desktop command of the wallpaper setting.
    fileops::CommandRunner RunDesktopCommand;
    // Hands the wallpaper file to the desktop's wallpaper portal.
    fileops::PortalRequest WallpaperPortal;
    // Whether a program is on the PATH.
    std::function<bool(const std::string&)> HasProgram;
    // The running desktop's names (XDG_CURRENT_DESKTOP).
    std::function<std::string()> DesktopName;
    // The screen the wallpaper must fit.
    std::function<QSize()> ScreenSize;
    // The folder the wallpaper bitmap is written to.
    std::function<QString()> WallpaperFolder;
};

struct BrowserState;
class ThumbnailView;

// The commands on the selected or focused entries and on the shown folder: delete (to the
// trash), copy and move, a new folder, wallpaper, print and scan. Each ends by asking for the
// folder to be listed again when it may have changed it.
class FileCommands : public QObject {
    Q_OBJECT
  public:
    // Dialogs and message boxes open over the window.
    FileCommands(BrowserState& state, ThumbnailView& view, QWidget* window);

    // What the commands ask of the user and the desktop (replaced by tests).
    FileOpsHooks FileOps;
    // What the print command asks of the system (replaced by tests).
    PrintCommandHooks PrintCommand = PrintCommandHooks::Default();

    void NewFolder();
    void CopyTo() { TransferSelection(fileops::TransferKind::Copy); }
    void MoveTo() { TransferSelection(fileops::TransferKind::Move); }
    void Delete();
    // Copies or moves the paths into a folder, asking before an existing file is replaced and
    // showing progress and errors; then the shown folder is listed again. Dropped files go here.
    void TransferFiles(fileops::TransferKind kind, const std::vector<std::string>& paths,
                       const QString& destination);
    void SetWallpaper(bool tiled);
    void Print();
    void TwainAcquire();

    // Full paths of the selected entries in view order; none (after a beep) when nothing is
    // selected or a selected entry lacks the attribute.
    std::optional<std::vector<std::string>> BuildSelectedPathList(std::uint32_t attribute);
    // Tells the user, without stopping them, that the desktop did not take the wallpaper and
    // where its file was written.
    void ShowWallpaperNotice(const QString& file);

  signals:
    // The shown folder's files may have changed: it is listed again.
    void FolderChanged();

  private:
    void InstallFileOps();
    void TransferSelection(fileops::TransferKind kind);
    // True for a plain file-system folder other than the desktop itself; path gets its path.
    bool FolderTakesFiles(std::string& path) const;

    BrowserState& state_;
    ThumbnailView& view_;
    QWidget* window_;
};

}  // namespace pixelary
