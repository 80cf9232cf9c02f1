// SPDX-License-Identifier: GPL-3.0-or-later
// Runs pixthumb on every fixture the own readers accept and compares each thumbnail pixel with
// the nearest-neighbour sample of the picture as ImageMagick's convert decodes it.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../../readers/ReaderTestSupport.h"
#include "core/Dib.h"
#include "readers/ThumbnailSize.h"

namespace pixelary {
namespace {

// How a fixture's pixels compare with the independent decoder's.
enum class Match {
    Exact,
    FiveBit,  // 5-bit channels: the two decoders widen them differently; the top 5 bits agree
    Near,     // colour converted by both sides with their own rounding: within 2 per channel
};

struct Case {
    const char* file;
    Match match = Match::Exact;
    // A netpbm converter to PPM instead of ImageMagick, where ImageMagick misreads the file
    // (it ignores the two-colour header map of 1-bit PCX files, and white-is-zero in 4-bit grey
    // TIFF files).
    const char* decoder = nullptr;
};

constexpr const char* kNetpbmTiff = "sh -c 'tifftopnm \"$1\" | pamdepth 255 | ppmtoppm' -";

const Case kCases[] = {
    {"readers/bmp/rgb24.bmp"},
    {"readers/bmp/pal8.bmp"},
    {"readers/bmp/pal4.bmp"},
    {"readers/bmp/mono1.bmp"},
    {"readers/bmp/bgra32.bmp"},
    {"readers/bmp/os2-pal8.bmp"},
    {"readers/bmp/os2-rgb24.bmp"},
    {"readers/bmp/rgb555.bmp", Match::FiveBit},
    {"readers/bmp/top-down-rgb24.bmp"},
    {"readers/bmp/top-down-pal8.bmp"},
    {"readers/bmp/rgb24-colour-table.bmp"},
    {"readers/bmp/pal8-gap.bmp"},
    {"readers/tga/rgb24.tga"},
    {"readers/tga/pal8.tga"},
    {"readers/tga/id-pal8.tga"},
    {"readers/tga/rgba32.tga"},
    {"readers/tga/topleft24.tga"},
    {"readers/tga/rgb16-mirrored.tga", Match::FiveBit},
    {"readers/tga/pal8-map15.tga", Match::FiveBit},
    {"readers/tga/pal8-map16.tga", Match::FiveBit},
    {"readers/tga/pal8-map32.tga"},
    {"readers/pcx/rgb24.pcx"},
    {"readers/pcx/pal8.pcx"},
    {"readers/pcx/pal16.pcx"},
    {"readers/pcx/planar4.pcx"},
    {"readers/pcx/packed4.pcx"},
    {"readers/pcx/mono1.pcx", Match::Exact, "pcxtoppm"},
    {"readers/pcx/mono1-zero-map.pcx", Match::Exact, "pcxtoppm"},
    {"readers/pcx/netpbm-even24.pcx"},
    {"readers/tif/rgb24.tif"},
    {"readers/tif/rgb24-msb.tif"},
    {"readers/tif/strips5.tif"},
    {"readers/tif/tiffcp-msb-strips3.tif"},
    {"readers/tif/rgba.tif"},
    {"readers/tif/minisblack.tif"},
    {"readers/tif/miniswhite.tif"},
    {"readers/tif/dpi300.tif"},
    {"readers/tif/cmyk32.tif", Match::Near},
    {"readers/tif/planar-rgb.tif"},
    {"readers/tif/planar-rgb-strips5.tif"},
    {"readers/tif/planar-cmyk.tif", Match::Near},
    {"readers/tif/grey8.tif"},
    {"readers/tif/minisblack8.tif"},
    {"readers/tif/miniswhite8.tif"},
    {"readers/tif/minisblack4.tif"},
    {"readers/tif/miniswhite4.tif", Match::Exact, kNetpbmTiff},
    {"readers/psd/rgb-rle.psd"},
    {"readers/psd/rgb-raw.psd"},
    {"readers/psd/rgba.psd"},
    {"readers/psd/grey8.psd"},
    {"readers/psd/cmyk.psd", Match::Near},
    {"readers/psd/cmyk-rle.psd", Match::Near},
    {"readers/psd/cmyk-alpha.psd", Match::Near},
    {"readers/psd/grey-alpha.psd"},
    {"readers/psd/grey16.psd"},
    {"readers/psd/rgb16-rle.psd"},
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // top row first
    std::uint32_t At(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
        return (std::uint32_t{rgb[i]} << 16) | (std::uint32_t{rgb[i + 1]} << 8) | rgb[i + 2];
    }
};

std::string Output(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char chunk[65536];
    std::size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) out.append(chunk, n);
    const int result = pclose(pipe);
    if (status) *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return out;
}

// The picture as ImageMagick decodes it, as a binary 8-bit PPM.
Picture Reference(const std::string& path, const char* decoder) {
    const std::string ppm =
        decoder ? Output(std::string(decoder) + " '" + path + "' 2>/dev/null")
                : Output("convert '" + path + "' -auto-orient -depth 8 ppm:- 2>/dev/null");
    std::istringstream in(ppm);
    // Header tokens, skipping "#" comment lines.
    const auto token = [&in] {
        std::string t;
        while (in >> t && t[0] == '#') std::getline(in, t);
        return t;
    };
    Picture p;
    const std::string magic = token();
    p.width = std::atoi(token().c_str());
    p.height = std::atoi(token().c_str());
    const int max = std::atoi(token().c_str());
    in.get();
    if (magic != "P6" || max != 255 || p.width <= 0 || p.height <= 0) return {};
    p.rgb.resize(static_cast<std::size_t>(p.width) * p.height * 3);
    in.read(reinterpret_cast<char*>(p.rgb.data()), static_cast<std::streamsize>(p.rgb.size()));
    return p;
}

bool Agrees(std::uint32_t got, std::uint32_t want, Match match) {
    for (int shift : {0, 8, 16}) {
        const int a = (got >> shift) & 0xFF, b = (want >> shift) & 0xFF;
        if (match == Match::Exact && a != b) return false;
        if (match == Match::FiveBit && (a >> 3) != (b >> 3)) return false;
        if (match == Match::Near && std::abs(a - b) > 2) return false;
    }
    return true;
}

int RunPixthumb(const std::string& args) {
    int status = -1;
    Output(std::string(PIXELARY_BIN_DIR) + "/pixthumb " + args + " 2>/dev/null", &status);
    return status;
}

TEST(Pixthumb, ThumbnailsMatchAnIndependentDecoder) {
    testing::TempDir dir;
    const std::string out = dir.File("thumb.bmp");
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.file);
        const Picture ref = Reference(test::Fixture(c.file), c.decoder);
        ASSERT_GT(ref.width, 0) << "convert could not read the fixture";
        for (const auto& [bw, bh] : {std::pair{94, 78}, std::pair{20, 10}, std::pair{7, 30}}) {
            const std::string box = std::to_string(bw) + "x" + std::to_string(bh);
            ASSERT_EQ(RunPixthumb("--box " + box + " '" + test::Fixture(c.file) + "' " + out), 0);
            const Dib thumb = Dib::LoadFromFile(out);
            const ThumbnailExtent size = ThumbnailSize(ref.width, ref.height, bw, bh);
            ASSERT_EQ(thumb.Width(), size.Width);
            ASSERT_EQ(thumb.Height(), size.Height);
            int wrong = 0;
            for (int y = 0; y < size.Height; ++y) {
                for (int x = 0; x < size.Width; ++x) {
                    const int sx = static_cast<int>(std::int64_t{x} * ref.width / size.Width);
                    const int sy = static_cast<int>(std::int64_t{y} * ref.height / size.Height);
                    wrong += !Agrees(thumb.PixelRgb(x, y), ref.At(sx, sy), c.match);
                }
            }
            EXPECT_EQ(wrong, 0) << box;
        }
    }
}

