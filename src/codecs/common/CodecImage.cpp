// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/common/CodecImage.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace pixcodec {

namespace {

std::uint8_t Expand5(std::uint32_t v) {
    return static_cast<std::uint8_t>(v * 8 + (v & 1) * 7);
}
std::uint8_t Expand6(std::uint32_t v) {
    return static_cast<std::uint8_t>(v * 4 + (v & 1) * 3);
}

int IndexAt(const std::uint8_t* row, int x, int bitCount) {
    switch (bitCount) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4:
            return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
        default:
            return row[x];
    }
}

void SetIndex(std::uint8_t* row, int x, int bitCount, int index) {
    switch (bitCount) {
        case 1:
            if (index) row[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
            break;
        case 4:
            row[x >> 1] |= static_cast<std::uint8_t>((x & 1) ? index & 0x0F : index << 4);
            break;
        default:
            row[x] = static_cast<std::uint8_t>(index);
    }
}

int Luma(std::uint32_t rgb) {
    const int r = (rgb >> 16) & 0xFF;
    const int g = (rgb >> 8) & 0xFF;
    const int b = rgb & 0xFF;
    return (r * 299 + g * 587 + b * 114 + 500) / 1000;
}

bool IsValidBitCount(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 15 || bits == 16 || bits == 24 ||
           bits == 32;
}

}  // namespace

void CheckSize(std::int64_t width, std::int64_t height) {
    if (width < 1 || height < 1) Fail(PIX_ERR_FORMAT);
    if (width > PIX_MAX_SIDE || height > PIX_MAX_SIDE || width * height > PIX_MAX_PIXELS) {
        Fail(PIX_ERR_TOO_LARGE);
    }
}

std::size_t StrideFor(int width, int bitCount) {
    const int storedBits = bitCount == 15 ? 16 : bitCount;
    return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(storedBits) + 31) / 32) * 4;
}

void Image::Allocate(int w, int h, int bits) {
    CheckSize(w, h);
    if (!IsValidBitCount(bits)) Fail(PIX_ERR_UNSUPPORTED);
    width = w;
    height = h;
    bitCount = bits;
    stride = StrideFor(w, bits);
    pixels.assign(stride * static_cast<std::size_t>(h), 0);
}

std::uint32_t Image::Rgb(int x, int y) const {
    const std::uint8_t* row = Row(y);
    switch (bitCount) {
        case 1:
        case 4:
        case 8: {
            const auto index = static_cast<std::size_t>(IndexAt(row, x, bitCount));
            return index < palette.size() ? palette[index] & 0xFFFFFF : 0;
        }
        case 15:
        case 16: {
            const std::uint32_t v = row[2 * x] | (row[2 * x + 1] << 8);
            if (bitCount == 15) {
                return Expand5((v >> 10) & 31) << 16 | Expand5((v >> 5) & 31) << 8 |
                       Expand5(v & 31);
            }
            return Expand5(v >> 11) << 16 | Expand6((v >> 5) & 63) << 8 | Expand5(v & 31);
        }
        case 24:
            return row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x];
        default:
            return row[4 * x + 2] << 16 | row[4 * x + 1] << 8 | row[4 * x];
    }
}

bool Image::IsGrey() const {
    if (bitCount > 8) return false;
    for (std::uint32_t c : palette) {
        if (((c >> 16) & 0xFF) != (c & 0xFF) || ((c >> 8) & 0xFF) != (c & 0xFF)) return false;
    }
    return true;
}

Image ToRgb24(const Image& source) {
    Image out;
    out.Allocate(source.width, source.height, 24);
    for (int y = 0; y < source.height; ++y) {
        std::uint8_t* row = out.Row(y);
        for (int x = 0; x < source.width; ++x) {
            const std::uint32_t c = source.Rgb(x, y);
            row[3 * x] = c & 0xFF;
            row[3 * x + 1] = (c >> 8) & 0xFF;
            row[3 * x + 2] = (c >> 16) & 0xFF;
        }
    }
    return out;
}

Image ToGrey8(const Image& source) {
    Image out;
    out.Allocate(source.width, source.height, 8);
    out.palette.resize(256);
    for (std::uint32_t i = 0; i < 256; ++i) out.palette[i] = i << 16 | i << 8 | i;
    for (int y = 0; y < source.height; ++y) {
        std::uint8_t* row = out.Row(y);
        for (int x = 0; x < source.width; ++x) {
            row[x] = static_cast<std::uint8_t>(Luma(source.Rgb(x, y)));
        }
    }
    return out;
}

// Declared in Quantize.cpp.
std::vector<std::uint32_t> MedianCutPalette(const Image& rgb, std::size_t colours);
int NearestIndex(const std::vector<std::uint32_t>& palette, std::uint32_t rgb);
bool ExactPalette(const Image& source, std::size_t limit, std::vector<std::uint32_t>& palette);

