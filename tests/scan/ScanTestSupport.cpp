// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/ScanTestSupport.h"

#include <dlfcn.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

void UsePrivateHome(const QTemporaryDir& home) {
    const QByteArray root = home.path().toUtf8();
    qputenv("HOME", root);
    qputenv("XDG_CONFIG_HOME", root + "/.config");
    qputenv("XDG_DATA_HOME", root + "/.local/share");
}

ScriptedManagerState& Script() {
    static ScriptedManagerState* state = [] {
        const std::string path = std::string(PIXELARY_BIN_DIR) + "/" + kScriptedManagerName;
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!module) throw std::runtime_error("scripted manager missing: " + path);
        auto fn = reinterpret_cast<ScriptedManagerFn>(dlsym(module, "ScriptedManager"));
        return fn();
    }();
    return *state;
}

void ScriptImage(int width, int height, int bitsPerPixel, int samplesPerPixel, int pixelType,
                 std::uint32_t stride) {
    ScriptedManagerState& s = Script();
    s = ScriptedManagerState{};
    s.info.XResolution.Whole = 100;
    s.info.YResolution.Whole = 100;
    s.info.ImageWidth = width;
    s.info.ImageLength = height;
    s.info.SamplesPerPixel = static_cast<twain::TW_INT16>(samplesPerPixel);
    for (int i = 0; i < samplesPerPixel; ++i) {
        s.info.BitsPerSample[i] = static_cast<twain::TW_INT16>(bitsPerPixel / samplesPerPixel);
    }
    s.info.BitsPerPixel = static_cast<twain::TW_INT16>(bitsPerPixel);
    s.info.PixelType = static_cast<twain::TW_INT16>(pixelType);
    s.sourceStride = stride;
    s.image.resize(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < s.image.size(); ++i) {
        s.image[i] = static_cast<std::uint8_t>((i * 7 + i / stride * 13) & 0xFF);
    }
}
