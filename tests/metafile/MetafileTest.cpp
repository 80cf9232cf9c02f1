// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cstdlib>

#include "ReaderTestSupport.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "metafile/MetafileLoader.h"
#include "readers/Rwemfwmf.h"
#include "readers/ThumbnailSize.h"

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

void ExpectRefused(const std::string& path, const std::string& extension) {
    EXPECT_THROW(MDiskEMFWMF(path, extension), EInOutError) << path;
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

// The bounding box is 200 x 100 units of 96 to the inch.
TEST(Metafile, PlaceableMetafileHasTheSizeOfItsBoundingBox) {
    MDiskEMFWMF reader(Fixture("placeable.wmf"), "wmf");
    EXPECT_EQ(reader.GetWidth(), 200);
    EXPECT_EQ(reader.GetHeight(), 100);
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

// So that the factory tries the library reader, and the entry keeps its icon when that fails too.
TEST(Metafile, UnusableFilesAreRefused) {
    for (const char* name : {"placeable-badsum.wmf", "classic.wmf", "missing.emf"}) {
        ExpectRefused(Fixture(name), std::string(name).substr(std::string(name).size() - 3));
    }
    // A placeable metafile named emf is opened as an enhanced one, which it is not.
    ExpectRefused(Fixture("placeable.wmf"), "emf");
    testing::TempDir dir;
    testing::WriteFile(dir.File("empty.wmf"), {});
    testing::WriteFile(dir.File("garbage.emf"), std::vector<std::uint8_t>(300, 0x5A));
    ExpectRefused(dir.File("empty.wmf"), "wmf");
    ExpectRefused(dir.File("empty.wmf"), "emf");
    ExpectRefused(dir.File("garbage.emf"), "emf");
    ExpectRefused(dir.File("garbage.emf"), "wmf");
}

TEST(Metafile, EnhancedMetafileNamedWmfIsReadNormally) {
    MDiskEMFWMF named(Fixture("emf-named.wmf"), "wmf");
    MDiskEMFWMF original(Fixture("shapes.emf"), "emf");
    EXPECT_GT(named.GetWidth(), 1);
    EXPECT_EQ(named.GetWidth(), original.GetWidth());
    EXPECT_EQ(named.GetHeight(), original.GetHeight());
    // fig2dev's drawing (its frame 4644 x 4095 pixels): a red box at the top left, a green
    // ellipse to its right.
    EXPECT_EQ(named.GetWidth(), 4644);
    EXPECT_EQ(named.GetHeight(), 4095);
    const Dib dib = Play(named, 200, 176);
    EXPECT_EQ(dib.PixelRgb(50, 30), 0xFF0000u);
    EXPECT_EQ(dib.PixelRgb(160, 40), 0x00FF00u);
}

// A placeable metafile whose records are given: header, records, end record.
std::vector<std::uint8_t> PlaceableWmf(const test::Bytes& records, unsigned right = 100,
                                       unsigned bottom = 100, unsigned unitsPerInch = 96) {
    test::Bytes file;
    file.U32(0x9AC6CDD7).U16(0).U16(0).U16(0).U16(right).U16(bottom).U16(unitsPerInch).U32(0);
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
    testing::TempDir dir;
    testing::WriteFile(dir.File("many.wmf"), PlaceableWmf(records));
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
    testing::TempDir dir;
    MemoryStream original;
    original.LoadFromFile(Fixture("device1024.emf"));
    std::vector<std::uint8_t> bytes = original.Bytes();
    // A record claiming more bytes than the file has ends playback; the header still counts.
    std::vector<std::uint8_t> cut = bytes;
    cut[108 + 4] = 0xFF;
    cut[108 + 5] = 0xFF;
    testing::WriteFile(dir.File("cut.emf"), cut);
    MDiskEMFWMF reader(dir.File("cut.emf"), "emf");
    EXPECT_EQ(reader.GetWidth(), 1024);
    EXPECT_EQ(Play(reader, 20, 15).PixelRgb(2, 2), 0xFFFFFFu);
    // A zero-sized record cannot loop forever.
    std::vector<std::uint8_t> zero = bytes;
    zero[108 + 4] = 0;
    testing::WriteFile(dir.File("zero.emf"), zero);
    MDiskEMFWMF zero_reader(dir.File("zero.emf"), "emf");
    Play(zero_reader, 20, 15);
    // Rectangles at the ends of the 32-bit range are measured without overflow.
    MDiskEMFWMF extreme(Fixture("emf-frame-int-overflow.emf"), "emf");
    Play(extreme, 20, 15);
    // So is a device bitmap whose source row is the most negative 32-bit number.
    MDiskEMFWMF far_row(Fixture("emf-dibits-source-y-int-min.emf"), "emf");
    Play(far_row, 20, 15);
    // Text on a target stretched very unequally is left out rather than rendered.
    MDiskEMFWMF stretched(Fixture("emf-text-unequal-stretch.emf"), "emf");
    Play(stretched, 94, 78);
    // A header whose device has no millimetres, or more pixels than a side may have.
    for (std::size_t at : {std::size_t{80}, std::size_t{72}}) {
        std::vector<std::uint8_t> bad = bytes;
        bad[at] = 0;
        bad[at + 1] = 0;
        if (at == 72) bad[at + 3] = 0x7F;
        testing::WriteFile(dir.File("bad.emf"), bad);
        ExpectRefused(dir.File("bad.emf"), "emf");
    }
}

// Records: 16-bit words after the 32-bit size and the function.
test::Bytes& Record(test::Bytes& records, std::uint16_t function,
                    std::initializer_list<unsigned> words) {
    records.U32(static_cast<std::uint32_t>(3 + words.size())).U16(function);
    for (unsigned word : words) records.U16(word);
    return records;
}
constexpr std::uint16_t kCreatePen = 0x02FA, kCreateBrush = 0x02FC, kSelect = 0x012D,
                        kDelete = 0x01F0, kRectangle = 0x041B;

// Without window records the bounding box is the window: 1000 x 500 units of 1000 to the inch.
TEST(Metafile, PlaceableMetafileWithoutWindowRecordsShowsItsWholeBoundingBox) {
    test::Bytes records;
    Record(records, kCreateBrush, {0, 0x00FF, 0, 0});  // red: slot 0
    Record(records, kSelect, {0});
    Record(records, kRectangle, {500, 1000, 0, 500});  // the right half
    testing::TempDir dir;
    testing::WriteFile(dir.File("box.wmf"), PlaceableWmf(records, 1000, 500, 1000));
    MDiskEMFWMF reader(dir.File("box.wmf"), "wmf");
    EXPECT_EQ(reader.GetWidth(), 96);
    EXPECT_EQ(reader.GetHeight(), 48);
    const Dib dib = Play(reader, 96, 48);
    EXPECT_EQ(dib.PixelRgb(90, 44), 0xFF0000u);
    EXPECT_EQ(dib.PixelRgb(60, 4), 0xFF0000u);
    EXPECT_EQ(dib.PixelRgb(30, 24), 0xFFFFFFu);
}

// LibreOffice deletes the pen it replaced and creates the next brush in that slot at once.
TEST(Metafile, FreedClassicSlotIsTakenByTheNextObject) {
    test::Bytes records;
    Record(records, kCreatePen, {0, 0, 0, 0, 0});  // slot 0
    Record(records, kSelect, {0});
    Record(records, kCreateBrush, {0, 0xFFFF, 0xFF, 0});  // white: slot 1
    Record(records, kSelect, {1});
    Record(records, kCreatePen, {5, 0, 0, 0, 0});  // null pen: slot 2
    Record(records, kSelect, {2});
    Record(records, kDelete, {0});
    Record(records, kCreateBrush, {0, 0x00FF, 0, 0});  // red: slot 0 again
    Record(records, kSelect, {0});
    Record(records, kRectangle, {100, 100, 0, 0});
    testing::TempDir dir;
    testing::WriteFile(dir.File("slots.wmf"), PlaceableWmf(records));
    MDiskEMFWMF reader(dir.File("slots.wmf"), "wmf");
    EXPECT_EQ(Play(reader, 10, 10).PixelRgb(5, 5), 0xFF0000u);
}

// A frame that holds only a corner of the drawing gives way to the whole drawing.
TEST(Metafile, DrawingOutsideItsFrameIsShownWhole) {
    MemoryStream original;
    original.LoadFromFile(Fixture("device1024.emf"));
    std::vector<std::uint8_t> bytes = original.Bytes();
    const std::uint8_t corner[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0xE8, 0x03, 0, 0, 0xE8, 0x03, 0, 0};
    std::copy(std::begin(corner), std::end(corner), bytes.begin() + 24);  // 10 x 10 mm
    testing::TempDir dir;
    testing::WriteFile(dir.File("corner.emf"), bytes);
    MDiskEMFWMF reader(dir.File("corner.emf"), "emf");
    EXPECT_GT(reader.GetWidth(), 500);  // the frame alone would be 32 x 32
    EXPECT_GT(reader.GetHeight(), 500);
    const Dib dib = Play(reader, 40, 40);
    EXPECT_EQ(dib.PixelRgb(5, 35), 0x00FF00u);  // the green half reaches the bottom
}

// Thumbnails are compared with an independent rendering of the same drawing, scaled smoothly
// to the thumbnail's size: the share of pixels whose colour is far from every reference pixel
// around the same place. Edges that the two renderers place or smooth a pixel apart cost
// nothing; a missing fill or a shape moved or stretched by a few per cent costs much more.
constexpr int kFarChannel = 100;
constexpr double kMaxMismatch = 0.02;

int Distance(std::uint32_t rgb, QRgb other) {
    return std::max({std::abs(int((rgb >> 16) & 0xFF) - qRed(other)),
                     std::abs(int((rgb >> 8) & 0xFF) - qGreen(other)),
                     std::abs(int(rgb & 0xFF) - qBlue(other))});
}

bool NearSomeReferencePixel(std::uint32_t rgb, const QImage& reference, int x, int y) {
    for (int ry = std::max(0, y - 1); ry <= std::min(reference.height() - 1, y + 1); ++ry) {
        for (int rx = std::max(0, x - 1); rx <= std::min(reference.width() - 1, x + 1); ++rx) {
            if (Distance(rgb, reference.pixel(rx, ry)) <= kFarChannel) return true;
        }
    }
    return false;
}

double Mismatch(const Dib& thumbnail, const QImage& reference) {
    const QImage scaled = reference.convertToFormat(QImage::Format_RGB32)
                              .scaled(thumbnail.Width(), thumbnail.Height(), Qt::IgnoreAspectRatio,
                                      Qt::SmoothTransformation);
    int far = 0;
    for (int y = 0; y < thumbnail.Height(); ++y) {
        for (int x = 0; x < thumbnail.Width(); ++x) {
            far += !NearSomeReferencePixel(thumbnail.PixelRgb(x, y), scaled, x, y);
        }
    }
    return double(far) / (double(thumbnail.Width()) * thumbnail.Height());
}

struct Produced {
    const char* file;
    std::int32_t width;  // the picture's own size
    std::int32_t height;
    const char* reference = nullptr;  // when not the file's own "-reference.png"
};

QImage Reference(const Produced& c) {
    const std::string file = c.file;
    const std::string name =
        c.reference ? c.reference : file.substr(0, file.rfind('.')) + "-reference.png";
    return QImage(QString::fromStdString(Fixture(name.c_str())));
}

const Produced kProduced[] = {
    // A placeable file: its 160 x 100 mm bounding box at 96 pixels an inch.
    {"libreoffice-shapes.wmf", 605, 378},
    // Its header gives the drawing's bounds in logical units (twips), so its frame lies far
    // from what it draws: the picture is where the records draw on the 1024 x 768 device.
    {"pstoedit-shapes.emf", 538, 268},
    // The same drawing in the page's corner, where such a frame overlaps what is drawn.
    {"pstoedit-corner.emf", 538, 268, "pstoedit-shapes-reference.png"},
    // The frame (155.8 x 79.2 mm) on a letter page of 1200 pixels an inch, not the page.
    {"fig2dev-letter-shapes.emf", 7362, 3741},
};

// Each producer's drawing of a red box, a blue disc and a black line, made into thumbnails as
// the scanner makes them.
TEST(Metafile, DrawingsOfRealProducersMatchAnIndependentRenderer) {
    for (const Produced& c : kProduced) {
        SCOPED_TRACE(c.file);
        const std::string name = c.file;
        auto reader = CreateDiskImage(Fixture(c.file), name.substr(name.size() - 3));
        ASSERT_TRUE(reader);
        EXPECT_EQ(reader->GetWidth(), c.width);
        EXPECT_EQ(reader->GetHeight(), c.height);
        const QImage reference = Reference(c);
        ASSERT_FALSE(reference.isNull());
        for (const auto& [bw, bh] : {std::pair{94, 78}, std::pair{200, 200}}) {
            const ThumbnailExtent size =
                ThumbnailSize(reader->GetWidth(), reader->GetHeight(), bw, bh);
            const Dib thumbnail = StretchWholePicture(*reader, size.Width, size.Height);
            EXPECT_LE(Mismatch(thumbnail, reference), kMaxMismatch) << bw << " x " << bh;
        }
    }
}

Dib DibOf(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    Dib dib(rgb.width(), rgb.height(), 24);
    for (int y = 0; y < rgb.height(); ++y) {
        std::uint8_t* row = dib.Row(y);
        for (int x = 0; x < rgb.width(); ++x, row += 3) {
            const QRgb pixel = rgb.pixel(x, y);
            row[0] = static_cast<std::uint8_t>(qBlue(pixel));
            row[1] = static_cast<std::uint8_t>(qGreen(pixel));
            row[2] = static_cast<std::uint8_t>(qRed(pixel));
        }
    }
    return dib;
}

// The reference drawn onto a white thumbnail of its own shape through a transform.
Dib Distorted(const QImage& reference, int width, int height, const QTransform& transform) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setTransform(transform);
    painter.drawImage(QRectF(0, 0, width, height), reference);
    painter.end();
    return DibOf(image);
}

TEST(Metafile, ComparisonCatchesMissingFillsAndMovedOrStretchedShapes) {
    for (const Produced& c : kProduced) {
        SCOPED_TRACE(c.file);
        const QImage reference = Reference(c);
        const ThumbnailExtent size = ThumbnailSize(c.width, c.height, 200, 200);
        const int w = size.Width, h = size.Height;
        EXPECT_LE(Mismatch(Distorted(reference, w, h, QTransform()), reference), kMaxMismatch);
        EXPECT_GT(
            Mismatch(Distorted(reference, w, h, QTransform::fromTranslate(0.03 * w, 0)), reference),
            kMaxMismatch);
        EXPECT_GT(
            Mismatch(Distorted(reference, w, h, QTransform::fromTranslate(0, 0.03 * h)), reference),
            kMaxMismatch);
        EXPECT_GT(Mismatch(Distorted(reference, w, h, QTransform::fromScale(1.06, 1)), reference),
                  kMaxMismatch);
        // Outlines without fills: every red or blue pixel turned white.
        QImage outlines = reference.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < outlines.height(); ++y) {
            for (int x = 0; x < outlines.width(); ++x) {
                const QRgb p = outlines.pixel(x, y);
                if (std::max(qRed(p), qBlue(p)) - qGreen(p) > kFarChannel) {
                    outlines.setPixel(x, y, qRgb(255, 255, 255));
                }
            }
        }
        EXPECT_GT(Mismatch(Distorted(outlines, w, h, QTransform()), reference), kMaxMismatch);
    }
}

}  // namespace
}  // namespace pixelary
