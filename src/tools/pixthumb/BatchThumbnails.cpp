// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchThumbnails.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>

#include "core/Dib.h"
#include "readers/Rwimage.h"
#include "scanner/DecodePool.h"
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
    // The scanner's decode pool: one decoding thread per core. Each job writes only its own
    // result, and jobs are taken in order, so the messages come roughly in the jobs' order.
    std::vector<char> made(jobs.size(), 0);
    std::vector<pixelary::ScanJob> tickets(jobs.size());
    pixelary::DecodePool pool(pixelary::DecodeThreadCount(), [&](pixelary::ScanJob& ticket) {
        const auto index = static_cast<std::size_t>(ticket.Index);
        made[index] = MakeThumbnail(jobs[index], boxWidth, boxHeight) ? 1 : 0;
    });
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        tickets[i].Index = static_cast<int>(i);
        pool.Submit(&tickets[i]);
    }
    int failed = 0;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        while (!pool.WaitReady(&tickets[i], std::chrono::seconds(1))) {
        }
        if (!made[i]) ++failed;
    }
    return failed;
}
