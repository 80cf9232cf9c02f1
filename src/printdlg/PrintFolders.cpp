// SPDX-License-Identifier: GPL-3.0-or-later
#include "printdlg/PrintFolders.h"

#include <QFileInfo>

#include "platform/DataFolders.h"
#include "settings/Settings.h"

namespace pixelary {
namespace {

QString ShippedFolder(const char* name) {
    return QString::fromStdString(platform::ShippedDataFolder(name));
}

}  // namespace

PrintFolders PrintFolders::ForProgram() {
    const QString user = QString::fromStdString(WindowsDirectory());
    return {ShippedFolder("PrintSet"), user + QStringLiteral("/PrintSet"),
            ShippedFolder("PrintFrm"), user + QStringLiteral("/PrintFrm")};
}

QStringList PrintFolders::FrameFolders() const {
    QStringList folders;
    for (const QString& folder : {ShippedFrames, UserFrames})
        if (!folder.isEmpty() && QFileInfo(folder).isDir()) folders << folder;
    return folders;
}

}  // namespace pixelary
