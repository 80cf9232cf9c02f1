// SPDX-License-Identifier: GPL-3.0-or-later
#include "printdlg/PrintFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "settings/Settings.h"

namespace pixelary {
namespace {

// A shipped data folder: beside the program, else in the installed share folder.
QString ShippedFolder(const QString& name) {
    const QString program = QCoreApplication::applicationDirPath();
    const QString beside = program + QLatin1Char('/') + name;
    if (QFileInfo(beside).isDir()) return beside;
    return QDir::cleanPath(program + QStringLiteral("/../share/pixelary/") + name);
}

}  // namespace

PrintFolders PrintFolders::ForProgram() {
    const QString user = QString::fromStdString(WindowsDirectory());
    return {ShippedFolder(QStringLiteral("PrintSet")), user + QStringLiteral("/PrintSet"),
            ShippedFolder(QStringLiteral("PrintFrm")), user + QStringLiteral("/PrintFrm")};
}

QStringList PrintFolders::FrameFolders() const {
    QStringList folders;
    for (const QString& folder : {ShippedFrames, UserFrames})
        if (!folder.isEmpty() && QFileInfo(folder).isDir()) folders << folder;
    return folders;
}

}  // namespace pixelary
