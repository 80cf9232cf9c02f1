// SPDX-License-Identifier: GPL-3.0-or-later
// EPS: the TIFF preview of a binary EPS when it has one, otherwise the PostScript rendered by
// Ghostscript (-dSAFER, time limit) into a temporary PPM file.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "codecs/common/TiffIo.h"
#include "codecs/main/MainCodecs.h"

extern char** environ;

namespace pixcodec {

namespace {

// Binary EPS header (30 bytes, little-endian).
constexpr std::uint8_t kBinaryMagic[4] = {0xC5, 0xD0, 0xD3, 0xC6};  // +0
constexpr std::size_t kPsOffsetAt = 4;     // +4 PostScript offset, +8 length
constexpr std::size_t kTiffOffsetAt = 20;  // +20 TIFF preview offset, +24 length
constexpr std::size_t kBinaryHeaderSize = 30;
constexpr int kRenderTimeoutSeconds = 20;
// Overrides the time limit (whole seconds, 1..600), for tests and slow machines.
constexpr const char* kTimeoutVariable = "PIXELARY_EPS_TIMEOUT";
constexpr long kMaxTimeoutSeconds = 600;
constexpr auto kPollInterval = std::chrono::milliseconds(10);
constexpr const char* kRenderDpi = "-r72";
constexpr std::size_t kMaxPpmHeader = 256;

std::uint32_t U32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
}

// A temporary file removed on scope exit.
class TempFile {
  public:
    explicit TempFile(const char* suffix) {
        const char* dir = std::getenv("TMPDIR");
        path_ = std::string(dir && *dir ? dir : "/tmp") + "/pixeps-XXXXXX" + suffix;
        const int fd = mkstemps(path_.data(), static_cast<int>(std::strlen(suffix)));
        if (fd < 0) Fail(PIX_ERR_RENDER);
        close(fd);
    }
    ~TempFile() { unlink(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

std::chrono::seconds RenderTimeout() {
    const char* text = std::getenv(kTimeoutVariable);
    const long seconds = text ? std::strtol(text, nullptr, 10) : 0;
    return std::chrono::seconds(
        seconds >= 1 && seconds <= kMaxTimeoutSeconds ? seconds : kRenderTimeoutSeconds);
}

// The drawing's box in points (1/72 inch), from the "%%BoundingBox:" comment.
struct BoundingBox {
    long left = 0, bottom = 0, width = 0, height = 0;
};

// Finds the first complete "%%BoundingBox: llx lly urx ury" (an "(atend)" entry is skipped)
// and checks the page it makes at 72 dpi against the limits, so Ghostscript is never asked to
// render (and write) a gigantic page.
BoundingBox FindBoundingBox(const std::vector<std::uint8_t>& postscript) {
    const std::string text(postscript.begin(), postscript.end());
    const std::string key = "%%BoundingBox:";
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
        double llx = 0, lly = 0, urx = 0, ury = 0;
        const std::size_t start = at + key.size();
        const std::size_t end = text.find_first_of("\r\n", start);
        const std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        if (std::sscanf(line.c_str(), "%lf %lf %lf %lf", &llx, &lly, &urx, &ury) != 4) continue;
        const double width = std::ceil(urx - llx), height = std::ceil(ury - lly);
        if (!(width >= 1 && height >= 1 && width <= PIX_MAX_SIDE && height <= PIX_MAX_SIDE)) {
            Fail(PIX_ERR_TOO_LARGE);
        }
        CheckSize(static_cast<std::int64_t>(width), static_cast<std::int64_t>(height));
        return {static_cast<long>(std::floor(llx)), static_cast<long>(std::floor(lly)),
                static_cast<long>(width), static_cast<long>(height)};
    }
    Fail(PIX_ERR_FORMAT);
}

// Runs gs on a fixed page of the box's size (the file cannot enlarge it) and waits for it,
// killing it when it overruns the time limit.
bool RunGhostscript(const std::string& input, const std::string& output, const BoundingBox& box,
                    Progress& progress) {
    const std::string target = "-sOutputFile=" + output;
    const std::string width = "-dDEVICEWIDTHPOINTS=" + std::to_string(box.width);
    const std::string height = "-dDEVICEHEIGHTPOINTS=" + std::to_string(box.height);
    const std::string shift =
        std::to_string(-box.left) + " " + std::to_string(-box.bottom) + " translate";
    const char* argv[] = {"gs",          "-q",           "-dSAFER",
                          "-dBATCH",     "-dNOPAUSE",    "-dFIXEDMEDIA",
                          width.c_str(), height.c_str(), "-sDEVICE=ppmraw",
                          kRenderDpi,    target.c_str(), "-c",
                          shift.c_str(), "-f",           input.c_str(),
                          nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned =
        posix_spawnp(&pid, "gs", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + RenderTimeout();
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0) return false;
        if (std::chrono::steady_clock::now() > deadline || progress.StopRequested()) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Reads a binary PPM (P6, maxval 255) as Ghostscript writes it.
Image ReadPpm(const std::vector<std::uint8_t>& b) {
    std::size_t at = 0;
    auto token = [&]() {
        std::string text;
        while (at < b.size() && at < kMaxPpmHeader) {
            const char c = static_cast<char>(b[at]);
            if (c == '#') {
                while (at < b.size() && b[at] != '\n') ++at;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++at;
                if (!text.empty()) break;
            } else {
                text += c;
                ++at;
            }
        }
        return text;
    };
    if (token() != "P6") Fail(PIX_ERR_RENDER);
    const long width = std::strtol(token().c_str(), nullptr, 10);
    const long height = std::strtol(token().c_str(), nullptr, 10);
    const long maxval = std::strtol(token().c_str(), nullptr, 10);
    CheckSize(width, height);
    if (maxval != 255) Fail(PIX_ERR_RENDER);
    Image image;
    image.Allocate(static_cast<int>(width), static_cast<int>(height), 24);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    if (b.size() < at || b.size() - at < rowBytes * height) Fail(PIX_ERR_RENDER);
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* src = &b[at + rowBytes * y];
        std::uint8_t* row = image.Row(y);
        for (int x = 0; x < image.width; ++x) {
            row[3 * x] = src[3 * x + 2];
            row[3 * x + 1] = src[3 * x + 1];
            row[3 * x + 2] = src[3 * x];
        }
    }
    return image;
}

Image Render(const std::vector<std::uint8_t>& postscript, Progress& progress) {
    const BoundingBox box = FindBoundingBox(postscript);
    TempFile input(".eps");
    TempFile output(".ppm");
    {
        File file(input.Path().c_str(), "wb");
        if (!file ||
            std::fwrite(postscript.data(), 1, postscript.size(), file.get()) != postscript.size() ||
            !file.Close()) {
            Fail(PIX_ERR_RENDER);
        }
    }
    if (!RunGhostscript(input.Path(), output.Path(), box, progress)) Fail(PIX_ERR_RENDER);
    return ReadPpm(ReadWholeFile(output.Path().c_str(), kMaxFileBytes));
}

// The byte range [offset, offset + length) of b, refused when it lies outside.
std::vector<std::uint8_t> Section(const std::vector<std::uint8_t>& b, std::uint32_t offset,
                                  std::uint32_t length) {
    if (offset > b.size() || length > b.size() - offset || length == 0) Fail(PIX_ERR_CORRUPT);
    return {b.begin() + offset, b.begin() + offset + length};
}

}  // namespace

Image ReadEps(const char* path, Progress& progress) {
    const std::vector<std::uint8_t> b = ReadWholeFile(path, kMaxFileBytes);
    const bool binary =
        b.size() >= kBinaryHeaderSize && std::equal(kBinaryMagic, kBinaryMagic + 4, b.begin());
    if (!binary) {
        if (b.size() < 2 || b[0] != '%' || b[1] != '!') Fail(PIX_ERR_FORMAT);
        return Render(b, progress);
    }
    const std::uint32_t tiffOffset = U32(&b[kTiffOffsetAt]);
    const std::uint32_t tiffLength = U32(&b[kTiffOffsetAt + 4]);
    if (tiffOffset != 0 && tiffLength != 0) {
        const std::vector<std::uint8_t> preview = Section(b, tiffOffset, tiffLength);
        TiffHandle tiff(preview);
        return DecodeTiff(tiff, 0, progress);
    }
    return Render(Section(b, U32(&b[kPsOffsetAt]), U32(&b[kPsOffsetAt + 4])), progress);
}

}  // namespace pixcodec
