// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DataFolders.h"

#include <filesystem>

namespace pixelary::platform {

std::string ShippedDataFolder(const std::string& name) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error).parent_path();
    const fs::path beside = program / name;
    if (fs::is_directory(beside, error)) return beside.string();
    return (program.parent_path() / "share" / "pixelary" / name).lexically_normal().string();
}

}  // namespace pixelary::platform