Image ToIndexed(const Image& source, int bitCount) {
    const std::size_t limit = std::size_t{1} << bitCount;
    Image out;
    out.Allocate(source.width, source.height, bitCount);
    std::vector<std::uint32_t> palette;
    const bool exact = ExactPalette(source, limit, palette);
    if (!exact) {
        palette = bitCount == 1 ? std::vector<std::uint32_t>{0x000000, 0xFFFFFF}
                                : MedianCutPalette(ToRgb24(source), limit);
    }
    out.palette = palette;
    // Exact palettes map each colour once; approximate ones once per 5-bit grid cell.
    std::unordered_map<std::uint32_t, int> exactIndex;
    if (exact) {
        for (std::size_t i = palette.size(); i-- > 0;) exactIndex[palette[i]] = int(i);
    }
    std::vector<std::int16_t> gridIndex(exact ? 0 : 1 << 15, -1);
    for (int y = 0; y < source.height; ++y) {
        std::uint8_t* row = out.Row(y);
        for (int x = 0; x < source.width; ++x) {
            const std::uint32_t c = source.Rgb(x, y);
            int index = 0;
            if (exact) {
                index = exactIndex[c];
            } else if (bitCount == 1) {
                index = Luma(c) >= 128 ? 1 : 0;
            } else {
                const std::uint32_t cell =
                    ((c >> 19) & 31) << 10 | ((c >> 11) & 31) << 5 | ((c >> 3) & 31);
                if (gridIndex[cell] < 0) {
                    gridIndex[cell] = static_cast<std::int16_t>(NearestIndex(palette, c));
                }
                index = gridIndex[cell];
            }
            SetIndex(row, x, bitCount, index);
        }
    }
    return out;
}

Image ConvertDepth(Image source, int depth) {
    if (depth == 0 || depth == source.bitCount) return source;
    if (depth == 24) return ToRgb24(source);
    if (depth == 1 || depth == 4 || depth == 8) return ToIndexed(source, depth);
    Fail(PIX_ERR_ARGUMENT);
}

Image FromView(const PixImageView* view) {
    if (!view || !view->pixels) Fail(PIX_ERR_ARGUMENT);
    const PixImageInfo& info = view->info;
    Image image;
    image.Allocate(info.width, info.height, info.bitCount);
    const std::size_t rowBytes =
        (static_cast<std::size_t>(info.width) * (info.bitCount == 15 ? 16 : info.bitCount) + 7) / 8;
    if (view->stride < 0 || static_cast<std::size_t>(view->stride) < rowBytes) {
        Fail(PIX_ERR_ARGUMENT);
    }
    if (info.paletteCount > PIX_MAX_PALETTE) Fail(PIX_ERR_ARGUMENT);
    if (info.bitCount <= 8) {
        image.palette.assign(info.palette, info.palette + info.paletteCount);
        image.palette.resize(std::size_t{1} << info.bitCount, 0);
    }
    for (int y = 0; y < info.height; ++y) {
        std::memcpy(image.Row(y), view->pixels + static_cast<std::size_t>(y) * view->stride,
                    rowBytes);
    }
    return image;
}

bool Progress::StopRequested() {
    return callback_ && callback_(host_, last_ < 0 ? 0 : last_) != 0;
}

void Progress::Rows(int done, int total) {
    if (!callback_ || total <= 0) return;
    const int percent = static_cast<int>(static_cast<std::int64_t>(done) * 100 / total);
    if (percent == last_) return;
    last_ = percent;
    if (callback_(host_, percent) != 0) Fail(PIX_ERR_CANCELLED);
}

namespace {

std::size_t RowBytes(int width, int bitCount) {
    return (static_cast<std::size_t>(width) * (bitCount == 15 ? 16 : bitCount) + 7) / 8;
}

// Asks the host for a picture's rows; refuses buffers too small for them.
PixPixelBuffer HostRows(int width, int height, int bitCount,
                        const std::vector<std::uint32_t>& palette, const PixReadArgs* args) {
    PixImageInfo info{};
    info.width = width;
    info.height = height;
    info.bitCount = bitCount;
    if (bitCount <= 8) {
        const std::size_t count = std::min<std::size_t>(palette.size(), PIX_MAX_PALETTE);
        info.paletteCount = static_cast<std::uint32_t>(count);
        std::copy_n(palette.begin(), count, info.palette);
    }
    PixPixelBuffer buffer{};
    if (args->allocate(args->host, &info, &buffer) == 0 || !buffer.pixels) Fail(PIX_ERR_HOST);
    if (buffer.stride < 0 || static_cast<std::size_t>(buffer.stride) < RowBytes(width, bitCount)) {
        Fail(PIX_ERR_HOST);
    }
    return buffer;
}

}  // namespace

