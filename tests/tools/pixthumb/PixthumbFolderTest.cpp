// SPDX-License-Identifier: GPL-3.0-or-later
// Runs "pixthumb --folder" cold, warm and with --reload over a small folder.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/Dib.h"
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

}  // namespace
}  // namespace pixelary