TEST(Pixthumb, MetafilesKeepTheShapeOfTheirOwnFrame) {
    testing::TempDir dir;
    const std::string out = dir.File("thumb.bmp");
    // A placeable metafile has the shape of its bounding box (200 x 100 units).
    ASSERT_EQ(RunPixthumb(test::Fixture("metafile/placeable.wmf") + " " + out), 0);
    const Dib wmf = Dib::LoadFromFile(out);
    EXPECT_EQ(wmf.Width(), ThumbnailSize(200, 100).Width);
    EXPECT_EQ(wmf.Height(), ThumbnailSize(200, 100).Height);
    EXPECT_EQ(wmf.PixelRgb(2, wmf.Height() - 2), 0x0000FFu);
    EXPECT_EQ(wmf.PixelRgb(wmf.Width() * 3 / 4, wmf.Height() / 2), 0xFF0000u);
    ASSERT_EQ(RunPixthumb(test::Fixture("metafile/device1024.emf") + " " + out), 0);
    const Dib emf = Dib::LoadFromFile(out);
    EXPECT_EQ(emf.Width(), ThumbnailSize(1024, 768).Width);
    EXPECT_EQ(emf.Height(), ThumbnailSize(1024, 768).Height);
    EXPECT_EQ(emf.PixelRgb(5, 5), 0x00FF00u);
    EXPECT_EQ(emf.PixelRgb(88, 5), 0xFFFFFFu);
    // A letter-page drawing has the shape of its frame (7362 x 3741 pixels), not the page's.
    ASSERT_EQ(RunPixthumb(test::Fixture("metafile/fig2dev-letter-shapes.emf") + " " + out), 0);
    EXPECT_EQ(Dib::LoadFromFile(out).Height(), ThumbnailSize(7362, 3741).Height);
}

