// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QGuiApplication>

#include "ReaderTestSupport.h"
#include "core/Stream.h"
#include "metafile/MetafileLoader.h"
#include "readers/Rwemfwmf.h"

namespace pixelary {
namespace {

// Text needs fonts, and fonts need the GUI application (no display: offscreen).
class GuiEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QGuiApplication>(argc_, argv_);
        metafile::InstallMetafileLoader();
    }
    void TearDown() override {
        SetMetafileLoader(nullptr);
        app_.reset();
    }

  private:
    int argc_ = 1;
    char name_[16] = "metafile_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

std::string Fixture(const char* name) {
    return test::Fixture(std::string("metafile/") + name);
}

// The caller's bitmap starts white, as a new bitmap does.
Dib Play(MDiskImage& reader, int width, int height) {
    Dib dib(width, height, reader.GetBitCount());
    std::fill(dib.Pixels().begin(), dib.Pixels().end(), 0xFF);
    reader.StretchBegin(0, 0, reader.GetWidth(), reader.GetHeight(), width, height);
    reader.StretchLines(dib, height);
    reader.StretchEnd();
    return dib;
}

void ExpectEmptyDescription(MDiskImage& reader) {
    EXPECT_EQ(reader.GetWidth(), 1);
    EXPECT_EQ(reader.GetHeight(), 1);
    EXPECT_EQ(reader.GetBitCount(), 1);
    EXPECT_EQ(reader.GetXResolution(), 0);
}

TEST(Metafile, EnhancedHeaderGivesTheReferenceDevice) {
    MDiskEMFWMF reader(Fixture("device1024.emf"), "emf");
    EXPECT_EQ(reader.GetWidth(), 1024);
    EXPECT_EQ(reader.GetHeight(), 768);
    EXPECT_EQ(reader.GetBitCount(), 24);
    EXPECT_EQ(reader.GetXResolution(), 3200 / 254);  // 3200 pixels per metre
    EXPECT_EQ(reader.GetYResolution(), 3200 / 254);
}

TEST(Metafile, EnhancedRecordsAreDrawnFittedToTheTarget) {
    MDiskEMFWMF reader(Fixture("device1024.emf"), "emf");
    const Dib dib = Play(reader, 100, 75);
    EXPECT_EQ(dib.PixelRgb(10, 10), 0x00FF00u);  // green left half (mapping in pixels)
    EXPECT_EQ(dib.PixelRgb(90, 10), 0xFFFFFFu);
    EXPECT_LT(dib.PixelRgb(80, 37) & 0xFF, 0x80u);  // the line drawn in tenths of millimetres
    EXPECT_EQ(dib.PixelRgb(63, 63), 0u);            // the clipped black square
    EXPECT_EQ(dib.PixelRgb(56, 56), 0xFFFFFFu);     // outside the clip
    EXPECT_EQ(dib.PixelRgb(72, 72), 0xFFFFFFu);
    // A second call plays the whole picture again.
    Dib strip = Play(reader, 100, 75);
    EXPECT_EQ(strip.Pixels(), dib.Pixels());
}

TEST(Metafile, PlaceableMetafileIsShownStretchedOverTheScreen) {
    MDiskEMFWMF reader(Fixture("placeable.wmf"), "wmf");
    EXPECT_EQ(reader.GetWidth(), metafile::kReferenceScreen.WidthPixels);
    EXPECT_EQ(reader.GetHeight(), metafile::kReferenceScreen.HeightPixels);
    EXPECT_EQ(reader.GetBitCount(), 24);
    EXPECT_EQ(reader.GetXResolution(), 3779 / 254);  // 1920 pixels on 508 mm: per metre
    const Dib dib = Play(reader, 200, 100);
    EXPECT_EQ(dib.PixelRgb(5, 95), 0x0000FFu);
    EXPECT_EQ(dib.PixelRgb(150, 50), 0xFF0000u);
    EXPECT_EQ(dib.PixelRgb(50, 15), 0xFFFF00u);  // the polygon drawn after a brush was freed
    int text_pixels = 0;                         // white text on the blue half, its top at y 60
    for (int y = 55; y < 95; ++y) {
        for (int x = 5; x < 60; ++x) text_pixels += (dib.PixelRgb(x, y) & 0xFF00) > 0x8000;
    }
    EXPECT_GT(text_pixels, 20);
}

// One destination pixel is ten device pixels of the 1000 x 1000 reference device.
TEST(Metafile, EnhancedRecordKinds) {
    MDiskEMFWMF reader(Fixture("records.emf"), "emf");
    const Dib dib = Play(reader, 100, 100);
    EXPECT_EQ(dib.PixelRgb(15, 15), 0xFF0000u);  // world transform doubles the rectangle
    EXPECT_EQ(dib.PixelRgb(25, 15), 0xFFFFFFu);
    EXPECT_EQ(dib.PixelRgb(40, 5), 0x0000FFu);  // the filled path (a triangle)
    EXPECT_EQ(dib.PixelRgb(33, 15), 0xFFFFFFu);
    EXPECT_EQ(dib.PixelRgb(65, 5), 0x00FF00u);  // both parts of the poly-polygon
    EXPECT_EQ(dib.PixelRgb(85, 5), 0x00FF00u);
    EXPECT_EQ(dib.PixelRgb(75, 5), 0xFFFFFFu);
    EXPECT_EQ(dib.PixelRgb(5, 35), 0xFF0000u);  // the 2 x 2 bitmap, stretched, top row first
    EXPECT_EQ(dib.PixelRgb(15, 35), 0x0000FFu);
    EXPECT_EQ(dib.PixelRgb(5, 45), 0u);
    EXPECT_EQ(dib.PixelRgb(15, 45), 0xFFFFFFu);
    EXPECT_EQ(dib.PixelRgb(44, 36), 0xFFFF00u);  // the pie's quarter, counter-clockwise
    EXPECT_EQ(dib.PixelRgb(36, 44), 0xFFFFFFu);
    EXPECT_EQ(dib.PixelRgb(65, 65), 0xFF0000u);  // anisotropic window of 10 units
    int text_pixels = 0;
    for (int y = 78; y < 95; ++y) {
        for (int x = 68; x < 95; ++x) text_pixels += (dib.PixelRgb(x, y) & 0xFF) < 0x80;
    }
    EXPECT_GT(text_pixels, 10);
}

TEST(Metafile, ClassicRecordKinds) {
    MDiskEMFWMF reader(Fixture("records.wmf"), "wmf");
    const Dib dib = Play(reader, 100, 100);  // window 100 x 100 onto 100 x 100
    EXPECT_EQ(dib.PixelRgb(10, 10), 0xFF0000u);
    EXPECT_EQ(dib.PixelRgb(40, 10), 0x0000FFu);
    EXPECT_EQ(dib.PixelRgb(10, 40), 0u);
    EXPECT_EQ(dib.PixelRgb(85, 15), 0xFFFF00u);
    EXPECT_EQ(dib.PixelRgb(65, 35), 0xFFFFFFu);
    EXPECT_EQ(dib.PixelRgb(10, 70), 0x00FF00u);
    EXPECT_EQ(dib.PixelRgb(40, 70), 0x00FF00u);
    EXPECT_EQ(dib.PixelRgb(25, 70), 0xFFFFFFu);
}

TEST(Metafile, UnusableFilesDescribeAnEmptyPictureAndDrawNothing) {
    for (const char* name : {"placeable-badsum.wmf", "classic.wmf", "missing.emf"}) {
        SCOPED_TRACE(name);
        MDiskEMFWMF reader(Fixture(name), std::string(name).substr(std::string(name).size() - 3));
        ExpectEmptyDescription(reader);
        Dib dib(1, 1, 1);
        dib.Row(0)[0] = 0x80;
        reader.StretchBegin(0, 0, 1, 1, 1, 1);
        reader.StretchLines(dib, 1);
        EXPECT_EQ(dib.Row(0)[0], 0x80);
    }
    // A placeable metafile named emf is opened as an enhanced one, which it is not.
    MDiskEMFWMF renamed(Fixture("placeable.wmf"), "emf");
    ExpectEmptyDescription(renamed);
}

TEST(Metafile, EnhancedMetafileNamedWmfIsReadNormally) {
    MDiskEMFWMF named(Fixture("emf-named.wmf"), "wmf");
    MDiskEMFWMF original(Fixture("shapes.emf"), "emf");
    EXPECT_GT(named.GetWidth(), 1);
    EXPECT_EQ(named.GetWidth(), original.GetWidth());
    EXPECT_EQ(named.GetHeight(), original.GetHeight());
    // fig2dev's drawing: a red box at the top left, a green ellipse to its right.
    const Dib dib = Play(named, 200, 165);
    EXPECT_EQ(dib.PixelRgb(50, 30), 0xFF0000u);
    EXPECT_EQ(dib.PixelRgb(155, 37), 0x00FF00u);
}

// A placeable metafile whose records are given: header, records, end record.
std::vector<std::uint8_t> PlaceableWmf(const test::Bytes& records) {
    test::Bytes file;
    file.U32(0x9AC6CDD7).U16(0).U16(0).U16(0).U16(100).U16(100).U16(96).U32(0);
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < 20; i += 2) sum ^= file.data[i] | (file.data[i + 1] << 8);
    file.U16(sum);
    const auto words = static_cast<std::uint32_t>((18 + records.data.size() + 6) / 2);
    file.U16(1).U16(9).U16(0x0300).U32(words).U16(0).U32(8).U16(0);
    file.Raw(records.data).U32(3).U16(0);
    return file.data;
}

