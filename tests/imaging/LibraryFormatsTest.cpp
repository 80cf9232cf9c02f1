// SPDX-License-Identifier: GPL-3.0-or-later
// Photo CD and EPS reads, and hostile files handed to every decoder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <future>

#include "TestSupport.h"
#include "codecs/CodecAbi.h"

namespace pixelary {
namespace {

using test::Component;
using testing::TempDir;

using Bytes = std::vector<std::uint8_t>;

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A Photo CD image pack byte-built from the format's description: the information sector with
// "PCD_IPI" at 0x800, the orientation byte at 0xE02 and the 768 x 512 base image at sector 96,
// stored as pairs of luma rows followed by the pair's two half-width chroma rows.
Bytes PhotoCd(int orientation) {
    constexpr std::size_t kBase = 96 * 2048;
    constexpr int kWidth = 768;
    Bytes b(kBase + static_cast<std::size_t>(kWidth) * 3 * 256, 0);
    const char signature[] = "PCD_IPI";
    std::copy(signature, signature + 7, b.begin() + 0x800);
    b[0xE02] = static_cast<std::uint8_t>(orientation);
    for (int pair = 0; pair < 256; ++pair) {
        std::uint8_t* p = &b[kBase + static_cast<std::size_t>(kWidth) * 3 * pair];
        const bool top = pair < 128;
        std::fill(p, p + 2 * kWidth, top ? 0 : 100);  // luma: black top, grey bottom
        std::fill(p + 2 * kWidth, p + 2 * kWidth + kWidth / 2, 156);  // neutral chroma 1
        std::fill(p + 2 * kWidth + kWidth / 2, p + 3 * kWidth, pair >= 192 ? 200 : 137);
    }
    return b;
}

TEST(PhotoCd, BaseImageIsConvertedFromYcc) {
    TempDir folder;
    Component c;
    const std::string path = folder.File("pack.pcd");
    WriteBytes(path, PhotoCd(0));
    ASSERT_TRUE(c.Load(path)) << c.lastText;
    const TPixBitmap& bitmap = c.image.Picture().Bitmap();
    EXPECT_EQ(bitmap.Width(), 768);
    EXPECT_EQ(bitmap.Height(), 512);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(test::Rgb(bitmap, 10, 10), 0x000000u);
    EXPECT_EQ(test::Rgb(bitmap, 10, 300), 0x888888u);  // 1.3584 x 100 = 136 on every channel
    const std::uint32_t reddish = test::Rgb(bitmap, 10, 500);
    EXPECT_GT((reddish >> 16) & 0xFF, (reddish >> 8) & 0xFF);

    WriteBytes(path, PhotoCd(1));
    ASSERT_TRUE(c.Load(path));
    EXPECT_EQ(c.image.Picture().Bitmap().Width(), 512);
    EXPECT_EQ(c.image.Picture().Bitmap().Height(), 768);

    Bytes truncated = PhotoCd(0);
    truncated.resize(truncated.size() - 1);
    WriteBytes(path, truncated);
    EXPECT_FALSE(c.Load(path));
    EXPECT_EQ(c.lastCode, PIX_ERR_CORRUPT);
    truncated[0x800] = 'X';
    WriteBytes(path, truncated);
    EXPECT_FALSE(c.Load(path));
    EXPECT_EQ(c.lastCode, PIX_ERR_FORMAT);
}

// Pixels worked out by hand from the published PhotoYCC display transform: Y' = 1.3584 Y,
// C1' = 2.2179 (C1 - 156), C2' = 1.8215 (C2 - 137); R = Y' + C2', G = Y' - 0.194 C1' - 0.509 C2',
// B = Y' + C1', each rounded and clipped to 0..255.
TEST(PhotoCd, PublishedYccTransformAndClipping) {
    struct Sample {
        std::uint8_t y, c1, c2;
        std::uint32_t rgb;
    };
    constexpr Sample kSamples[] = {
        {100, 200, 100, 0x4497E9},  // 68, 151, 233
        {150, 100, 200, 0xFFA950},  // red clipped from 318; 169, 80
        {200, 156, 137, 0xFFFFFF},  // 272 on every channel, clipped
        {20, 156, 60, 0x00631B},    // red clipped from -113; 99, 27
    };
    Bytes pack = PhotoCd(0);
    constexpr std::size_t kBase = 96 * 2048;
    constexpr int kWidth = 768;
    for (std::size_t i = 0; i < std::size(kSamples); ++i) {
        std::uint8_t* pair = &pack[kBase + static_cast<std::size_t>(kWidth) * 3 * i];
        std::fill(pair, pair + 2 * kWidth, kSamples[i].y);
        std::fill(pair + 2 * kWidth, pair + 2 * kWidth + kWidth / 2, kSamples[i].c1);
        std::fill(pair + 2 * kWidth + kWidth / 2, pair + 3 * kWidth, kSamples[i].c2);
    }
    TempDir folder;
    Component c;
    WriteBytes(folder.File("samples.pcd"), pack);
    ASSERT_TRUE(c.Load(folder.File("samples.pcd"))) << c.lastText;
    for (std::size_t i = 0; i < std::size(kSamples); ++i) {
        for (int row : {0, 1}) {
            const std::uint32_t got =
                test::Rgb(c.image.Picture().Bitmap(), 300, 2 * static_cast<int>(i) + row);
            for (int shift : {16, 8, 0}) {
                EXPECT_NEAR(int((got >> shift) & 0xFF), int((kSamples[i].rgb >> shift) & 0xFF), 1)
                    << "sample " << i << " row " << row << " channel shift " << shift;
            }
        }
    }
}

bool HaveGhostscript() {
    return !test::Run("command -v gs").empty();
}

TEST(Eps, PlainPostScriptIsRenderedByGhostscript) {
    if (!HaveGhostscript()) GTEST_SKIP() << "Ghostscript not installed";
    Component c;
    ASSERT_TRUE(c.Load(test::Fixture("eps/plain.eps"))) << c.lastText;
    const TPixBitmap& bitmap = c.image.Picture().Bitmap();
    EXPECT_EQ(bitmap.Width(), 40);
    EXPECT_EQ(bitmap.Height(), 30);
    EXPECT_LT(test::Rgb(bitmap, 2, 2) & 0xFF, 0x30u);
    const std::uint32_t bottom = test::Rgb(bitmap, 30, 28);
    EXPECT_GT(bottom & 0xFF, (bottom >> 16) & 0xFF);  // blue at the bottom
}

// Ghostscript may render a drawing for many seconds: the progress callback is asked while it
// runs, and a stop request ends the render (so a scanner told to stop is not held up by it).
TEST(Eps, StopRequestedByTheProgressCallbackEndsTheRender) {
    if (!HaveGhostscript()) GTEST_SKIP() << "Ghostscript not installed";
    Component c;
    int asked = 0;
    c.image.OnProgress = [&asked](TPixImage&, std::uint16_t, bool& cancel, const std::string&) {
        ++asked;
        cancel = true;
    };
    EXPECT_FALSE(c.Load(test::Fixture("eps/plain.eps")));
    EXPECT_GE(asked, 1);
    EXPECT_GE(c.errors, 1);
}

TEST(Eps, BinaryEpsUsesItsTiffPreview) {
    Component c;
    ASSERT_TRUE(c.Load(test::Fixture("eps/tiff-preview.eps"))) << c.lastText;
    EXPECT_EQ(c.image.Picture().Bitmap().Width(), 40);

    // A preview of another size behind PostScript that cannot render proves the preview is used.
    TempDir folder;
    c.image.Picture().Bitmap() = test::Gradient(17, 13);
    ASSERT_TRUE(c.image.SaveAsTIF(folder.File("preview.tif")));
    const Bytes tiff = ReadBytes(folder.File("preview.tif"));
    const std::string postscript = "%!PS-Adobe-3.0 EPSF-3.0\nthis is not postscript\n";
    Bytes eps(30, 0);
    const std::uint32_t fields[] = {30,
                                    static_cast<std::uint32_t>(postscript.size()),
                                    0,
                                    0,
                                    static_cast<std::uint32_t>(30 + postscript.size()),
                                    static_cast<std::uint32_t>(tiff.size())};
    eps[0] = 0xC5, eps[1] = 0xD0, eps[2] = 0xD3, eps[3] = 0xC6;
    for (int i = 0; i < 6; ++i) {
        for (int k = 0; k < 4; ++k)
            eps[4 + 4 * i + k] = static_cast<std::uint8_t>(fields[i] >> (8 * k));
    }
    eps.insert(eps.end(), postscript.begin(), postscript.end());
    eps.insert(eps.end(), tiff.begin(), tiff.end());
    WriteBytes(folder.File("preview.eps"), eps);
    ASSERT_TRUE(c.Load(folder.File("preview.eps"))) << c.lastText;
    EXPECT_EQ(test::MaxDifference(c.image.Picture().Bitmap(), test::Gradient(17, 13)), 0);

    // A preview pointing past the end of the file is refused.
    eps.resize(eps.size() - 10);
    WriteBytes(folder.File("short.eps"), eps);
    EXPECT_FALSE(c.Load(folder.File("short.eps")));
    EXPECT_EQ(c.lastCode, PIX_ERR_CORRUPT);
}

TEST(Eps, EndlessPostScriptIsStoppedByTheTimeLimit) {
    if (!HaveGhostscript()) GTEST_SKIP() << "Ghostscript not installed";
    TempDir folder;
    const std::string path = folder.File("loop.eps");
    std::ofstream(path) << "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n{ 1 pop } loop\n";
    setenv("PIXELARY_EPS_TIMEOUT", "1", 1);
    Component c;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(c.Load(path));
    unsetenv("PIXELARY_EPS_TIMEOUT");
    EXPECT_EQ(c.lastCode, PIX_ERR_RENDER);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(Eps, PagesBeyondTheLimitsOrWithoutABoxAreNotRendered) {
    TempDir folder;
    Component c;
    const std::string huge = folder.File("huge.eps");
    std::ofstream(huge) << "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 1000000 1000000\n"
                        << std::string(60, '%') << "\n";
    EXPECT_FALSE(c.Load(huge));
    EXPECT_EQ(c.lastCode, PIX_ERR_TOO_LARGE);
    const std::string boxless = folder.File("boxless.eps");
    std::ofstream(boxless) << "%!PS-Adobe-3.0\n" << std::string(60, '%') << "\n";
    EXPECT_FALSE(c.Load(boxless));
    EXPECT_EQ(c.lastCode, PIX_ERR_FORMAT);
    if (test::Run("command -v gs").empty()) return;
    // "(atend)" defers the box to the trailer; the origin is moved to the box's corner.
    const std::string atend = folder.File("atend.eps");
    std::ofstream(atend) << "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: (atend)\n"
                         << "0 setgray 100 200 moveto 20 0 rlineto 0 10 rlineto -20 0 rlineto "
                            "closepath fill\n%%Trailer\n%%BoundingBox: 100 200 120 210\n";
    ASSERT_TRUE(c.Load(atend)) << c.lastText;
    EXPECT_EQ(c.image.Picture().Bitmap().Width(), 20);
    EXPECT_EQ(c.image.Picture().Bitmap().Height(), 10);
    EXPECT_EQ(test::Rgb(c.image.Picture().Bitmap(), 10, 5), 0u);
}

// Small files that declare pictures beyond the limits are refused before anything large is
// allocated.
TEST(HostileFiles, HugeDeclaredSizesAreRefused) {
    TempDir folder;
    Component c;
    struct Case {
        const char* name;
        Bytes bytes;
    };
    auto le16 = [](int v) { return Bytes{std::uint8_t(v), std::uint8_t(v >> 8)}; };
    auto cat = [](std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
        out.resize(std::max<std::size_t>(out.size(), 200), 0);
        return out;
    };
    const Case cases[] = {
        {"huge.bmp", cat({{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0},
                          {0x70, 0x11, 0x01, 0},
                          {0x70, 0x11, 0x01, 0},
                          {1, 0, 24, 0}})},
        {"huge.tga",
         cat({{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}, le16(65535), le16(65535), {24, 0}})},
        {"huge.pcx", cat({{10, 5, 1, 8, 0, 0, 0, 0}, le16(65534), le16(65534)})},
        {"huge.gif", cat({{'G', 'I', 'F', '8', '9', 'a'}, le16(65535), le16(65535), {0, 0, 0}})},
        {"huge.jpg",
         cat({{0xFF, 0xD8, 0xFF, 0xC0, 0, 11, 8, 0xFF, 0xF0, 0xFF, 0xF0, 1, 1, 0x11, 0}})},
    };
    for (const Case& k : cases) {
        WriteBytes(folder.File(k.name), k.bytes);
        EXPECT_FALSE(c.Load(folder.File(k.name))) << k.name;
        EXPECT_TRUE(c.lastCode == PIX_ERR_TOO_LARGE || c.lastCode == PIX_ERR_CORRUPT)
            << k.name << " " << c.lastCode;
    }
}

// Drawings are rendered 1024 pixels wide when wider than high.
constexpr int kRenderedDxfWidth = 1024;

// Every fixture cut short at several lengths decodes or is refused, never crashes; what
// decodes keeps the declared size.
TEST(HostileFiles, TruncatedFixturesNeverCrash) {
    TempDir folder;
    Component c;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(test::Fixture(""))) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || ext == ".txt" || ext == ".py" || ext == ".sh") continue;
        if (ext == ".eps" && entry.path().filename() == "plain.eps") continue;  // Ghostscript: slow
        const Bytes whole = ReadBytes(entry.path().string());
        for (std::size_t cut : {whole.size() / 4, whole.size() / 2, whole.size() - 1}) {
            const std::string path = folder.File("cut" + ext);
            WriteBytes(path, Bytes(whole.begin(), whole.begin() + static_cast<long>(cut)));
            if (c.Load(path)) {
                const int width = ext == ".dxf" ? kRenderedDxfWidth : 40;
                EXPECT_EQ(c.image.Picture().Bitmap().Width(), width) << entry.path() << " " << cut;
            }
        }
    }
}

