// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the image component's tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "imaging/PixImage.h"
#include "support/TempDir.h"

namespace pixelary::test {

// A 24-bit picture whose pixels follow a smooth gradient (many colours).
TPixBitmap Gradient(int width, int height);
// An 8-bit picture using the given number of palette colours in vertical stripes.
TPixBitmap Stripes(int width, int height, int colours);

// Largest channel difference between two pictures of the same size (any depths).
int MaxDifference(const TPixBitmap& a, const TPixBitmap& b);
// Mean absolute channel difference.
double MeanDifference(const TPixBitmap& a, const TPixBitmap& b);

// The pixel's colour as 0x00RRGGBB.
std::uint32_t Rgb(const TPixBitmap& bitmap, int x, int y);

// Runs a shell command and returns its standard output ("" when it failed).
std::string Run(const std::string& command);
// Whether ImageMagick's tools are installed.
bool HaveImageMagick();
// ImageMagick's "identify -format" answer for a file.
std::string Identify(const std::string& format, const std::string& path);

// A component that loads modules from the build's bin folder and records the last error.
struct Component {
    TPixImage image;
    std::int16_t lastCode = 0;
    std::string lastText;
    int errors = 0;
    Component();
    bool Load(const std::string& path);
};

std::string Fixture(const std::string& relative);

}  // namespace pixelary::test
