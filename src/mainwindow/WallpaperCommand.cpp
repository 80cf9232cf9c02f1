// SPDX-License-Identifier: GPL-3.0-or-later
// The wallpaper commands: the focused picture fitted to the screen, saved, and handed to the
// desktop tiled or centred.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

#include "core/Exception.h"
#include "core/Text.h"
#include "fileops/WallpaperImage.h"
#include "mainwindow/BrowserState.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/Strings.h"
#include "mainwindow/ThumbnailView.h"
#include "model/MExplorerItem.h"
#include "readers/Rwimage.h"

namespace pixelary {

void FileCommands::SetWallpaper(bool tiled) {
    MExplorerItem* entry = state_.Folder ? view_.Entry(view_.FocusIndex) : nullptr;
    const std::string ext = entry ? text::ToLower(entry->GetExt()) : std::string();
    if (!entry || !IsImageFileExt(ext)) {
        ErrorBox(window_, kStrNoWallpaper);
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
            ShowWallpaperNotice(QString::fromStdString(file));
        }
    } catch (const Exception& error) {
        ShowException(window_, error);
    }
}

void FileCommands::ShowWallpaperNotice(const QString& file) {
    auto* notice =
        new QMessageBox(QMessageBox::Information, QGuiApplication::applicationDisplayName(),
                        QCoreApplication::translate("FileCommands",
                                                    "無法通知桌面更換底色圖案。\n圖檔已存於:\n%1\n"
                                                    "可在桌面的背景設定中選用它。")
                            .arg(file),
                        QMessageBox::Ok, window_);
    notice->setObjectName(QStringLiteral("WallpaperNotice"));
    notice->button(QMessageBox::Ok)->setText(QCoreApplication::translate("FileCommands", "確定"));
    notice->setWindowModality(Qt::NonModal);
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->show();
}

}  // namespace pixelary
