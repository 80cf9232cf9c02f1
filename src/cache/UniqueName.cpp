// SPDX-License-Identifier: GPL-3.0-or-later
#include "cache/UniqueName.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/Exception.h"

namespace pixelary {
namespace {

constexpr unsigned kNumberCount = 0x10000;  // a 16-bit number, 0 never used
constexpr mode_t kFileMode = 0644;

std::uint16_t ClockSeed() {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint16_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(ticks).count());
}

// Shared by every caller so that consecutive names do not retry the same taken numbers.
std::atomic<std::uint32_t> g_next{ClockSeed()};

std::uint16_t NextNumber() {
    for (;;) {
        const auto number = static_cast<std::uint16_t>(g_next.fetch_add(1));
        if (number != 0) return number;
    }
}

std::string NameFor(const std::string& prefix, std::uint16_t number) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(number));
    return prefix + digits + ".TMP";
}

}  // namespace

std::string TempDirectory() {
    const char* env = std::getenv("TMPDIR");
    std::string dir = env != nullptr && *env != '\0' ? env : "/tmp";
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

std::string CreateUniqueTempFile(const std::string& directory, const std::string& prefix) {
    std::string base = directory;
    if (!base.empty() && base.back() != '/') base += '/';
    for (unsigned attempt = 1; attempt < kNumberCount; ++attempt) {
        const std::string path = base + NameFor(prefix, NextNumber());
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST) break;
    }
    throw EFCreateError("Cannot create a temporary file in \"" + directory + "\"");
}

}  // namespace pixelary
