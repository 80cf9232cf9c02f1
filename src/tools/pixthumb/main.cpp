// SPDX-License-Identifier: GPL-3.0-or-later
// pixthumb [--box WxH] INPUT OUTPUT.bmp: writes the thumbnail the scanner makes for INPUT
// (a picture, or the preview of a preview document).
// pixthumb [--box WxH] --outdir DIR INPUT...: the same for many pictures in one process, each
// written to DIR/<input file name>.bmp.
// Exit status 0 with every thumbnail, 1 when some cannot be made, 2 on a usage error.
// pixthumb --folder DIR [--cache DIR] [--limit KB] [--reload]: see FolderScan.h.

#include <QGuiApplication>
#include <charconv>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "BatchThumbnails.h"
#include "FolderScan.h"
#include "core/Dib.h"
#include "metafile/MetafileLoader.h"
#include "readers/Rwimage.h"
#include "readers/Rwlib.h"
#include "readers/ThumbnailSize.h"
#include "scanner/FileThumbnail.h"

namespace {

constexpr int kExitThumbnail = 0;
constexpr int kExitNoThumbnail = 1;
constexpr int kExitUsage = 2;

struct Options {
    std::int32_t box_width = pixelary::kThumbnailBoxWidth;
    std::int32_t box_height = pixelary::kThumbnailBoxHeight;
    std::string outdir;               // batch form when set
    std::vector<std::string> inputs;  // one, or the batch's pictures
    std::string output;               // the single form's output
};

std::optional<std::int32_t> ParseSide(std::string_view text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (value < 1 || value > pixelary::kMaxImageSide) return std::nullopt;
    return value;
}

bool ParseBox(std::string_view text, Options& options) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string_view::npos) return false;
    const auto width = ParseSide(text.substr(0, x));
    const auto height = ParseSide(text.substr(x + 1));
    if (!width || !height) return false;
    options.box_width = *width;
    options.box_height = *height;
    return true;
}

std::optional<Options> ParseArguments(int argc, char** argv) {
    Options options;
    int i = 1;
    for (; i + 1 < argc; i += 2) {
        const std::string_view arg = argv[i];
        if (arg == "--box") {
            if (!ParseBox(argv[i + 1], options)) return std::nullopt;
        } else if (arg == "--outdir") {
            options.outdir = argv[i + 1];
            if (options.outdir.empty()) return std::nullopt;
        } else {
            break;
        }
    }
    options.inputs.assign(argv + i, argv + argc);
    if (options.outdir.empty()) {
        if (options.inputs.size() != 2) return std::nullopt;
        options.output = options.inputs.back();
        options.inputs.pop_back();
    }
    if (options.inputs.empty()) return std::nullopt;
    return options;
}

bool IsMetafile(const std::string& path) {
    const std::string key = pixelary::FormatKeyOfPath(path);
    return key == "emf" || key == "wmf";
}

// The thumbnails come from the scanner's own path for each file, cache aside.
int Run(const Options& options) {
    std::vector<ThumbnailJob> jobs;
    if (options.outdir.empty()) {
        jobs.push_back({options.inputs.front(), options.output});
    } else {
        for (const std::string& input : options.inputs) {
            jobs.push_back(JobInFolder(input, options.outdir));
        }
    }
    const int failed = MakeThumbnails(jobs, options.box_width, options.box_height);
    return failed == 0 ? kExitThumbnail : kExitNoThumbnail;
}

}  // namespace

// Metafile text needs fonts, hence a GUI application (no display needed).
void StartGuiApplication(std::optional<QGuiApplication>& application, int& argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    application.emplace(argc, argv);
}

int main(int argc, char** argv) {
    std::optional<QGuiApplication> application;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) != "--folder") continue;
        // A folder may hold metafiles.
        StartGuiApplication(application, argc, argv);
        pixelary::metafile::InstallMetafileLoader();
        pixelary::RegisterLibraryReader();
        return RunFolderScan(argc, argv);
    }
    const auto options = ParseArguments(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: pixthumb [--box WxH] INPUT OUTPUT.bmp\n"
                     "       pixthumb [--box WxH] --outdir DIR INPUT...\n"
                     "       pixthumb --folder DIR [--cache DIR] [--limit KB] [--reload]\n");
        return kExitUsage;
    }
    // Files the own readers refuse, and the library formats, go through the image component.
    pixelary::RegisterLibraryReader();
    // Other pictures start faster without a GUI application.
    for (const std::string& input : options->inputs) {
        if (!IsMetafile(input)) continue;
        StartGuiApplication(application, argc, argv);
        break;
    }
    pixelary::metafile::InstallMetafileLoader();
    return Run(*options);
}
