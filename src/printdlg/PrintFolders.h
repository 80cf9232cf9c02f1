// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace pixelary {

// Where printing finds and keeps its files: the shipped, read-only style and frame folders (beside
// the program in the build tree, share/pixelary when installed) and the user's own ones under the
// per-user program directory.
struct PrintFolders {
    QString ShippedStyles;  // holds "system.df"
    QString UserStyles;     // "default.uf" and the named styles
    QString ShippedFrames;  // "Default.bmp" and the frames that come with the program
    QString UserFrames;     // frames the user adds

    // The folders of this installation.
    static PrintFolders ForProgram();
    // The frame folders that exist, shipped first.
    QStringList FrameFolders() const;
};

}  // namespace pixelary
