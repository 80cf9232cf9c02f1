// SPDX-License-Identifier: GPL-3.0-or-later
#include "scanner/ThumbnailPng.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csetjmp>
#include <cstring>

namespace pixelary {
namespace {

constexpr std::size_t kSignatureBytes = 8;
constexpr std::size_t kSourceBytesPerPixel = 4;  // blue, green, red, alpha as libpng delivers
constexpr std::size_t kBytesPerPixel = 3;
constexpr unsigned kWhite = 255;

// Closes a file descriptor when it goes.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

// The whole file, when it is a regular file no larger than maxBytes. Opened without blocking
// so a FIFO placed under a thumbnail's name cannot stall the scan.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path,
                                                       std::int64_t maxBytes) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
    if (info.st_size < static_cast<off_t>(kSignatureBytes) || info.st_size > maxBytes) return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(file.get(), bytes.data() + done, bytes.size() - done);
        if (got <= 0) return {};  // the file shrank meanwhile, or cannot be read
        done += static_cast<std::size_t>(got);
    }
    return bytes;
}

std::uint32_t BigEndian32(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
           std::uint32_t{bytes[2]} << 8 | bytes[3];
}

// Every chunk up to the end chunk lies inside the file, and no chunk but the pixel data is longer
// than the limit. libpng allocates a text chunk's declared length before reading it, so a tiny
// file declaring a chunk of 2 GiB would otherwise cost that much memory.
bool ChunksFitTheFile(const std::vector<std::uint8_t>& bytes, const ThumbnailPngLimits& limits) {
    constexpr std::size_t kChunkFrame = 12;        // length, type, and the checksum after the data
    constexpr std::uint32_t kEnd = 0x49454E44;     // "IEND"
    constexpr std::uint32_t kPixels = 0x49444154;  // "IDAT"
    std::size_t at = kSignatureBytes;
    for (std::int32_t chunks = 0; chunks <= limits.MaxChunks + 2; ++chunks) {
        if (bytes.size() - at < kChunkFrame) return false;
        const std::uint32_t length = BigEndian32(bytes.data() + at);
        const std::uint32_t type = BigEndian32(bytes.data() + at + 4);
        if (length > bytes.size() - at - kChunkFrame) return false;
        if (type != kPixels && length > limits.MaxChunkBytes) return false;
        if (type == kEnd) return true;
        if (type == kPixels) --chunks;  // pixel data may come in any number of chunks
        at += kChunkFrame + length;
    }
    return false;
}

// libpng's input: the file's bytes; a read past their end is the error of a truncated file.
struct MemoryInput {
    const std::vector<std::uint8_t>* bytes = nullptr;
    std::size_t position = 0;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* input = static_cast<MemoryInput*>(png_get_io_ptr(png));
    if (count > input->bytes->size() - input->position) png_error(png, "truncated");
    std::memcpy(out, input->bytes->data() + input->position, count);
    input->position += count;
}

// libpng reports errors by calling this, which jumps back to the setjmp in DecodeRows.
[[noreturn]] void OnPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnPngWarning(png_structp, png_const_charp) {}

// Owns libpng's read structure and the information before and after the pixels.
struct PngRead {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_infop endInfo = nullptr;
    ~PngRead() { png_destroy_read_struct(&png, &info, &endInfo); }
};

// Adds the text chunks of info to the result; false when a value is longer than allowed.
bool CollectText(png_structp png, png_infop info, std::size_t maxTextBytes, ThumbnailPng& out) {
    png_textp texts = nullptr;
    const int count = png_get_text(png, info, &texts, nullptr);
    for (int i = 0; i < count; ++i) {
        const png_text& text = texts[i];
        const std::size_t length =
            text.compression > PNG_TEXT_COMPRESSION_zTXt ? text.itxt_length : text.text_length;
        if (length > maxTextBytes) return false;
        out.Text.emplace_back(text.key ? text.key : "",
                              text.text ? std::string(text.text, length) : std::string());
    }
    return true;
}

