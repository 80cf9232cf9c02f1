// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>
#include <QString>
#include <functional>
#include <optional>

#include "fileops/FileTransfer.h"
#include "fileops/Wallpaper.h"

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

}  // namespace pixelary
