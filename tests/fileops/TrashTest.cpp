// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "fileops/Trash.h"

namespace pixelary::fileops {
namespace {

namespace fs = std::filesystem;

TEST(Trash, MovesFilesToTheUsersTrashAndStopsAtAMissingOne) {
    const fs::path home =
        fs::temp_directory_path() / ("pixelary-trash-" + std::to_string(getpid()));
    fs::remove_all(home);
    fs::create_directories(home / "pics");
    const std::string old_home = getenv("HOME") ? getenv("HOME") : "";
    const std::string old_data = getenv("XDG_DATA_HOME") ? getenv("XDG_DATA_HOME") : "";
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
    std::ofstream(home / "pics" / "貓.bmp") << "cat";

    const auto result =
        MoveToTrash({(home / "pics" / "貓.bmp").string(), (home / "pics" / "none.bmp").string()});
    EXPECT_EQ(result.trashed.size(), 1u);
    EXPECT_NE(result.error.find("none.bmp"), std::string::npos);
    EXPECT_FALSE(fs::exists(home / "pics" / "貓.bmp"));
    EXPECT_TRUE(fs::exists(home / ".local/share/Trash/files/貓.bmp"));
    EXPECT_TRUE(fs::exists(home / ".local/share/Trash/info/貓.bmp.trashinfo"));

    setenv("HOME", old_home.c_str(), 1);
    if (old_data.empty())
        unsetenv("XDG_DATA_HOME");
    else
        setenv("XDG_DATA_HOME", old_data.c_str(), 1);
    fs::remove_all(home);
}

}  // namespace
}  // namespace pixelary::fileops
