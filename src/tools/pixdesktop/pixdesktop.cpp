// SPDX-License-Identifier: GPL-3.0-or-later
// pixdesktop [PATH]: prints the desktop's children, or the entries of the folder at PATH, with
// name, extension, size, date and type, folders first in name order.
#include <QCoreApplication>
#include <cstdio>
#include <exception>
#include <string>

#include "core/DosDateTime.h"
#include "model/MExplorerItem.h"
#include "services/qt/QtServices.h"

namespace {

using pixelary::MExplorerItem;

std::string FormatDate(std::int32_t stamp) {
    if (stamp == 0) return "-";
    const pixelary::LocalDateTime when = pixelary::dosdate::Decode(stamp);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", when.year, when.month,
                  when.day, when.hour, when.minute, when.second);
    return text;
}

void PrintEntry(MExplorerItem& entry) {
    const bool folder =
        (entry.GetAttributes(pixelary::shell::SFGAO_FOLDER) & pixelary::shell::SFGAO_FOLDER) != 0;
    std::printf("%-4s %-40s %-8s %12d  %-19s  %s\n", folder ? "DIR" : "", entry.GetName().c_str(),
                entry.GetExt().c_str(), entry.GetFileSize(),
                FormatDate(entry.GetFileDate()).c_str(), entry.GetTypeName().c_str());
}

int List(int argc, char** argv) {
    pixelary::QtServiceOptions services;  // the namespace only: no picture is read
    services.base.libraryReader = false;
    services.metafiles = false;
    pixelary::InstallQtServices(services);
    const bool desktop = argc < 2;
    MExplorerItem folder = desktop ? MExplorerItem(pixelary::shell::CSIDL_DESKTOP)
                                   : MExplorerItem(std::string(argv[1]));
    std::printf("%s\n", folder.GetDisplayName(pixelary::shell::SHGDN_FORPARSING).c_str());
    folder.Fill(pixelary::shell::SHCONTF_FOLDERS | pixelary::shell::SHCONTF_NONFOLDERS);
    for (int i = 0; MExplorerItem* entry = folder.GetChild(i); ++i) PrintEntry(*entry);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        return List(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pixdesktop: %s\n", error.what());
        return 1;
    }
}
