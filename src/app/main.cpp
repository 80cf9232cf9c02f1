// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry: the application object, its title, the main window and the message loop.
#include "mainwindow/Main.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSessionManager>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/InterfaceLanguage.h"
#include "platform/QuitSignals.h"
#include "services/qt/QtServices.h"

namespace {

constexpr int kModalRetryMs = 0;
constexpr int kUsageError = 2;

// What the command line asks for: the interface language and the folder to open.
struct CommandLine {
    std::string language;
    QString folder;
};

// Reads the command line; a bad one ends the program with a message, as --help does.
CommandLine ReadCommandLine(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption lang(
        QStringLiteral("lang"),
        QStringLiteral("Interface language: zh_TW (Traditional Chinese) or en (English); by "
                       "default the one LANGUAGE, LC_ALL, LC_MESSAGES or LANG names."),
        QStringLiteral("language"));
    parser.addOption(lang);
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("The folder to open."),
                                 QStringLiteral("[folder]"));
    parser.process(app);
    CommandLine line;
    if (parser.isSet(lang)) {
        const std::optional<std::string> chosen =
            pixelary::platform::InterfaceLanguageFor(parser.value(lang).toStdString());
        if (!chosen) {
            std::fprintf(stderr, "%s: --lang takes zh_TW or en\n",
                         qPrintable(app.applicationName()));
            std::exit(kUsageError);
        }
        line.language = *chosen;
    } else {
        line.language = pixelary::platform::ChooseInterfaceLanguage(
            pixelary::platform::LanguageEnvironment::FromProcess());
    }
    if (!parser.positionalArguments().isEmpty()) line.folder = parser.positionalArguments().first();
    return line;
}

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
    const CommandLine commandLine = ReadCommandLine(app);
    pixelary::platform::InstallInterfaceLanguage(commandLine.language);
    pixelary::QtServiceOptions services;
    services.interfaceLanguage = commandLine.language;
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
    if (!commandLine.folder.isEmpty()) {
        form.GotoFolderPath(QFileInfo(commandLine.folder).absoluteFilePath());
    }
    return app.exec();
}