// A FIFO named like a picture is refused by every format's open at once instead of waiting for a
// writer; a device is refused too instead of being read without end.
TEST(HostileFiles, FifosAndDevicesAreRefusedWithoutBlocking) {
    TempDir folder;
    Component c;
    for (const char* ext : {".jpg", ".png", ".gif", ".tif", ".bmp", ".pcx", ".tga", ".pcd"}) {
        const std::string fifo = folder.File(std::string("pipe") + ext);
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        auto load = std::async(std::launch::async, [&] { return c.Load(fifo); });
        const bool blocked = load.wait_for(std::chrono::seconds(10)) != std::future_status::ready;
        if (blocked) ::close(::open(fifo.c_str(), O_WRONLY));  // lets the blocked open go on
        EXPECT_FALSE(load.get()) << ext;
        EXPECT_FALSE(blocked) << ext << ": opening the FIFO blocked";
        const std::string device = folder.File(std::string("zero") + ext);
        std::filesystem::create_symlink("/dev/zero", device);
        EXPECT_FALSE(c.Load(device)) << ext;
    }
}

}  // namespace
}  // namespace pixelary

namespace pixelary {
namespace {

// The drawing is 200 x 100 units; this maps a drawing point to the rendered picture.
struct DxfView {
    static constexpr int kMargin = 3;  // pixels around the drawing, as wide as the pen's radius
    const TPixBitmap& bitmap;
    bool Black(double x, double y) const {
        const double scale = (1024 - 2 * kMargin - 1) / 200.0;
        const int px = static_cast<int>(std::lround(kMargin + x * scale));
        const int py = static_cast<int>(std::lround(kMargin + (100 - y) * scale));
        return test::Rgb(bitmap, px, py) == 0;
    }
};

TEST(Dxf, EntitiesAreDrawnBlackOnWhiteWithTheDrawingsAspect) {
    Component c;
    ASSERT_TRUE(c.Load(test::Fixture("dxf/entities.dxf"))) << c.lastText;
    const TPixBitmap& bitmap = c.image.Picture().Bitmap();
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(bitmap.Width(), 1024);
    EXPECT_EQ(bitmap.Height(), 516);  // 100 units at 1017 / 200 pixels a unit, plus margins
    const DxfView view{bitmap};
    EXPECT_TRUE(view.Black(0, 0));      // border corner
    EXPECT_TRUE(view.Black(100, 50));   // on the diagonal line
    EXPECT_TRUE(view.Black(20, 20));    // inside the solid
    EXPECT_TRUE(view.Black(120, 50));   // on the circle
    EXPECT_FALSE(view.Black(100, 60));  // inside the circle, off the line
    EXPECT_TRUE(view.Black(155, 25));   // inside the inserted block's solid
    EXPECT_FALSE(view.Black(145, 25));  // beside it
    EXPECT_TRUE(view.Black(60, 50));    // the arc at 0 degrees
    EXPECT_TRUE(view.Black(185, 70));   // the ellipse's major axis end
    EXPECT_TRUE(view.Black(140, 90));   // the polyline's middle vertex
    EXPECT_TRUE(view.Black(40, 80));    // the text box's corner
    EXPECT_FALSE(view.Black(5, 50));    // empty paper
}

TEST(Dxf, HostileDrawingsAreRefused) {
    TempDir folder;
    Component c;
    auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(folder.File(name)) << text;
        return folder.File(name);
    };
    // Blocks inserting each other many times: the expansion is bounded.
    std::string bomb = "0\nSECTION\n2\nBLOCKS\n";
    for (int level = 0; level < 12; ++level) {
        bomb += "0\nBLOCK\n8\n0\n2\nB" + std::to_string(level) + "\n70\n0\n10\n0\n20\n0\n30\n0\n";
        if (level == 0) bomb += "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n1\n21\n1\n";
        for (int i = 0; level > 0 && i < 20; ++i) {
            bomb += "0\nINSERT\n8\n0\n2\nB" + std::to_string(level - 1) + "\n10\n" +
                    std::to_string(i) + "\n20\n0\n";
        }
        bomb += "0\nENDBLK\n8\n0\n";
    }
    bomb +=
        "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nINSERT\n8\n0\n2\nB11\n10\n0\n20\n0\n0\nENDSEC\n0\nE"
        "OF\n";
    EXPECT_FALSE(c.Load(write("bomb.dxf", bomb)));
    EXPECT_EQ(c.lastCode, PIX_ERR_TOO_LARGE);

