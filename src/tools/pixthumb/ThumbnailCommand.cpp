// SPDX-License-Identifier: GPL-3.0-or-later
#include "ThumbnailCommand.h"

#include <charconv>
#include <cstdio>
#include <string_view>

#include "BatchThumbnails.h"
#include "readers/Rwimage.h"

namespace {

std::optional<std::int32_t> ParseSide(std::string_view text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (value < 1 || value > pixelary::kMaxImageSide) return std::nullopt;
    return value;
}

bool ParseBox(std::string_view text, ThumbnailOptions& options) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string_view::npos) return false;
    const auto width = ParseSide(text.substr(0, x));
    const auto height = ParseSide(text.substr(x + 1));
    if (!width || !height) return false;
    options.box_width = *width;
    options.box_height = *height;
    return true;
}

}  // namespace

std::optional<ThumbnailOptions> ParseThumbnailArguments(int argc, char** argv) {
    ThumbnailOptions options;
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

void PrintUsage() {
    std::fprintf(stderr,
                 "usage: pixthumb [--box WxH] INPUT OUTPUT.bmp\n"
                 "       pixthumb [--box WxH] --outdir DIR INPUT...\n"
                 "       pixthumb --folder DIR [--cache DIR] [--limit KB] [--reload]\n");
}

bool IsMetafileInput(const std::string& path) {
    const std::string key = pixelary::FormatKeyOfPath(path);
    return key == "emf" || key == "wmf";
}

bool NeedsQt(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--folder") return true;
    }
    const auto options = ParseThumbnailArguments(argc, argv);
    if (!options) return false;
    for (const std::string& input : options->inputs) {
        if (IsMetafileInput(input)) return true;
    }
    return false;
}

// The thumbnails come from the scanner's own path for each file, cache aside.
int RunThumbnails(const ThumbnailOptions& options) {
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