bool AllocateInHost(Image& image, int width, int height, int bits,
                    const std::vector<std::uint32_t>& palette, const PixReadArgs* args) {
    if (args->depth != 0 && args->depth != bits) return false;
    CheckSize(width, height);
    const PixPixelBuffer buffer = HostRows(width, height, bits, palette, args);
    image.width = width;
    image.height = height;
    image.bitCount = bits;
    image.stride = static_cast<std::size_t>(buffer.stride);
    image.palette = palette;
    image.pixels.clear();
    image.hostRows = buffer.pixels;
    return true;
}

std::int32_t Deliver(Image image, const PixReadArgs* args) {
    if (image.hostRows) return PIX_OK;
    Image out = ConvertDepth(std::move(image), args->depth);
    const PixPixelBuffer buffer = HostRows(out.width, out.height, out.bitCount, out.palette, args);
    const std::size_t rowBytes = RowBytes(out.width, out.bitCount);
    for (int y = 0; y < out.height; ++y) {
        std::memcpy(buffer.pixels + static_cast<std::size_t>(y) * buffer.stride, out.Row(y),
                    rowBytes);
    }
    return PIX_OK;
}

SampleTarget AskTarget(const PixReadArgs* args, int fullWidth, int fullHeight, int bitCount) {
    SampleTarget target;
    if (!args || args->structSize < sizeof(PixReadArgs) || !args->target) return target;
    PixImageInfo full{};
    full.width = fullWidth;
    full.height = fullHeight;
    full.bitCount = bitCount;
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (args->target(args->host, &full, &width, &height) == 0) return target;
    if (width < 1 || height < 1 || width > PIX_MAX_SIDE || height > PIX_MAX_SIDE) {
        Fail(PIX_ERR_HOST);
    }
    target.width = width;
    target.height = height;
    return target;
}

int ReductionFor(int fullWidth, int fullHeight, const SampleTarget& target) {
    if (!target.Active()) return 1;
    for (int d : {8, 4, 2}) {
        const int w = (fullWidth + d - 1) / d;
        const int h = (fullHeight + d - 1) / d;
        if (w >= target.width && h >= target.height) return d;
    }
    return 1;
}

RowPicker::RowPicker(int sourceHeight, const SampleTarget& target)
    : source_height_(sourceHeight),
      rows_(target.Active() && target.height < sourceHeight ? target.height : sourceHeight) {}

int RowPicker::DestinationOf(int sourceRow) const {
    if (rows_ == source_height_) return sourceRow;
    // The smallest i with floor(i * H / rows) >= sourceRow, kept when it lands exactly there.
    const std::int64_t i = (std::int64_t{sourceRow} * rows_ + source_height_ - 1) / source_height_;
    if (i >= rows_ || i * source_height_ / rows_ != sourceRow) return -1;
    return static_cast<int>(i);
}

void CheckReadArgs(const char* path, const PixReadArgs* args) {
    if (!path || !args || args->structSize < PIX_READ_ARGS_BASE_SIZE || !args->allocate) {
        Fail(PIX_ERR_ARGUMENT);
    }
    const int d = args->depth;
    if (d != 0 && d != 1 && d != 4 && d != 8 && d != 24) Fail(PIX_ERR_ARGUMENT);
}

void CheckWriteArgs(const char* path, const PixWriteArgs* args) {
    if (!path || !args || args->structSize < sizeof(PixWriteArgs) || !args->image) {
        Fail(PIX_ERR_ARGUMENT);
    }
    const int d = args->depth;
    if (d != 0 && d != 1 && d != 4 && d != 8 && d != 24) Fail(PIX_ERR_ARGUMENT);
}

bool File::Close() {
    if (!file_) return false;
    const bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok;
}

std::vector<std::uint8_t> ReadWholeFile(const char* path, std::size_t maxBytes) {
    File file(path, "rb");
    if (!file) Fail(PIX_ERR_OPEN);
    if (std::fseek(file.get(), 0, SEEK_END) != 0) Fail(PIX_ERR_OPEN);
    const long size = std::ftell(file.get());
    if (size < 0) Fail(PIX_ERR_OPEN);
    if (static_cast<std::size_t>(size) > maxBytes) Fail(PIX_ERR_TOO_LARGE);
    std::rewind(file.get());
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        Fail(PIX_ERR_CORRUPT);
    }
    return bytes;
}

std::int32_t InitModule(PixSharedState* state, const char* name) {
    if (!state || state->structSize < sizeof(PixSharedState)) return PIX_ERR_ARGUMENT;
    state->moduleAbiVersion = PIX_CODEC_ABI_VERSION;
    std::memset(state->moduleName, 0, sizeof(state->moduleName));
    std::strncpy(state->moduleName, name, sizeof(state->moduleName) - 1);
    return PIX_OK;
}

std::int32_t CopyText(const std::string& text, char* out, std::int32_t size) {
    if (!out || size <= 0) return PIX_ERR_ARGUMENT;
    const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(size) - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return static_cast<std::int32_t>(n) + 1;
}

}  // namespace pixcodec