    EXPECT_FALSE(c.Load(write(
        "empty.dxf", "0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n" + std::string(40, '\n'))));
    EXPECT_FALSE(c.Load(write("binary.dxf", "AutoCAD Binary DXF\r\n\x1a" + std::string(60, '\0'))));
    EXPECT_EQ(c.lastCode, PIX_ERR_UNSUPPORTED);
    EXPECT_FALSE(c.Load(write("text.dxf", std::string(200, 'q'))));
}

}  // namespace
}  // namespace pixelary

namespace pixelary {
namespace {

// Found by fuzzing: a block inserted with an extreme scale overflowed its coordinates to
// infinity, and a filled shape with such corners was handed to the raster code.
TEST(Dxf, InsertScalesThatOverflowAreDropped) {
    TempDir folder;
    Component c;
    const std::string path = folder.File("overflow.dxf");
    std::ofstream(path)
        << "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n8\n0\n2\nS\n70\n0\n10\n0\n20\n0\n30\n0\n"
           "0\nSOLID\n8\n0\n10\n1e300\n20\n1e300\n11\n-1e300\n21\n1e300\n12\n1e300\n"
           "22\n-1e300\n13\n-1e300\n23\n-1e300\n0\nENDBLK\n8\n0\n0\nENDSEC\n"
           "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n11\n10\n21\n5\n"
           "0\nINSERT\n8\n0\n2\nS\n10\n0\n20\n0\n41\n1e300\n42\n1e300\n"
           "0\nENDSEC\n0\nEOF\n";
    ASSERT_TRUE(c.Load(path)) << c.lastText;
    EXPECT_EQ(c.image.Picture().Bitmap().Width(), 1024);  // only the line is drawn
}

// Found by fuzzing: an arc or ellipse whose start angle is so large that a whole turn is below
// its precision kept the reader adding turns for ever.
TEST(Dxf, ArcsWithHugeAnglesEnd) {
    TempDir folder;
    Component c;
    const std::string path = folder.File("angles.dxf");
    std::ofstream(path) << "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n11\n10\n21\n5\n"
                           "0\nARC\n8\n0\n10\n5\n20\n2\n40\n1\n50\n1e300\n51\n0\n"
                           "0\nELLIPSE\n8\n0\n10\n5\n20\n2\n11\n2\n21\n0\n40\n0.5\n"
                           "41\n1e300\n42\n0\n0\nENDSEC\n0\nEOF\n";
    ASSERT_TRUE(c.Load(path)) << c.lastText;
    EXPECT_EQ(c.image.Picture().Bitmap().Width(), 1024);
}

}  // namespace
}  // namespace pixelary

