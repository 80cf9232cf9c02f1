// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry: the application object, its title, the main window and the message loop.
#include "mainwindow/Main.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

#include "mainwindow/Strings.h"
#include "metafile/MetafileLoader.h"
#include "platform/LinuxShell.h"
#include "readers/Rwlib.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Glimmora"));
    pixelary::platform::InstallPlatform(pixelary::kInterfaceLanguage);
    // The image library's codec modules are looked for beside the program first.
    pixelary::RegisterLibraryReader(QCoreApplication::applicationDirPath().toStdString());
    pixelary::metafile::InstallMetafileLoader();
    pixelary::TMainForm form;
    // Without a window manager a maximised window would keep its design size.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        form.setGeometry(screen->availableGeometry());
    }
    form.showMaximized();
    // A folder named on the command line is opened after the desktop.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) form.GotoFolderPath(QFileInfo(arguments.at(1)).absoluteFilePath());
    return app.exec();
}
