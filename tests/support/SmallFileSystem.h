// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace pixelary::testing {

// A folder on which writes fail the way they fail for users: a read-only folder, or a file
// system with no room left. Root ignores permission bits, so for root both are small tmpfs
// mounts (read-only, or filled up); a user gets a folder without write permission. When
// neither works (root without the right to mount), Why() says so and the test skips.
class SmallFileSystem {
  public:
    enum class Kind { ReadOnly, Full };

    SmallFileSystem(const std::string& path, Kind kind) : path_(path) {
        std::filesystem::create_directories(path_);
        if (kind == Kind::ReadOnly && ::geteuid() != 0) {
            ready_ = ::chmod(path_.c_str(), 0555) == 0;
            chmodded_ = ready_;
            return;
        }
        const unsigned long flags = kind == Kind::ReadOnly ? MS_RDONLY : 0;
        if (::mount("tmpfs", path_.c_str(), "tmpfs", flags, "size=64k") != 0) {
            why_ = "cannot mount a small tmpfs at " + path_ + " (" + std::strerror(errno) +
                   "): root ignores permissions, so this needs the right to mount";
            return;
        }
        mounted_ = true;
        ready_ = kind == Kind::ReadOnly || Fill();
        if (!ready_) why_ = "could not fill the small tmpfs";
    }
    ~SmallFileSystem() {
        if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
        if (chmodded_) ::chmod(path_.c_str(), 0755);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool Ready() const { return ready_; }
    const std::string& Why() const { return why_; }

  private:
    // Writes until the file system refuses another byte.
    bool Fill() {
        std::ofstream filler(path_ + "/filler", std::ios::binary);
        const std::string block(4096, 'x');
        for (int i = 0; i < 1024 && filler.write(block.data(), block.size()); ++i) filler.flush();
        struct stat st = {};
        return ::stat((path_ + "/filler").c_str(), &st) == 0 && st.st_size > 0;
    }

    std::string path_;
    std::string why_;
    bool mounted_ = false;
    bool chmodded_ = false;
    bool ready_ = false;
};

}  // namespace pixelary::testing
