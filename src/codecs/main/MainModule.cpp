// SPDX-License-Identifier: GPL-3.0-or-later
// Entries of the main codec module: BMP, PNG, GIF, JPEG, TGA and PCX in both directions, EPS
// and PCD for reading, the error texts and "file_info".
#include <cctype>
#include <cstring>
#include <string>

#include "codecs/common/SafeSave.h"
#include "codecs/main/MainCodecs.h"

namespace pixcodec {

namespace {

using Reader = Image (*)(const char*, Progress&);
using Writer = void (*)(const char*, const Image&, const WriteOptions&, Progress&);

std::int32_t RunRead(const char* path, const PixReadArgs* args, Reader reader) {
    return Guard([&] {
        CheckReadArgs(path, args);
        Progress progress(args->host, args->progress);
        return Deliver(reader(path, progress), args);
    });
}

// Decoders that take the host's sampling target.
using TargetedReader = Image (*)(const char*, Progress&, const PixReadArgs*);

std::int32_t RunTargetedRead(const char* path, const PixReadArgs* args, TargetedReader reader) {
    return Guard([&] {
        CheckReadArgs(path, args);
        Progress progress(args->host, args->progress);
        return Deliver(reader(path, progress, args), args);
    });
}

std::int32_t RunWrite(const char* path, const PixWriteArgs* args, Writer writer) {
    return Guard([&] {
        CheckWriteArgs(path, args);
        Progress progress(args->host, args->progress);
        WriteOptions options;
        options.depth = args->depth;
        options.interlaced = args->pngInterlaced != 0;
        options.jpegQuality = args->jpegQuality;
        options.jpegSmooth = args->jpegSmooth;
        const Image image = FromView(args->image);
        SaveSafely(path, false,
                   [&](const char* temporary) { writer(temporary, image, options, progress); });
        return static_cast<std::int32_t>(PIX_OK);
    });
}

// Texts of the result codes, indexed by -code.
constexpr const char* kErrorTexts[] = {
    "Image library error",                     // 0
    "Can't open the file",                     // -1
    "The file is not in the expected format",  // -2
    "This variant of the format is not supported",
    "The picture is too large",
    "The file is damaged or truncated",
    "Not enough memory",
    "Can't create the file",
    "Error while writing the file",
    "Cancelled",
    "Invalid arguments",
    "The page does not exist",
    "The picture could not be rendered",
    "Unexpected error in the image library",
    "The picture could not be stored",  // -14
};
static_assert(sizeof kErrorTexts / sizeof *kErrorTexts == 1 - PIX_ERR_FIRST);

// Sniffs the format from the first bytes, for "file_info".
Reader ReaderFor(const std::vector<std::uint8_t>& head, const char* path) {
    auto starts = [&](const char* magic, std::size_t n) {
        return head.size() >= n && std::memcmp(head.data(), magic, n) == 0;
    };
    if (starts("BM", 2)) return ReadBmp;
    if (starts("\x89PNG", 4)) return [](const char* p, Progress& g) { return ReadPng(p, g); };
    if (starts("GIF8", 4)) return [](const char* p, Progress& g) { return ReadGif(p, g); };
    if (starts("\xFF\xD8", 2)) return [](const char* p, Progress& g) { return ReadJpg(p, g); };
    if (starts("\x0A", 1)) return ReadPcx;
    if (starts("%!", 2) || starts("\xC5\xD0\xD3\xC6", 4)) return ReadEps;
    const std::string name(path);
    const std::size_t dot = name.rfind('.');
    std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "tga") return ReadTga;
    if (ext == "pcd") return ReadPcd;
    Fail(PIX_ERR_FORMAT);
}

constexpr std::size_t kSniffBytes = 16;

}  // namespace

int TargetDepth(const Image& image, int askedDepth) {
    if (askedDepth != 0) return askedDepth;
    return image.bitCount <= 8 ? image.bitCount : 24;
}

}  // namespace pixcodec

using namespace pixcodec;

PIX_EXPORT std::int32_t InitDll(void*, PixSharedState* state) {
    return InitModule(state, PIX_MAIN_MODULE_NAME);
}

PIX_EXPORT std::int32_t error_text(std::int32_t code, char* text, std::int32_t size) {
    if (code > 0 || code < PIX_ERR_FIRST)
        return CopyText("Unknown image library error", text, size);
    return CopyText(kErrorTexts[-code], text, size);
}

PIX_EXPORT std::int32_t file_info(const char* path, PixImageInfo* info) {
    return Guard([&] {
        if (!path || !info) Fail(PIX_ERR_ARGUMENT);
        std::vector<std::uint8_t> head(kSniffBytes);
        {
            File file(path, "rb");
            if (!file) Fail(PIX_ERR_OPEN);
            head.resize(std::fread(head.data(), 1, head.size(), file.get()));
        }
        Progress quiet(nullptr, nullptr);
        const Image image = ReaderFor(head, path)(path, quiet);
        std::memset(info, 0, sizeof *info);
        info->width = image.width;
        info->height = image.height;
        info->bitCount = image.bitCount;
        return static_cast<std::int32_t>(PIX_OK);
    });
}

PIX_EXPORT std::int32_t read_bmp(const char* p, const PixReadArgs* a) {
    return RunRead(p, a, ReadBmp);
}
PIX_EXPORT std::int32_t read_png(const char* p, const PixReadArgs* a) {
    return RunTargetedRead(p, a, ReadPng);
}
PIX_EXPORT std::int32_t read_gif(const char* p, const PixReadArgs* a) {
    return RunTargetedRead(p, a, ReadGif);
}
// JPEG photographs are the largest pictures read: they are decoded into the host's rows.
PIX_EXPORT std::int32_t read_jpg(const char* p, const PixReadArgs* a) {
    return RunTargetedRead(p, a, ReadJpg);
}
PIX_EXPORT std::int32_t read_tga(const char* p, const PixReadArgs* a) {
    return RunRead(p, a, ReadTga);
}
PIX_EXPORT std::int32_t read_pcx(const char* p, const PixReadArgs* a) {
    return RunRead(p, a, ReadPcx);
}
PIX_EXPORT std::int32_t read_pcd(const char* p, const PixReadArgs* a) {
    return RunRead(p, a, ReadPcd);
}
PIX_EXPORT std::int32_t read_eps(const char* p, const PixReadArgs* a) {
    return RunRead(p, a, ReadEps);
}

PIX_EXPORT std::int32_t write_bmp(const char* p, const PixWriteArgs* a) {
    return RunWrite(p, a, WriteBmp);
}
PIX_EXPORT std::int32_t write_png(const char* p, const PixWriteArgs* a) {
    return RunWrite(p, a, WritePng);
}
PIX_EXPORT std::int32_t write_gif(const char* p, const PixWriteArgs* a) {
    return RunWrite(p, a, WriteGif);
}
PIX_EXPORT std::int32_t write_jpg(const char* p, const PixWriteArgs* a) {
    return RunWrite(p, a, WriteJpg);
}
PIX_EXPORT std::int32_t write_tga(const char* p, const PixWriteArgs* a) {
    return RunWrite(p, a, WriteTga);
}
PIX_EXPORT std::int32_t write_pcx(const char* p, const PixWriteArgs* a) {
    return RunWrite(p, a, WritePcx);
}
