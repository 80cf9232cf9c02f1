// SPDX-License-Identifier: GPL-3.0-or-later
// The DXF codec module: reads ASCII DXF drawings and renders them black on white.
#include <cstring>

#include "codecs/dxf/DxfRaster.h"

using namespace pixcodec;

PIX_EXPORT std::int32_t InitDll(void*, PixSharedState* state) {
    return InitModule(state, PIX_DXF_MODULE_NAME);
}

PIX_EXPORT std::int32_t read_dxf(const char* path, const PixReadArgs* args) {
    return Guard([&] {
        CheckReadArgs(path, args);
        Progress progress(args->host, args->progress);
        const std::vector<Path> paths = ReadDrawing(path).Flatten();
        progress.Rows(1, 2);
        Image image = Render(paths);
        progress.Rows(2, 2);
        return Deliver(std::move(image), args);
    });
}

PIX_EXPORT std::int32_t dxf_info(const char* path, PixImageInfo* info) {
    return Guard([&] {
        if (!path || !info) Fail(PIX_ERR_ARGUMENT);
        const Image image = Render(ReadDrawing(path).Flatten());
        std::memset(info, 0, sizeof *info);
        info->width = image.width;
        info->height = image.height;
        info->bitCount = image.bitCount;
        return static_cast<std::int32_t>(PIX_OK);
    });
}
