// SPDX-License-Identifier: GPL-3.0-or-later
// A data source manager module whose one source follows a script set by the test, and which
// records what the program asked of it.
#pragma once

#include <cstdint>
#include <vector>

#include "scan/Twain.h"

struct ScriptedManagerState {
    // The script.
    twain::TW_IMAGEINFO info{};
    std::uint32_t maxBufSize = 0;
    std::uint32_t preferred = 0;
    std::uint32_t sourceStride = 0;   // bytes per row the source reports
    std::vector<std::uint8_t> image;  // rows of sourceStride bytes
    std::uint16_t notification = 0;   // handed out by the next MSG_PROCESSEVENT
    bool refuseOpenDsm = false;
    std::uint32_t extraRows = 0;  // rows claimed beyond those written
    // What the program did.
    int openDsm = 0, closeDsm = 0, openDs = 0, closeDs = 0, enableDs = 0, disableDs = 0;
    int endXfer = 0;
    std::uint32_t bufferLength = 0;      // Memory.Length of the last strip request
    std::uint32_t bytesPerRowAsked = 0;  // BytesPerRow of the last strip request
    std::uint32_t memoryFlags = 0;
    std::uint32_t rowsServed = 0;
    bool managerOpen = false, sourceOpen = false;
};

using ScriptedManagerFn = ScriptedManagerState* (*)();
constexpr const char* kScriptedManagerName = "pixtwain_script.so";
