// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

namespace pixelary::testing {

// A folder tree under the temporary directory, removed with everything in it at the end.
class TempTree {
  public:
    TempTree() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pixelary-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        root_ = pattern;
    }
    ~TempTree() {
        // A read-only folder would keep its entries; open everything up first.
        std::error_code ignored;
        for (auto it = std::filesystem::recursive_directory_iterator(root_, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
            if (it->is_directory(ignored)) {
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ignored);
            }
        }
        std::filesystem::remove_all(root_, ignored);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& Root() const { return root_; }
    std::string Path(const std::string& relative) const { return root_ + "/" + relative; }

    std::string Folder(const std::string& relative) const {
        std::filesystem::create_directories(Path(relative));
        return Path(relative);
    }

    // A file of size bytes whose modification time is mtime (seconds since the epoch).
    std::string File(const std::string& relative, std::size_t size, std::time_t mtime = 0) const {
        const std::string path = Path(relative);
        std::ofstream(path, std::ios::binary) << std::string(size, 'x');
        if (mtime != 0) SetTime(path, mtime);
        return path;
    }

    static void SetTime(const std::string& path, std::time_t mtime) {
        const timespec times[2] = {{mtime, 0}, {mtime, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }

  private:
    std::string root_;
};

// Permission checks do not hold for the superuser, who may write anywhere.
inline bool PermissionsApply() {
    return ::geteuid() != 0;
}

}  // namespace pixelary::testing