namespace pixelary {
namespace {

// Written by dxflib's own DXF writer (release 2000): a 100 x 100 square, a solid triangle, a
// circle, an arc, a text and two inserts of a cross, one at twice the size.
TEST(Dxf, ReadsTheDxflibWritersOutput) {
    Component c;
    ASSERT_TRUE(c.Load(test::Fixture("dxf/dxflib-r2000.dxf"))) << c.lastText;
    const TPixBitmap& bitmap = c.image.Picture().Bitmap();
    ASSERT_EQ(bitmap.Width(), 1024);
    ASSERT_EQ(bitmap.Height(), 1024);
    const double scale = (1024 - 2 * 3 - 1) / 100.0;
    auto black = [&](double x, double y) {
        return test::Rgb(bitmap, static_cast<int>(std::lround(3 + x * scale)),
                         static_cast<int>(std::lround(3 + (100 - y) * scale))) == 0;
    };
    EXPECT_TRUE(black(15, 15));   // inside the triangle
    EXPECT_FALSE(black(35, 35));  // beyond its hypotenuse
    EXPECT_TRUE(black(85, 70));   // on the circle
    EXPECT_TRUE(black(50, 50));   // the first cross
    EXPECT_TRUE(black(93, 15));   // the doubled cross's arm reaches 85 + 2 x 5 = 95
    EXPECT_FALSE(black(98, 15));
    EXPECT_TRUE(black(60, 30));   // the arc's start
    EXPECT_TRUE(black(100, 50));  // the square's right side
    // Strokes are a 7-pixel pen: 3 pixels beside the circle's line are still ink.
    const int cx = static_cast<int>(std::lround(3 + 85 * scale));
    const int cy = static_cast<int>(std::lround(3 + 30 * scale));
    EXPECT_EQ(test::Rgb(bitmap, cx + 3, cy), 0u);
    EXPECT_EQ(test::Rgb(bitmap, cx - 3, cy), 0u);
    EXPECT_NE(test::Rgb(bitmap, cx + 12, cy), 0u);
}

}  // namespace
}  // namespace pixelary
