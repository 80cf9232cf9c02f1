// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry: the application object, its title, the main window and the message loop.
#include "mainwindow/Main.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Glimmora"));
    pixelary::TMainForm form;
    form.showMaximized();
    // A folder named on the command line is opened after the desktop, as if typed as a path.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) form.GotoPathText(arguments.at(1));
    return app.exec();
}
