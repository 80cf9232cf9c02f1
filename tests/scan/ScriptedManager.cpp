// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedManager.h"

#include <algorithm>
#include <cstring>

using namespace twain;

namespace {

ScriptedManagerState& State() {
    static ScriptedManagerState state;
    return state;
}

TW_UINT16 Strip(ScriptedManagerState& s, TW_IMAGEMEMXFER* xfer) {
    s.bufferLength = xfer->Memory.Length;
    s.bytesPerRowAsked = xfer->BytesPerRow;
    s.memoryFlags = xfer->Memory.Flags;
    const std::uint32_t height = static_cast<std::uint32_t>(s.info.ImageLength);
    const std::uint32_t rows =
        std::min(xfer->Memory.Length / s.sourceStride, height - std::min(s.rowsServed, height));
    const std::size_t offset = static_cast<std::size_t>(s.rowsServed) * s.sourceStride;
    const std::size_t bytes = static_cast<std::size_t>(rows) * s.sourceStride;
    if (offset + bytes > s.image.size()) return TWRC_FAILURE;
    std::memcpy(xfer->Memory.TheMem, s.image.data() + offset, bytes);
    xfer->BytesPerRow = s.sourceStride;
    xfer->Rows = rows + s.extraRows;
    xfer->YOffset = s.rowsServed;
    xfer->BytesWritten = static_cast<TW_UINT32>(bytes);
    s.rowsServed += rows;
    return s.rowsServed >= height ? TWRC_XFERDONE : TWRC_SUCCESS;
}

TW_UINT16 Control(ScriptedManagerState& s, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    switch (dat) {
        case DAT_PARENT:
            if (msg == MSG_OPENDSM) {
                ++s.openDsm;
                if (s.refuseOpenDsm) return TWRC_FAILURE;
                s.managerOpen = true;
            } else {
                ++s.closeDsm;
                s.managerOpen = false;
            }
            return TWRC_SUCCESS;
        case DAT_IDENTITY:
            if (msg == MSG_OPENDS) {
                ++s.openDs;
                s.sourceOpen = true;
            } else if (msg == MSG_CLOSEDS) {
                ++s.closeDs;
                s.sourceOpen = false;
            } else if (msg == MSG_USERSELECT) {
                return TWRC_CANCEL;
            }
            return TWRC_SUCCESS;
        case DAT_USERINTERFACE:
            ++(msg == MSG_ENABLEDS ? s.enableDs : s.disableDs);
            return TWRC_SUCCESS;
        case DAT_EVENT: {
            auto* event = static_cast<TW_EVENT*>(data);
            if (s.notification == MSG_NULL) return TWRC_NOTDSEVENT;
            event->TWMessage = s.notification;
            s.notification = MSG_NULL;
            return TWRC_DSEVENT;
        }
        case DAT_SETUPMEMXFER: {
            auto* setup = static_cast<TW_SETUPMEMXFER*>(data);
            setup->MinBufSize = s.sourceStride;
            setup->MaxBufSize = s.maxBufSize;
            setup->Preferred = s.preferred;
            return TWRC_SUCCESS;
        }
        case DAT_PENDINGXFERS:
            ++s.endXfer;
            static_cast<TW_PENDINGXFERS*>(data)->Count = 0;
            return TWRC_SUCCESS;
        default:
            return TWRC_FAILURE;
    }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) ScriptedManagerState* ScriptedManager() {
    return &State();
}

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(TW_IDENTITY*, TW_IDENTITY*,
                                                                      TW_UINT32 group,
                                                                      TW_UINT16 dat, TW_UINT16 msg,
                                                                      TW_MEMREF data) {
    ScriptedManagerState& s = State();
    if (group == DG_CONTROL) return Control(s, dat, msg, data);
    if (dat == DAT_IMAGEINFO) {
        s.rowsServed = 0;
        *static_cast<TW_IMAGEINFO*>(data) = s.info;
        return TWRC_SUCCESS;
    }
    if (dat == DAT_IMAGEMEMXFER) return Strip(s, static_cast<TW_IMAGEMEMXFER*>(data));
    return TWRC_FAILURE;
}
