// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>

namespace pixelary::test {

TPixBitmap Gradient(int width, int height) {
    TPixBitmap bitmap;
    bitmap.SetSize(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1));
            row[3 * x + 1] = static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1));
            row[3 * x + 2] =
                static_cast<std::uint8_t>((x + y) * 127 / std::max(1, width + height - 2) + 64);
        }
    }
    return bitmap;
}

TPixBitmap Stripes(int width, int height, int colours) {
    TPixBitmap bitmap;
    bitmap.SetSize(width, height, TPixelFormat::pf8bit);
    std::vector<std::uint32_t> palette;
    std::mt19937 random(7);
    for (int i = 0; i < colours; ++i) palette.push_back(random() & 0xFFFFFF);
    bitmap.SetPalette(palette);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            bitmap.ScanLine(y)[x] = static_cast<std::uint8_t>((x + y * width) % colours);
    }
    return bitmap;
}

std::uint32_t Rgb(const TPixBitmap& bitmap, int x, int y) {
    return bitmap.ToDib().PixelRgb(x, y);
}

namespace {

template <class Combine>
void ForEachChannel(const TPixBitmap& a, const TPixBitmap& b, Combine combine) {
    const Dib da = a.ToDib(), db = b.ToDib();
    for (int y = 0; y < da.Height(); ++y) {
        for (int x = 0; x < da.Width(); ++x) {
            const std::uint32_t ca = da.PixelRgb(x, y), cb = db.PixelRgb(x, y);
            for (int c = 0; c < 3; ++c) {
                combine(std::abs(int((ca >> (8 * c)) & 0xFF) - int((cb >> (8 * c)) & 0xFF)));
            }
        }
    }
}

}  // namespace

int MaxDifference(const TPixBitmap& a, const TPixBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return 1000;
    int worst = 0;
    ForEachChannel(a, b, [&](int d) { worst = std::max(worst, d); });
    return worst;
}

double MeanDifference(const TPixBitmap& a, const TPixBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return 1000;
    double sum = 0;
    long count = 0;
    ForEachChannel(a, b, [&](int d) {
        sum += d;
        ++count;
    });
    return count ? sum / count : 0;
}

std::string Run(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>/dev/null").c_str(), "r"),
                                               pclose);
    if (!pipe) return {};
    std::string out;
    std::array<char, 256> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe.get())) out += buffer.data();
    return out;
}

bool HaveImageMagick() {
    return !Run("command -v identify").empty();
}

std::string Identify(const std::string& format, const std::string& path) {
    return Run("identify -format '" + format + "' '" + path + "'");
}

Component::Component() {
    image.ModuleFolder = PIXELARY_BIN_DIR;
    image.OnImageError = [this](TPixImage&, std::int16_t code, const std::string& text) {
        lastCode = code;
        lastText = text;
        ++errors;
    };
}

bool Component::Load(const std::string& path) {
    image.SetImageName(path);
    return !image.Picture().Bitmap().Empty();
}

std::string Fixture(const std::string& relative) {
    return std::string(PIXELARY_TEST_DATA) + "/imaging/" + relative;
}

}  // namespace pixelary::test
