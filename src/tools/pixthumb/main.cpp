// SPDX-License-Identifier: GPL-3.0-or-later
// pixthumb [--box WxH] INPUT OUTPUT.bmp: writes the thumbnail the scanner makes for INPUT
// (a picture, or the preview of a preview document).
// pixthumb [--box WxH] --outdir DIR INPUT...: the same for many pictures in one process, each
// written to DIR/<input file name>.bmp.
// Exit status 0 with every thumbnail, 1 when some cannot be made, 2 on a usage error.
// pixthumb --folder DIR [--cache DIR] [--limit KB] [--reload]: see FolderScan.h.
//
// This program does without Qt, whose libraries take longer to load than a photograph takes to
// thumbnail; metafile inputs and folder scans are handed to its Qt part, pixthumb-qt, which
// lies beside it and takes the same command line.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "ThumbnailCommand.h"
#include "services/Services.h"

namespace {

constexpr const char* kQtPart = "pixthumb-qt";

int RunQtPart(char** argv) {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::string qt = (self.parent_path() / kQtPart).string();
    execv(qt.c_str(), argv);
    std::fprintf(stderr, "pixthumb: cannot run %s: %s\n", qt.c_str(), std::strerror(errno));
    return kExitNoThumbnail;
}

}  // namespace

int main(int argc, char** argv) {
    if (NeedsQt(argc, argv)) return RunQtPart(argv);
    const auto options = ParseThumbnailArguments(argc, argv);
    if (!options) {
        PrintUsage();
        return kExitUsage;
    }
    // Files the own readers refuse, and the library formats, go through the image component.
    pixelary::InstallServices(pixelary::ServiceOptions{});
    return RunThumbnails(*options);
}
