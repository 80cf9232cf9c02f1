// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "readers/ThumbnailSize.h"

// The thumbnail forms of pixthumb's command line, shared by the plain tool and its Qt part:
//   pixthumb [--box WxH] INPUT OUTPUT.bmp
//   pixthumb [--box WxH] --outdir DIR INPUT...      (DIR/<input file name>.bmp each)
struct ThumbnailOptions {
    std::int32_t box_width = pixelary::kThumbnailBoxWidth;
    std::int32_t box_height = pixelary::kThumbnailBoxHeight;
    std::string outdir;               // batch form when set
    std::vector<std::string> inputs;  // one, or the batch's pictures
    std::string output;               // the single form's output
};

constexpr int kExitThumbnail = 0;
constexpr int kExitNoThumbnail = 1;
constexpr int kExitUsage = 2;

std::optional<ThumbnailOptions> ParseThumbnailArguments(int argc, char** argv);
void PrintUsage();

// Enhanced and Windows metafiles are played with Qt's painter.
bool IsMetafileInput(const std::string& path);
// Whether a command line needs the Qt part: a folder scan, or a metafile among the inputs.
bool NeedsQt(int argc, char** argv);

// Makes the thumbnail of every input; kExitThumbnail when all were written.
int RunThumbnails(const ThumbnailOptions& options);