TEST(Metafile, ManyObjectsStayCheapAndBounded) {
    test::Bytes records;
    records.U32(7).U16(0x02FC).U16(0).U32(0x0000FF).U16(0);  // slot 0: red brush
    for (int i = 0; i < 100000; ++i) records.U32(7).U16(0x02FC).U16(0).U32(0xFF0000).U16(0);
    records.U32(4).U16(0x012D).U16(0);  // select slot 0
    records.U32(7).U16(0x041B).U16(100).U16(100).U16(0).U16(0);
    test::TempDir dir;
    test::WriteFile(dir.File("many.wmf"), PlaceableWmf(records));
    MDiskEMFWMF reader(dir.File("many.wmf"), "wmf");
    EXPECT_EQ(Play(reader, 10, 10).PixelRgb(5, 5), 0xFF0000u);
}

TEST(Metafile, PlayingOntoAnUnsuitableBitmapEmptiesIt) {
    MDiskEMFWMF reader(Fixture("device1024.emf"), "emf");
    Dib dib(10, 10, 8);
    reader.StretchBegin(0, 0, 1024, 768, 10, 10);
    reader.StretchLines(dib, 10);
    EXPECT_TRUE(dib.IsEmpty());
}

TEST(Metafile, DamagedRecordsStopOrAreSkipped) {
    test::TempDir dir;
    MemoryStream original;
    original.LoadFromFile(Fixture("device1024.emf"));
    std::vector<std::uint8_t> bytes = original.Bytes();
    // A record claiming more bytes than the file has ends playback; the header still counts.
    std::vector<std::uint8_t> cut = bytes;
    cut[108 + 4] = 0xFF;
    cut[108 + 5] = 0xFF;
    test::WriteFile(dir.File("cut.emf"), cut);
    MDiskEMFWMF reader(dir.File("cut.emf"), "emf");
    EXPECT_EQ(reader.GetWidth(), 1024);
    EXPECT_EQ(Play(reader, 20, 15).PixelRgb(2, 2), 0xFFFFFFu);
    // A zero-sized record cannot loop forever.
    std::vector<std::uint8_t> zero = bytes;
    zero[108 + 4] = 0;
    test::WriteFile(dir.File("zero.emf"), zero);
    MDiskEMFWMF zero_reader(dir.File("zero.emf"), "emf");
    Play(zero_reader, 20, 15);
    // Rectangles at the ends of the 32-bit range are measured without overflow.
    MDiskEMFWMF extreme(Fixture("emf-frame-int-overflow.emf"), "emf");
    Play(extreme, 20, 15);
    // Text on a target stretched very unequally is left out rather than rendered.
    MDiskEMFWMF stretched(Fixture("emf-text-unequal-stretch.emf"), "emf");
    Play(stretched, 94, 78);
    // A header whose device has no millimetres, or more pixels than a side may have.
    for (std::size_t at : {std::size_t{80}, std::size_t{72}}) {
        std::vector<std::uint8_t> bad = bytes;
        bad[at] = 0;
        bad[at + 1] = 0;
        if (at == 72) bad[at + 3] = 0x7F;
        test::WriteFile(dir.File("bad.emf"), bad);
        MDiskEMFWMF bad_reader(dir.File("bad.emf"), "emf");
        ExpectEmptyDescription(bad_reader);
    }
}

}  // namespace
}  // namespace pixelary
