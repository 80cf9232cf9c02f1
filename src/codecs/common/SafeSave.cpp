// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/common/SafeSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>

namespace pixcodec {

namespace {

// Room left in a file name for the temporary's dot, suffix and random part.
constexpr std::size_t kMaxStemBytes = NAME_MAX - 16;
constexpr int kNameAttempts = 64;
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as fopen does
constexpr mode_t kPrivateMode = 0600;  // until the target's own permissions are set
constexpr std::size_t kCopyBlock = 64 * 1024;

// A file descriptor closed on scope exit.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Closes now; false when the kernel reported a late write error.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return close(fd) == 0;
    }

  private:
    int fd_;
};

// A symbolic link is followed, so the file it names is replaced and the link stays.
std::string ResolveTarget(const char* target) {
    struct stat link {};
    if (lstat(target, &link) == 0 && S_ISLNK(link.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> real(realpath(target, nullptr), &std::free);
        if (real) return real.get();
    }
    return target;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t done = write(fd, data, size);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        data += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

void CopyFile(const std::string& from, int to) {
    Descriptor in(open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in) Fail(PIX_ERR_OPEN);
    std::unique_ptr<char[]> block(new char[kCopyBlock]);
    for (;;) {
        const ssize_t got = read(in.get(), block.get(), kCopyBlock);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Fail(PIX_ERR_OPEN);
        if (got == 0) return;
        if (!WriteAll(to, block.get(), static_cast<std::size_t>(got))) Fail(PIX_ERR_WRITE);
    }
}

// Best effort: makes the rename itself durable; the data already is.
void SyncFolder(const std::string& folder) {
    Descriptor dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir) fsync(dir.get());
}

}  // namespace

SafeSave::OwnedFile::~OwnedFile() {
    if (!keep && !path.empty()) unlink(path.c_str());
}

SafeSave::SafeSave(const char* target, bool startFromTarget) : target_(ResolveTarget(target)) {
    struct stat existing {};
    if (stat(target_.c_str(), &existing) == 0) {
        // Only a regular file the user may write is replaced, as opening it for writing would.
        if (!S_ISREG(existing.st_mode) || access(target_.c_str(), W_OK) != 0) {
            Fail(PIX_ERR_CREATE);
        }
        permissions_ = {true, static_cast<unsigned>(existing.st_mode & 07777), existing.st_uid,
                        existing.st_gid};
    }
    Descriptor out(CreateTemporary());
    if (startFromTarget && permissions_.replacing) CopyFile(target_, out.get());
    if (!out.Close()) Fail(PIX_ERR_WRITE);
}

int SafeSave::CreateTemporary() {
    const std::string stem =
        FolderOf(target_) + "/." + NameOf(target_).substr(0, kMaxStemBytes) + ".";
    std::mt19937 random(std::random_device{}());
    const mode_t mode = permissions_.replacing ? kPrivateMode : kNewFileMode;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%06x.tmp",
                      static_cast<unsigned>(random() & 0xFFFFFF));
        const std::string path = stem + suffix;
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            temporary_.path = path;
            return fd;
        }
        if (errno != EEXIST) break;
    }
    Fail(PIX_ERR_CREATE);
}

void SafeSave::Commit() {
    Descriptor file(open(temporary_.path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file || fsync(file.get()) != 0) Fail(PIX_ERR_WRITE);
    if (permissions_.replacing) {
        if (fchmod(file.get(), static_cast<mode_t>(permissions_.mode)) != 0) Fail(PIX_ERR_WRITE);
        if (fchown(file.get(), permissions_.owner, permissions_.group) != 0 &&
            fchown(file.get(), static_cast<uid_t>(-1), permissions_.group) != 0) {
            // Neither owner nor group may be given: the new file is the saving user's own.
        }
    }
    if (rename(temporary_.path.c_str(), target_.c_str()) != 0) Fail(PIX_ERR_WRITE);
    temporary_.keep = true;
    SyncFolder(FolderOf(target_));
}

}  // namespace pixcodec
