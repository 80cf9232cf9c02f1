// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One thumbnail to make: the picture and the BMP file to write.
struct ThumbnailJob {
    std::string input;
    std::string output;
};

// The job for input in outdir: "<outdir>/<input file name>.bmp".
ThumbnailJob JobInFolder(const std::string& input, const std::string& outdir);

// Makes the thumbnail of every job, fitted into the box, the way the folder scan does, and writes
// each to its output; a job that fails costs only its own thumbnail (reported on the error
// stream). Returns how many jobs made no thumbnail. Jobs are independent, so a decoding pool may
// run them in any order.
int MakeThumbnails(const std::vector<ThumbnailJob>& jobs, std::int32_t boxWidth,
                   std::int32_t boxHeight);

// One job; false (with a message on the error stream) when no thumbnail was written.
bool MakeThumbnail(const ThumbnailJob& job, std::int32_t boxWidth, std::int32_t boxHeight);
