// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry: the application object, its title, the main window and the message loop.
#include "mainwindow/Main.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSessionManager>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include "mainwindow/Strings.h"
#include "platform/QuitSignals.h"
#include "services/qt/QtServices.h"

namespace {

constexpr int kModalRetryMs = 0;

// Closes the main window the way the user would: modal dialogs first (each answered with
// Cancel), then the window once control is back in the main loop, so no dialog's caller runs
// on after the window has shut down.
void CloseMainWindow(pixelary::TMainForm& form) {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
        QTimer::singleShot(kModalRetryMs, &form, [&form] { CloseMainWindow(form); });
        return;
    }
    form.close();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Glimmora"));
    pixelary::QtServiceOptions services;
    services.interfaceLanguage = pixelary::kInterfaceLanguage;
    // The image library's codec modules are looked for beside the program first.
    services.base.moduleFolder = QCoreApplication::applicationDirPath().toStdString();
    pixelary::InstallQtServices(services);
    pixelary::TMainForm form;
    // Without a window manager a maximised window would keep its design size.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        form.setGeometry(screen->availableGeometry());
    }
    // Logout, shutdown, Ctrl+C and a closed terminal end the program as its Exit command does:
    // the scanner stopped, the cache index and the settings written.
    pixelary::platform::QuitSignals quitSignals([&form](int) { CloseMainWindow(form); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                     [&form](QSessionManager&) { form.SaveState(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &form,
                     [&form] { CloseMainWindow(form); });
    form.showMaximized();
    // A folder named on the command line is opened after the desktop.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) form.GotoFolderPath(QFileInfo(arguments.at(1)).absoluteFilePath());
    return app.exec();
}
