// SPDX-License-Identifier: GPL-3.0-or-later
// The scan command: the scan-to-file dialog saving into the shown folder.
#include <QLabel>
#include <exception>
#include <memory>

#include "mainwindow/FileCommands.h"
#include "mainwindow/Strings.h"
#include "scan/ScanImg.h"

namespace pixelary {

void FileCommands::TwainAcquire() {
    std::string path;
    if (!FolderTakesFiles(path)) {
        ErrorBox(window_, kStrCannotSaveHere, MessageIcon::Stop);
        return;
    }
    if (path.empty() || path.back() != '/') path += '/';
    try {
        auto dialog = std::make_unique<TScanImgDlg>(window_);
        dialog->SaveFolderLabel->setText(QString::fromStdString(path));
        dialog->exec();
    } catch (const std::exception& error) {
        ShowException(window_, error);
    }
    // Files saved by the scan appear.
    emit FolderChanged();
}

}  // namespace pixelary
