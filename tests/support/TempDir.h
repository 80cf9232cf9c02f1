// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace pixelary::testing {

// A fresh folder under the system's temporary directory, removed with everything in it; the one
// temporary-folder helper of every test.
class TempDir {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "pixelary-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~TempDir() {
        // A folder a test made read-only would keep its entries; open everything up first.
        std::error_code ignored;
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
            if (it->is_directory(ignored)) {
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ignored);
            }
        }
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // The path with a trailing "/", as the cache keeps its directory.
    std::string Slash() const { return path_ + "/"; }
    // The path of relative inside the folder (nothing is made).
    std::string File(const std::string& relative) const { return path_ + "/" + relative; }

    // Makes the folder relative (with its parents) and returns its path.
    std::string Folder(const std::string& relative) const {
        std::filesystem::create_directories(File(relative));
        return File(relative);
    }

    // Makes a file of size bytes whose modification time is mtime (seconds since the epoch, 0
    // leaves it now) and returns its path.
    std::string MakeFile(const std::string& relative, std::size_t size,
                         std::time_t mtime = 0) const {
        const std::string path = File(relative);
        std::ofstream(path, std::ios::binary) << std::string(size, 'x');
        if (mtime != 0) SetTime(path, mtime);
        return path;
    }

    static void SetTime(const std::string& path, std::time_t mtime) {
        const timespec times[2] = {{mtime, 0}, {mtime, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }

  private:
    std::string path_;
};

// Permission checks do not hold for the superuser, who may write anywhere.
inline bool PermissionsApply() {
    return ::geteuid() != 0;
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline void WriteFileOfSize(const std::string& path, std::size_t size) {
    WriteFile(path, std::vector<std::uint8_t>(size, 0x5A));
}

inline std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace pixelary::testing
