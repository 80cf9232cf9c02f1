// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <cstdint>

#include "scan/ScriptedManager.h"

// Points HOME and the XDG folders at a private temporary folder, so no test touches the user's
// settings. Call before anything reads them.
void UsePrivateHome(const QTemporaryDir& home);

// The scripted manager's state (the module stays loaded for the whole test run).
ScriptedManagerState& Script();
// Resets the script to one image of width × height at the given depth and pixel type, whose
// source rows are `stride` bytes and filled with a pattern that differs per byte.
void ScriptImage(int width, int height, int bitsPerPixel, int samplesPerPixel, int pixelType,
                 std::uint32_t stride);
