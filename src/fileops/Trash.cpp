// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileops/Trash.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>

namespace pixelary::fileops {

TrashResult MoveToTrash(const std::vector<std::string>& paths) {
    TrashResult result;
    // Without an existing data folder the trash cannot be made there, and files would be moved
    // to a folder relative to the working directory instead.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    for (const std::string& path : paths) {
        if (!QFile::moveToTrash(QString::fromStdString(path))) {
            result.error = QCoreApplication::translate("Trash", "無法將「%1」移到垃圾桶")
                               .arg(QString::fromStdString(path))
                               .toStdString();
            break;
        }
        result.trashed.push_back(path);
    }
    return result;
}

}  // namespace pixelary::fileops