// Empty and garbage metafiles, and classic ones without the placeable header, give no thumbnail:
// none from pixthumb, none made or cached by a folder scan.
TEST(Pixthumb, UnusableMetafilesGiveNoThumbnail) {
    testing::TempDir dir;
    const std::string out = dir.File("thumb.bmp");
    std::filesystem::create_directory(dir.File("pics"));
    std::filesystem::create_directory(dir.File("cache"));
    std::ofstream(dir.File("pics/empty.wmf"));
    std::ofstream(dir.File("pics/empty.emf"));
    std::ofstream(dir.File("pics/garbage.emf")) << std::string(300, 'g');
    std::ofstream(dir.File("pics/garbage.wmf")) << std::string(300, 'g');
    std::filesystem::copy_file(test::Fixture("metafile/classic.wmf"), dir.File("pics/classic.wmf"));
    for (const char* name :
         {"empty.wmf", "empty.emf", "garbage.emf", "garbage.wmf", "classic.wmf"}) {
        EXPECT_EQ(RunPixthumb(dir.File(std::string("pics/") + name) + " " + out), 1) << name;
    }
    std::filesystem::copy_file(test::Fixture("metafile/placeable.wmf"), dir.File("pics/good.wmf"));
    const std::string scan = std::string(PIXELARY_BIN_DIR) + "/pixthumb --folder " +
                             dir.File("pics") + " --cache " + dir.File("cache") + " 2>/dev/null";
    EXPECT_NE(Output(scan).find("\nthumbnails made: 1\n"), std::string::npos);
    const std::string again = Output(scan);
    EXPECT_NE(again.find("\nthumbnails made: 0\n"), std::string::npos) << again;
    EXPECT_NE(again.find("\ncache hits: 1\n"), std::string::npos) << again;
}

