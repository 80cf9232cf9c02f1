// SPDX-License-Identifier: GPL-3.0-or-later
// Runs "pixthumb --folder" cold, warm and with --reload over a small folder.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/Dib.h"
#include "support/Quarters.h"
#include "support/TempDir.h"

namespace pixelary {
namespace {

using testing::TempDir;

std::string RunPixthumb(const std::string& arguments, int* status) {
    const std::string command = std::string(PIXELARY_BIN_DIR) + "/pixthumb " + arguments;
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char chunk[4096];
    std::size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) out.append(chunk, n);
    const int result = pclose(pipe);
    *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return out;
}

bool Says(const std::string& out, const std::string& line) {
    return out.find("\n" + line + "\n") != std::string::npos;
}

TEST(PixthumbFolder, ColdWarmAndReloadRuns) {
    TempDir dir;
    std::filesystem::create_directory(dir.Slash() + "pics");
    std::filesystem::create_directory(dir.Slash() + "cache");
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) {
        Dib(120, 90, 24).SaveToFile(dir.Slash() + "pics/" + name);
    }
    const std::string args = "--folder " + dir.Slash() + "pics --cache " + dir.Slash() + "cache";
    int status = -1;
    std::string out = RunPixthumb(args, &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(Says(out, "progress 100%")) << out;
    EXPECT_TRUE(Says(out, "entries: 3")) << out;
    EXPECT_TRUE(Says(out, "thumbnails made: 3")) << out;
    out = RunPixthumb(args, &status);
    EXPECT_TRUE(Says(out, "thumbnails made: 0")) << out;
    EXPECT_TRUE(Says(out, "cache hits: 3")) << out;
    out = RunPixthumb(args + " --reload", &status);
    EXPECT_TRUE(Says(out, "thumbnails made: 3")) << out;
    EXPECT_TRUE(Says(out, "cache hits: 0")) << out;

    RunPixthumb("--folder", &status);
    EXPECT_EQ(status, 2);
    RunPixthumb("--folder " + dir.Slash() + "missing", &status);
    EXPECT_EQ(status, 1);
}

std::vector<std::string> ThumbnailFiles(const std::string& cache) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(cache)) {
        if (entry.path().extension() == ".TMP") files.push_back(entry.path().string());
    }
    return files;
}

// What a thumbnail file of an earlier version looks like: nothing in the BMP header's reserved
// field.
void ClearReservedField(const std::string& file) {
    std::fstream bmp(file, std::ios::in | std::ios::out | std::ios::binary);
    bmp.seekp(6);
    bmp.write("\0\0\0\0", 4);
}

// Thumbnails cached before photographs were turned upright are made again, JPEG and TIFF ones
// only; the new ones are upright and stay cached.
TEST(PixthumbFolder, PhotographThumbnailsOfEarlierVersionsAreMadeAgain) {
    TempDir dir;
    const std::string pics = dir.Slash() + "pics/";
    const std::string cache = dir.Slash() + "cache";
    std::filesystem::create_directory(pics);
    std::filesystem::create_directory(cache);
    const std::string data = PIXELARY_TEST_DATA;
    std::filesystem::copy_file(data + "/readers/jpg/orient-6.jpg", pics + "photo.jpg");
    std::filesystem::copy_file(data + "/readers/tif/orient-2.tif", pics + "scan.tif");
    Dib(120, 90, 24).SaveToFile(pics + "drawing.bmp");
    const std::string args = "--folder " + pics + " --cache " + cache;
    int status = -1;
    std::string out = RunPixthumb(args, &status);
    ASSERT_TRUE(Says(out, "thumbnails made: 3")) << out;
    for (const std::string& file : ThumbnailFiles(cache)) ClearReservedField(file);

    out = RunPixthumb(args, &status);
    EXPECT_TRUE(Says(out, "thumbnails made: 2")) << out;
    EXPECT_TRUE(Says(out, "cache hits: 1")) << out;
    out = RunPixthumb(args, &status);
    EXPECT_TRUE(Says(out, "thumbnails made: 0")) << out;
    EXPECT_TRUE(Says(out, "cache hits: 3")) << out;
    // The stale files went with their records; the photograph's new thumbnail is upright.
    const std::vector<std::string> files = ThumbnailFiles(cache);
    ASSERT_EQ(files.size(), 3u);
    int portraits = 0;
    for (const std::string& file : files) {
        const Dib thumbnail = Dib::LoadFromFile(file);
        if (thumbnail.Width() >= thumbnail.Height()) continue;
        ++portraits;
        EXPECT_EQ(testing::CornersOf(thumbnail), testing::kUprightCorners[6]);
    }
    EXPECT_EQ(portraits, 1);
}

}  // namespace
}  // namespace pixelary