// Every colour type arrives as 8-bit blue, green, red and alpha (opaque where the file has none).
void RequestFourSamples(png_structp png) {
    png_set_strip_16(png);
    png_set_expand(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
}

void CompositeOnWhite(const std::vector<std::uint8_t>& source, ThumbnailPng& out) {
    const std::size_t pixels = source.size() / kSourceBytesPerPixel;
    out.Rows.resize(pixels * kBytesPerPixel);
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint8_t* from = source.data() + i * kSourceBytesPerPixel;
        const unsigned alpha = from[3];
        for (std::size_t c = 0; c < kBytesPerPixel; ++c) {
            out.Rows[i * kBytesPerPixel + c] =
                static_cast<std::uint8_t>((from[c] * alpha + kWhite * (255 - alpha) + 127) / 255);
        }
    }
}

// Everything between the objects below lives in the caller: libpng leaves this function by
// longjmp on any error, which must not skip a destructor.
struct DecodeState {
    PngRead read;
    MemoryInput input;
    const ThumbnailPngCheck* check = nullptr;
    const ThumbnailPngLimits* limits = nullptr;
    ThumbnailPng result;
    std::vector<std::uint8_t> pixels;
    std::vector<png_bytep> rowPointers;
};

bool PrepareRows(DecodeState& s) {
    const std::size_t width = static_cast<std::size_t>(s.result.Width);
    if (png_get_rowbytes(s.read.png, s.read.info) != width * kSourceBytesPerPixel) return false;
    s.pixels.resize(width * kSourceBytesPerPixel * static_cast<std::size_t>(s.result.Height));
    s.rowPointers.resize(static_cast<std::size_t>(s.result.Height));
    for (std::size_t y = 0; y < s.rowPointers.size(); ++y) {
        s.rowPointers[y] = s.pixels.data() + y * width * kSourceBytesPerPixel;
    }
    return true;
}

bool DecodeRows(DecodeState& s) {
    if (setjmp(png_jmpbuf(s.read.png))) return false;
    png_set_read_fn(s.read.png, &s.input, ReadFromMemory);
    png_read_info(s.read.png, s.read.info);
    s.result.Width = static_cast<std::int32_t>(png_get_image_width(s.read.png, s.read.info));
    s.result.Height = static_cast<std::int32_t>(png_get_image_height(s.read.png, s.read.info));
    if (!CollectText(s.read.png, s.read.info, s.limits->MaxTextBytes, s.result)) return false;
    if (*s.check && !(*s.check)(s.result)) return false;
    RequestFourSamples(s.read.png);
    png_read_update_info(s.read.png, s.read.info);
    if (!PrepareRows(s)) return false;
    png_read_image(s.read.png, s.rowPointers.data());
    png_read_end(s.read.png, s.read.endInfo);
    return CollectText(s.read.png, s.read.endInfo, s.limits->MaxTextBytes, s.result);
}

bool SetUp(PngRead& read, const ThumbnailPngLimits& limits) {
    read.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (!read.png) return false;
    read.info = png_create_info_struct(read.png);
    read.endInfo = png_create_info_struct(read.png);
    if (!read.info || !read.endInfo) return false;
    const auto side = static_cast<png_uint_32>(limits.MaxSide);
    png_set_user_limits(read.png, side, side);
    png_set_chunk_malloc_max(read.png, limits.MaxChunkBytes);
    png_set_chunk_cache_max(read.png, static_cast<png_uint_32>(limits.MaxChunks));
    return true;
}

}  // namespace

std::optional<std::string> ThumbnailPng::TextOf(std::string_view key) const {
    std::optional<std::string> value;
    for (const auto& [name, text] : Text) {
        if (name != key) continue;
        if (value && *value != text) return std::nullopt;
        value = text;
    }
    return value;
}

std::optional<ThumbnailPng> ReadThumbnailPng(const std::string& path,
                                             const ThumbnailPngCheck& check,
                                             const ThumbnailPngLimits& limits) {
    const auto bytes = ReadWholeFile(path, limits.MaxFileBytes);
    if (!bytes || png_sig_cmp(bytes->data(), 0, kSignatureBytes) != 0) return {};
    if (!ChunksFitTheFile(*bytes, limits)) return {};
    DecodeState state;
    state.input.bytes = &*bytes;
    state.check = &check;
    state.limits = &limits;
    if (!SetUp(state.read, limits) || !DecodeRows(state)) return {};
    CompositeOnWhite(state.pixels, state.result);
    return std::move(state.result);
}

}  // namespace pixelary
