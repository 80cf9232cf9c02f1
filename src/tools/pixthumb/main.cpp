// SPDX-License-Identifier: GPL-3.0-or-later
// pixthumb [--box WxH] INPUT OUTPUT.bmp: writes the thumbnail the scanner makes for INPUT
// (a picture, or the preview of a preview document).
// Exit status 0 with a thumbnail, 1 when none can be made, 2 on a usage error.
// pixthumb --folder DIR [--cache DIR] [--limit KB] [--reload]: see FolderScan.h.

#include <QGuiApplication>
#include <charconv>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

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
    std::string input;
    std::string output;
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
    if (i < argc && std::string_view(argv[i]) == "--box") {
        if (i + 1 >= argc || !ParseBox(argv[i + 1], options)) return std::nullopt;
        i += 2;
    }
    if (argc - i != 2) return std::nullopt;
    options.input = argv[i];
    options.output = argv[i + 1];
    return options;
}

bool IsMetafile(const std::string& path) {
    const std::string key = pixelary::FormatKeyOfPath(path);
    return key == "emf" || key == "wmf";
}

// The thumbnail comes from the scanner's own path for one file, cache aside.
int Run(const Options& options) {
    const std::string key = pixelary::FormatKeyOfPath(options.input);
    if (key.empty()) {
        std::fprintf(stderr, "pixthumb: %s: name too short for a picture\n", options.input.c_str());
        return kExitNoThumbnail;
    }
    if (pixelary::ThumbnailKindOf(key) == pixelary::ThumbnailKind::None) {
        std::fprintf(stderr, "pixthumb: %s: not a picture file\n", options.input.c_str());
        return kExitNoThumbnail;
    }
    try {
        const pixelary::Dib thumbnail =
            pixelary::MakeFileThumbnail(options.input, key, options.box_width, options.box_height);
        if (thumbnail.IsEmpty()) {
            std::fprintf(stderr, "pixthumb: %s: no thumbnail can be made from this file\n",
                         options.input.c_str());
            return kExitNoThumbnail;
        }
        thumbnail.SaveToFile(options.output);
    } catch (const std::exception& error) {
        // As in the scanner, any failure costs the file its thumbnail and nothing more.
        std::fprintf(stderr, "pixthumb: %s: %s\n", options.input.c_str(), error.what());
        return kExitNoThumbnail;
    }
    return kExitThumbnail;
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
                     "       pixthumb --folder DIR [--cache DIR] [--limit KB] [--reload]\n");
        return kExitUsage;
    }
    // Files the own readers refuse, and the library formats, go through the image component.
    pixelary::RegisterLibraryReader();
    // Other pictures start faster without a GUI application.
    if (IsMetafile(options->input)) StartGuiApplication(application, argc, argv);
    pixelary::metafile::InstallMetafileLoader();
    return Run(*options);
}
