// SPDX-License-Identifier: GPL-3.0-or-later
// pixthumb-qt: pixthumb with Qt, for what needs it (metafile inputs, whose text needs fonts, and
// the folder scan, whose folders may hold metafiles). Same command line as pixthumb.
#include <QGuiApplication>
#include <optional>
#include <string>
#include <string_view>

#include "FolderScan.h"
#include "ThumbnailCommand.h"
#include "services/qt/QtServices.h"

namespace {

// Metafile text needs fonts, hence a GUI application (no display needed).
void StartGuiApplication(std::optional<QGuiApplication>& application, int& argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    application.emplace(argc, argv);
}

// The readers, the image component and the metafile player; no desktop namespace.
void InstallServices() {
    pixelary::QtServiceOptions services;
    services.platform = false;
    pixelary::InstallQtServices(services);
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<QGuiApplication> application;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) != "--folder") continue;
        StartGuiApplication(application, argc, argv);
        InstallServices();
        return RunFolderScan(argc, argv);
    }
    const auto options = ParseThumbnailArguments(argc, argv);
    if (!options) {
        PrintUsage();
        return kExitUsage;
    }
    for (const std::string& input : options->inputs) {
        if (!IsMetafileInput(input)) continue;
        StartGuiApplication(application, argc, argv);
        break;
    }
    InstallServices();
    return RunThumbnails(*options);
}
