// SPDX-License-Identifier: GPL-3.0-or-later
// GIF through giflib: the first frame on its logical screen, palette kept, the transparent
// colour shown as white; writing quantises true colour to a palette.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>

#include "codecs/main/MainCodecs.h"

namespace pixcodec {

namespace {

constexpr std::uint32_t kTransparentColour = 0xFFFFFF;
constexpr int kNoTransparency = -1;
constexpr int kGraphicsControlLength = 4;

// Interlaced GIF rows arrive in four passes: start row and step of each.
constexpr int kPassStart[4] = {0, 4, 2, 1};
constexpr int kPassStep[4] = {8, 8, 4, 2};

struct GifReadHandle {
    GifFileType* gif = nullptr;
    ~GifReadHandle() {
        if (gif) DGifCloseFile(gif, nullptr);
    }
};

struct GifWriteHandle {
    GifFileType* gif = nullptr;
    ~GifWriteHandle() {
        if (gif) EGifCloseFile(gif, nullptr);
    }
    // Closes now so a failed final flush is reported.
    bool Close() {
        const int result = EGifCloseFile(gif, nullptr);
        gif = nullptr;
        return result == GIF_OK;
    }
};

void ReadExtension(GifFileType* gif, int& transparent) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) Fail(PIX_ERR_CORRUPT);
    if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= kGraphicsControlLength &&
        (block[1] & 1)) {
        transparent = block[4];
    }
    while (block) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) Fail(PIX_ERR_CORRUPT);
    }
}

// Decodes the frame line by line onto its logical screen, keeping only the screen rows the
// host samples (interlaced frames too: every line knows its row).
void ReadFrame(GifFileType* gif, int transparent, const PixReadArgs* args, Image& image,
               Progress& progress) {
    if (DGifGetImageDesc(gif) == GIF_ERROR) Fail(PIX_ERR_CORRUPT);
    const GifImageDesc& d = gif->Image;
    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    if (!map || d.Width <= 0 || d.Height <= 0) Fail(PIX_ERR_FORMAT);
    const int width = std::max(gif->SWidth, d.Left + d.Width);
    const int height = std::max(gif->SHeight, d.Top + d.Height);
    CheckSize(d.Width, d.Height);
    CheckSize(width, height);
    const RowPicker picker(height, AskTarget(args, width, height, 8));
    image.Allocate(width, picker.Rows(), 8);
    image.palette.assign(256, 0);
    for (int i = 0; i < map->ColorCount && i < 256; ++i) {
        const GifColorType& c = map->Colors[i];
        image.palette[i] = c.Red << 16 | c.Green << 8 | c.Blue;
    }
    int background = gif->SColorMap ? gif->SBackGroundColor : 0;
    if (transparent != kNoTransparency) {
        image.palette[transparent] = kTransparentColour;
        background = transparent;
    }
    std::fill(image.pixels.begin(), image.pixels.end(), static_cast<std::uint8_t>(background));
    std::vector<GifPixelType> line(d.Width);
    auto readRow = [&](int y) {
        if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR) Fail(PIX_ERR_CORRUPT);
        const int kept = picker.DestinationOf(d.Top + y);
        if (kept >= 0) std::memcpy(image.Row(kept) + d.Left, line.data(), line.size());
    };
    int done = 0;
    if (d.Interlace) {
        for (int pass = 0; pass < 4; ++pass) {
            for (int y = kPassStart[pass]; y < d.Height; y += kPassStep[pass]) {
                readRow(y);
                progress.Rows(++done, d.Height);
            }
        }
    } else {
        for (int y = 0; y < d.Height; ++y) {
            readRow(y);
            progress.Rows(++done, d.Height);
        }
    }
}

// The palette of a 1-, 4- or 8-bit picture as giflib's colour map; the caller frees it.
ColorMapObject* ColourMapOf(const Image& image) {
    const int colours = 1 << image.bitCount;
    std::vector<GifColorType> entries(colours);
    for (int i = 0; i < colours; ++i) {
        const std::uint32_t c =
            static_cast<std::size_t>(i) < image.palette.size() ? image.palette[i] : 0;
        entries[i] = {static_cast<GifByteType>(c >> 16), static_cast<GifByteType>(c >> 8),
                      static_cast<GifByteType>(c)};
    }
    ColorMapObject* map = GifMakeMapObject(colours, entries.data());
    if (!map) Fail(PIX_ERR_MEMORY);
    return map;
}

// One byte a pixel, as giflib takes rows.
void UnpackRow(const Image& image, int y, std::vector<GifPixelType>& line) {
    const std::uint8_t* row = image.Row(y);
    for (int x = 0; x < image.width; ++x) {
        switch (image.bitCount) {
            case 1:
                line[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
                break;
            case 4:
                line[x] = (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
                break;
            default:
                line[x] = row[x];
        }
    }
}

}  // namespace

Image ReadGif(const char* path, Progress& progress, const PixReadArgs* args) {
    int error = 0;
    GifReadHandle h;
    // giflib closes the descriptor, also when the open fails.
    const int fd = pixelary::OpenRegularFile(path);
    if (fd < 0) Fail(PIX_ERR_OPEN);
    h.gif = DGifOpenFileHandle(fd, &error);
    if (!h.gif) Fail(error == D_GIF_ERR_OPEN_FAILED ? PIX_ERR_OPEN : PIX_ERR_FORMAT);
    CheckSize(std::max(h.gif->SWidth, 1), std::max(h.gif->SHeight, 1));
    int transparent = kNoTransparency;
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(h.gif, &record) == GIF_ERROR) Fail(PIX_ERR_CORRUPT);
        if (record == EXTENSION_RECORD_TYPE) {
            ReadExtension(h.gif, transparent);
        } else if (record == IMAGE_DESC_RECORD_TYPE) {
            Image image;
            ReadFrame(h.gif, transparent, args, image, progress);
            return image;
        } else if (record == TERMINATE_RECORD_TYPE) {
            Fail(PIX_ERR_CORRUPT);
        }
    }
}

void WriteGif(const char* path, const Image& source, const WriteOptions& options,
              Progress& progress) {
    int depth = options.depth;
    if (depth == 0 || depth == 24) depth = source.bitCount <= 8 ? source.bitCount : 8;
    const Image image = ConvertDepth(Image(source), depth);
    ColorMapObject* map = ColourMapOf(image);
    int error = 0;
    GifWriteHandle h;
    h.gif = EGifOpenFileName(path, false, &error);
    const bool opened = h.gif != nullptr;
    const bool described =
        opened &&
        EGifPutScreenDesc(h.gif, image.width, image.height, image.bitCount, 0, map) == GIF_OK &&
        EGifPutImageDesc(h.gif, 0, 0, image.width, image.height, false, nullptr) == GIF_OK;
    GifFreeMapObject(map);
    if (!opened) Fail(PIX_ERR_CREATE);
    if (!described) Fail(PIX_ERR_WRITE);
    std::vector<GifPixelType> line(image.width);
    for (int y = 0; y < image.height; ++y) {
        UnpackRow(image, y, line);
        if (EGifPutLine(h.gif, line.data(), image.width) == GIF_ERROR) Fail(PIX_ERR_WRITE);
        progress.Rows(y + 1, image.height);
    }
    if (!h.Close()) Fail(PIX_ERR_WRITE);
}

}  // namespace pixcodec
