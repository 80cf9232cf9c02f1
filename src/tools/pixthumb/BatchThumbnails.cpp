// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchThumbnails.h"

#include <cstdio>
#include <exception>
#include <filesystem>

#include "core/Dib.h"
#include "readers/Rwimage.h"
#include "scanner/FileThumbnail.h"

ThumbnailJob JobInFolder(const std::string& input, const std::string& outdir) {
    const std::string name = std::filesystem::path(input).filename().string();
    return {input, (std::filesystem::path(outdir) / (name + ".bmp")).string()};
}

bool MakeThumbnail(const ThumbnailJob& job, std::int32_t boxWidth, std::int32_t boxHeight) {
    const std::string key = pixelary::FormatKeyOfPath(job.input);
    if (key.empty()) {
        std::fprintf(stderr, "pixthumb: %s: name too short for a picture\n", job.input.c_str());
        return false;
    }
    if (pixelary::ThumbnailKindOf(key) == pixelary::ThumbnailKind::None) {
        std::fprintf(stderr, "pixthumb: %s: not a picture file\n", job.input.c_str());
        return false;
    }
    try {
        const pixelary::Dib thumbnail =
            pixelary::MakeFileThumbnail(job.input, key, boxWidth, boxHeight);
        if (thumbnail.IsEmpty()) {
            std::fprintf(stderr, "pixthumb: %s: no thumbnail can be made from this file\n",
                         job.input.c_str());
            return false;
        }
        thumbnail.SaveToFile(job.output);
    } catch (const std::exception& error) {
        // As in the scanner, any failure costs the file its thumbnail and nothing more.
        std::fprintf(stderr, "pixthumb: %s: %s\n", job.input.c_str(), error.what());
        return false;
    }
    return true;
}

int MakeThumbnails(const std::vector<ThumbnailJob>& jobs, std::int32_t boxWidth,
                   std::int32_t boxHeight) {
    int failed = 0;
    for (const ThumbnailJob& job : jobs) {
        if (!MakeThumbnail(job, boxWidth, boxHeight)) ++failed;
    }
    return failed;
}
