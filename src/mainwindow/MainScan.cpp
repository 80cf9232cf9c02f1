// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's scan command: the scan-to-file dialog on the shown folder.
#include <QLabel>
#include <exception>
#include <memory>

#include "mainwindow/Main.h"
#include "mainwindow/Strings.h"
#include "scan/ScanImg.h"

namespace pixelary {

void TMainForm::CmFileTwainAcquireClick() {
    std::string path;
    if (!FolderTakesFiles(path)) {
        ErrorBox(this, kStrCannotSaveHere, MessageIcon::Stop);
        return;
    }
    if (path.empty() || path.back() != '/') path += '/';
    try {
        auto dialog = std::make_unique<TScanImgDlg>(this);
        dialog->SaveFolderLabel->setText(QString::fromStdString(path));
        dialog->exec();
    } catch (const std::exception& error) {
        ShowException(this, error);
    }
    // Files saved by the scan appear.
    CmViewRefreshClick();
}

}  // namespace pixelary
