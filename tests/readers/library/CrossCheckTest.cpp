// SPDX-License-Identifier: GPL-3.0-or-later
// Every fixture that both an own reader and a codec module read must give the same picture
// through both: a difference is a fault in one of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "../ReaderTestSupport.h"
#include "core/Dib.h"
#include "readers/library/Rwlib.h"

namespace pixelary {
namespace {

namespace fs = std::filesystem;

// Formats read both by an own reader and by a codec module.
const char* const kSharedFormats[] = {"bmp", "pcx", "tga", "tif"};

// The module folders whose fixtures are cross-checked.
const char* const kFixtureModules[] = {"readers", "imaging"};

// 0x00RRGGBB of a pixel of any depth the readers yield.
std::uint32_t Rgb(const Dib& dib, int x, int y) {
    if (dib.BitCount() != 16) return dib.PixelRgb(x, y);
    const std::uint32_t v = dib.PixelValue(x, y);  // 5-5-5
    const auto expand = [](std::uint32_t five) { return (five << 3) | (five >> 2); };
    return expand((v >> 10) & 31) << 16 | expand((v >> 5) & 31) << 8 | expand(v & 31);
}

std::optional<Dib> DecodeOwn(const std::string& path, const std::string& key) {
    try {
        std::unique_ptr<MDiskImage> reader = CreateDiskImage(path, key);
        if (reader == nullptr || dynamic_cast<MDiskLIB*>(reader.get()) != nullptr) return {};
        return test::DecodeFull(*reader);
    } catch (const std::exception&) {
        return {};
    }
}

std::optional<Dib> DecodeThroughModule(const std::string& path, const std::string& key) {
    try {
        MDiskLIB reader(path, key);
        return test::DecodeFull(reader);
    } catch (const std::exception&) {
        return {};
    }
}

// Empty when both pictures are the same; otherwise what differs first.
std::string Difference(const Dib& own, const Dib& module) {
    std::ostringstream out;
    if (own.Width() != module.Width() || own.Height() != module.Height()) {
        out << "size " << own.Width() << 'x' << own.Height() << " against " << module.Width() << 'x'
            << module.Height();
        return out.str();
    }
    for (int y = 0; y < own.Height(); ++y) {
        for (int x = 0; x < own.Width(); ++x) {
            if (Rgb(own, x, y) != Rgb(module, x, y)) {
                out << std::hex << "pixel (" << std::dec << x << ',' << y << std::hex << ") "
                    << Rgb(own, x, y) << " against " << Rgb(module, x, y);
                return out.str();
            }
        }
    }
    return {};
}

std::vector<fs::path> SharedFormatFixtures() {
    std::vector<fs::path> fixtures;
    for (const char* module : kFixtureModules) {
        for (const char* format : kSharedFormats) {
            const fs::path folder = fs::path(PIXELARY_TEST_DATA) / module / format;
            if (!fs::is_directory(folder)) continue;
            for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
                if (entry.path().extension() == std::string(".") + format) {
                    fixtures.push_back(entry.path());
                }
            }
        }
    }
    std::sort(fixtures.begin(), fixtures.end());
    return fixtures;
}

class CrossCheck : public ::testing::Test {
  protected:
    void SetUp() override { RegisterLibraryReader(PIXELARY_BIN_DIR); }
    void TearDown() override { SetLibraryReaderFactory(nullptr); }
};

TEST_F(CrossCheck, OwnReadersAndCodecModulesAgreeOnEveryFixtureBothRead) {
    int compared = 0;
    for (const fs::path& fixture : SharedFormatFixtures()) {
        const std::string key = fixture.extension().string().substr(1);
        const std::optional<Dib> own = DecodeOwn(fixture.string(), key);
        const std::optional<Dib> module = DecodeThroughModule(fixture.string(), key);
        if (!own || !module) {
            std::cout << fixture.lexically_relative(PIXELARY_TEST_DATA).string() << ": read by "
                      << (own      ? "the own reader only"
                          : module ? "the codec module only"
                                   : "neither")
                      << '\n';
            continue;
        }
        ++compared;
        EXPECT_EQ(Difference(*own, *module), "") << fixture;
    }
    std::cout << compared << " fixtures read by both\n";
    // Most fixtures of these formats are read by both; a broken lookup would compare none.
    EXPECT_GE(compared, 50);
}

}  // namespace
}  // namespace pixelary