// pixthumb makes what the folder scan makes: a preview document gives its embedded bitmap.
TEST(Pixthumb, PreviewDocumentsGiveTheirEmbeddedBitmap) {
    testing::TempDir dir;
    const std::string out = dir.File("thumb.bmp");
    ASSERT_EQ(RunPixthumb(test::Fixture("scanner/osp/preview.osp") + " " + out), 0);
    const Dib thumb = Dib::LoadFromFile(out);
    const Dib embedded = Dib::LoadFromFile(test::Fixture("readers/bmp/pal4.bmp"));
    ASSERT_EQ(thumb.Width(), embedded.Width());  // as stored, not fitted to the box
    ASSERT_EQ(thumb.Height(), embedded.Height());
    for (int y = 0; y < thumb.Height(); ++y) {
        for (int x = 0; x < thumb.Width(); ++x) {
            ASSERT_EQ(thumb.PixelRgb(x, y), embedded.PixelRgb(x, y)) << x << "," << y;
        }
    }
    // A preview shorter than its length field gives none.
    EXPECT_EQ(RunPixthumb(test::Fixture("scanner/osp/short-preview.osp") + " " + out), 1);
}

// The longer names of JPEG and TIFF pictures give the thumbnails of their short-named copies.
TEST(Pixthumb, LongerExtensionsGiveTheSameThumbnails) {
    testing::TempDir dir;
    const auto thumbnail_of = [&dir](const std::string& source, const std::string& name) {
        const std::string copy = dir.File(name);
        std::filesystem::copy_file(source, copy);
        const std::string out = dir.File(name + ".out.bmp");
        EXPECT_EQ(RunPixthumb("'" + copy + "' " + out), 0) << name;
        return Dib::LoadFromFile(out).Pixels();
    };
    const std::string jpeg = test::Fixture("imaging/jpg/colour.jpg");
    const auto jpg = thumbnail_of(jpeg, "photo.jpg");
    ASSERT_FALSE(jpg.empty());
    for (const char* name : {"photo.jpeg", "photo2.JPEG", "photo.jpe", "photo.jfif"}) {
        EXPECT_EQ(thumbnail_of(jpeg, name), jpg) << name;
    }
    const std::string tiff = test::Fixture("readers/tif/rgb24.tif");
    const auto tif = thumbnail_of(tiff, "scan.tif");
    ASSERT_FALSE(tif.empty());
    EXPECT_EQ(thumbnail_of(tiff, "scan.tiff"), tif);
    EXPECT_EQ(thumbnail_of(tiff, "scan2.TIFF"), tif);
}

TEST(Pixthumb, ExitStatus) {
    testing::TempDir dir;
    const std::string out = dir.File("thumb.bmp");
    EXPECT_EQ(RunPixthumb(""), 2);
    EXPECT_EQ(RunPixthumb("--box 0x5 a.bmp " + out), 2);
    EXPECT_EQ(RunPixthumb("--box 9 a.bmp " + out), 2);
    EXPECT_EQ(RunPixthumb("one.bmp"), 2);
    // Not a picture key, a name too short, a file no reader takes.
    EXPECT_EQ(RunPixthumb(test::Fixture("readers/bmp/README.txt") + " " + out), 1);
    EXPECT_EQ(RunPixthumb("bmp " + out), 1);
    const std::string junk = dir.File("junk.bmp");
    std::ofstream(junk) << std::string(64, 'j');
    EXPECT_EQ(RunPixthumb(junk + " " + out), 1);
    // A file the own reader refuses falls back to the image library.
    EXPECT_EQ(RunPixthumb(test::Fixture("readers/bmp/rle8.bmp") + " " + out), 0);
    EXPECT_EQ(RunPixthumb(dir.File("missing.bmp") + " " + out), 1);
    // The format key is the last three bytes, with or without a dot.
    testing::TempDir copy;
    const std::string dotless = copy.File("rosebmp");
    std::filesystem::copy_file(test::Fixture("readers/bmp/rgb24.bmp"), dotless);
    EXPECT_EQ(RunPixthumb(dotless + " " + out), 0);
    EXPECT_EQ(Dib::LoadFromFile(out).Width(), 93);
}

}  // namespace
}  // namespace pixelary
