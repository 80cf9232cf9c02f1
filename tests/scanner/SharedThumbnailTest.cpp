// SPDX-License-Identifier: GPL-3.0-or-later
// Thumbnails made from the desktop's shared thumbnails, and everything that must make the
// scanner ignore one and decode the picture as before.
#include <gtest/gtest.h>
#include <png.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <zlib.h>

#include <csetjmp>
#include <filesystem>
#include <map>

#include "readers/ThumbnailSize.h"
#include "scanner/FileThumbnail.h"
#include "scanner/Md5.h"
#include "scanner/SharedThumbnail.h"
#include "scanner/ThumbnailPng.h"
#include "support/TempDir.h"

namespace pixelary {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

constexpr int kBoxWidth = kThumbnailBoxWidth;
constexpr int kBoxHeight = kThumbnailBoxHeight;
constexpr std::uint32_t kPictureRgb = 0xFF0000;  // the pictures are red
constexpr std::uint32_t kSharedRgb = 0x0000FF;   // their shared thumbnails blue

using TextChunks = std::vector<std::pair<std::string, std::string>>;

// What the PNG writer below puts into a thumbnail file.
struct PngSpec {
    int Width = 128;
    int Height = 96;
    std::uint32_t Rgb = kSharedRgb;
    std::uint8_t Alpha = 0xFF;  // below 0xFF the file has an alpha channel
    TextChunks Before;          // text chunks before the pixels
    TextChunks After;           // and after them
    int Compression = PNG_TEXT_COMPRESSION_NONE;
};

void SetText(png_structp png, png_infop info, const TextChunks& chunks, int compression) {
    for (const auto& [key, value] : chunks) {
        png_text text{};
        text.compression = compression;
        text.key = const_cast<char*>(key.c_str());
        text.text = const_cast<char*>(value.c_str());
        png_set_text(png, info, &text, 1);
    }
}

bool EncodePng(std::FILE* file, png_structp png, png_infop info, const PngSpec& spec,
               std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    const bool alpha = spec.Alpha != 0xFF;
    png_set_IHDR(png, info, spec.Width, spec.Height, 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    SetText(png, info, spec.Before, spec.Compression);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_infop end = png_create_info_struct(png);
    SetText(png, end, spec.After, spec.Compression);
    png_write_end(png, end);
    png_destroy_info_struct(png, &end);
    return true;
}

// Written with libpng, as the desktop's thumbnailers write them.
void WritePng(const std::string& path, const PngSpec& spec) {
    const int channels = spec.Alpha != 0xFF ? 4 : 3;
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < spec.Width * spec.Height; ++i) {
        pixels.insert(pixels.end(), {static_cast<std::uint8_t>(spec.Rgb >> 16),
                                     static_cast<std::uint8_t>(spec.Rgb >> 8),
                                     static_cast<std::uint8_t>(spec.Rgb)});
        if (channels == 4) pixels.push_back(spec.Alpha);
    }
    std::vector<png_bytep> rows;
    for (int y = 0; y < spec.Height; ++y) {
        rows.push_back(pixels.data() + static_cast<std::size_t>(y) * spec.Width * channels);
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    const bool written = EncodePng(file, png, info, spec, rows);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    ASSERT_TRUE(written);
}

void WriteBmp(const std::string& path, int width, int height) {
    Dib picture(width, height, 24);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* pixel = picture.Row(y) + 3 * x;
            pixel[0] = kPictureRgb & 0xFF;
            pixel[1] = (kPictureRgb >> 8) & 0xFF;
            pixel[2] = kPictureRgb >> 16;
        }
    }
    picture.SaveToFile(path);
}

// Every pixel of the thumbnail is rgb.
bool AllPixels(const Dib& thumbnail, std::uint32_t rgb) {
    for (int y = 0; y < thumbnail.Height(); ++y) {
        for (int x = 0; x < thumbnail.Width(); ++x) {
            if (thumbnail.PixelRgb(x, y) != rgb) return false;
        }
    }
    return !thumbnail.IsEmpty();
}

// A picture in a private home, with $XDG_CACHE_HOME pointing at that home's cache.
class SharedThumbnailTest : public ::testing::Test {
  protected:
    static constexpr int kPictureWidth = 400;
    static constexpr int kPictureHeight = 300;

    SharedThumbnailTest() {
        const char* old = std::getenv("XDG_CACHE_HOME");
        if (old) oldCacheHome_ = old;
        ::setenv("XDG_CACHE_HOME", (home.Slash() + "cache").c_str(), 1);
        fs::create_directories(home.Slash() + "cache/thumbnails/normal");
        fs::create_directories(home.Slash() + "cache/thumbnails/large");
        fs::create_directories(home.Slash() + "My Pictures");
        WriteBmp(picture, kPictureWidth, kPictureHeight);
    }
    ~SharedThumbnailTest() override {
        if (oldCacheHome_) {
            ::setenv("XDG_CACHE_HOME", oldCacheHome_->c_str(), 1);
        } else {
            ::unsetenv("XDG_CACHE_HOME");
        }
        SetSharedThumbnailsEnabled(true);
    }

    std::string Uri() const { return FileUriOf(picture); }
    std::string MTime() const {
        struct stat info {};
        ::stat(picture.c_str(), &info);
        return std::to_string(info.st_mtime);
    }
    TextChunks ValidText() const {
        return {{"Thumb::URI", Uri()},
                {"Thumb::MTime", MTime()},
                {"Thumb::Image::Width", std::to_string(kPictureWidth)},
                {"Thumb::Image::Height", std::to_string(kPictureHeight)},
                {"Software", "a desktop thumbnailer"}};
    }
    PngSpec ValidSpec() const {
        PngSpec spec;
        spec.Before = ValidText();
        return spec;
    }
    std::string SharedPath(const std::string& folder = "normal") const {
        return home.Slash() + "cache/thumbnails/" + folder + "/" + SharedThumbnailFileName(Uri());
    }
    Dib Thumbnail() const { return MakeFileThumbnail(picture, "bmp", kBoxWidth, kBoxHeight); }

    // The thumbnail was decoded from the picture itself.
    void ExpectDecoded() const {
        const Dib thumbnail = Thumbnail();
        const ThumbnailExtent size = ThumbnailSize(kPictureWidth, kPictureHeight);
        EXPECT_EQ(thumbnail.Width(), size.Width);
        EXPECT_EQ(thumbnail.Height(), size.Height);
        EXPECT_TRUE(AllPixels(thumbnail, kPictureRgb));
    }

    TempDir home;
    // Spaces and characters outside ASCII in the path are percent-encoded in the URI.
    std::string picture = home.Slash() + "My Pictures/照片 #1.bmp";

  private:
    std::optional<std::string> oldCacheHome_;
};

TEST(SharedThumbnailName, Md5MatchesKnownDigests) {
    // The test vectors of the MD5 definition, and lengths around the 56- and 64-byte padding
    // edges (digests from python3's hashlib).
    const std::map<std::string, std::string> digests = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},
        {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
        {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"}};
    for (const auto& [text, digest] : digests) EXPECT_EQ(Md5Hex(text), digest) << text;
}

TEST(SharedThumbnailName, UriAndFileNameOfPathsWithSpacesAndNonAscii) {
    // Computed independently with python3:
    //   u = "file://" + urllib.parse.quote(path, safe="/!$&'()*+,:=@")
    //   hashlib.md5(u.encode()).hexdigest() + ".png"
    struct Case {
        std::string path, uri, name;
    };
    const Case cases[] = {
        {"/home/user/My Pictures/照片 #1.jpg",
         "file:///home/user/My%20Pictures/%E7%85%A7%E7%89%87%20%231.jpg",
         "e2900bca69fc75870948a3984a307a10.png"},
        {"/tmp/a b/100%;x[1]?.png", "file:///tmp/a%20b/100%25%3Bx%5B1%5D%3F.png",
         "1191b3abdaa072a17501add2704932cf.png"},
        {"/srv/photos/IMG_0001.JPG", "file:///srv/photos/IMG_0001.JPG",
         "9cafb96a0b8ed42607cedaff08fd14c4.png"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileUriOf(c.path), c.uri);
        EXPECT_EQ(SharedThumbnailFileName(c.uri), c.name);
    }
    // The characters desktops leave as they are in a path.
    EXPECT_EQ(FileUriOf("/a-_.!~*'()/:@&=+$,z"), "file:///a-_.!~*'()/:@&=+$,z");
}

// Blue, green, red of the pixel at x, y.
std::uint32_t RgbAt(const ThumbnailPng& png, int x, int y) {
    const std::uint8_t* p = png.Rows.data() + (static_cast<std::size_t>(y) * png.Width + x) * 3;
    return std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}

TEST(ThumbnailPngFiles, ImageMagickPaletteAlphaAndInterlacedFilesAreRead) {
    const std::string folder = PIXELARY_TEST_DATA "/scanner/sharedthumb/";
    const auto palette = ReadThumbnailPng(folder + "texts-after-pixels.png");
    ASSERT_TRUE(palette);
    EXPECT_EQ(palette->Width, 128);
    EXPECT_EQ(palette->Height, 96);
    EXPECT_EQ(RgbAt(*palette, 127, 95), 0x0000FFu);
    EXPECT_EQ(palette->TextOf("Thumb::URI"), "file:///tmp/photo.jpg");
    EXPECT_EQ(palette->TextOf("Thumb::Image::Height"), "300");

    // Red at the top fading to transparent at the bottom, laid on white.
    const auto alpha = ReadThumbnailPng(folder + "alpha-portrait.png");
    ASSERT_TRUE(alpha);
    EXPECT_EQ(RgbAt(*alpha, 0, 0), 0xFF0000u);
    EXPECT_EQ(RgbAt(*alpha, 0, 127), 0xFFFFFFu);

    const auto interlaced = ReadThumbnailPng(folder + "adam7-grey.png");
    ASSERT_TRUE(interlaced);
    // The file stores grey 126 (ImageMagick: convert adam7-grey.png -format "%[pixel:p{63,47}]"
    // info:).
    EXPECT_EQ(RgbAt(*interlaced, 63, 47), 0x7E7E7Eu);
    EXPECT_EQ(interlaced->TextOf("Thumb::MTime"), "1");
}

TEST(ThumbnailPngFiles, ChunkDeclaredLongerThanTheFileIsRefused) {
    const std::string folder = PIXELARY_TEST_DATA "/scanner/sharedthumb/";
    EXPECT_FALSE(ReadThumbnailPng(folder + "text-chunk-longer-than-file.png"));
    // A text chunk within the file but above the chunk limit.
    ThumbnailPngLimits limits;
    limits.MaxChunkBytes = 16;
    EXPECT_FALSE(ReadThumbnailPng(folder + "texts-after-pixels.png", {}, limits));
    EXPECT_TRUE(ReadThumbnailPng(folder + "texts-after-pixels.png"));
}

TEST_F(SharedThumbnailTest, ValidThumbnailGivesItsPixelsAtThePicturesThumbnailSize) {
    WritePng(SharedPath(), ValidSpec());
    const Dib thumbnail = Thumbnail();
    const ThumbnailExtent size = ThumbnailSize(kPictureWidth, kPictureHeight);
    EXPECT_EQ(thumbnail.Width(), size.Width);
    EXPECT_EQ(thumbnail.Height(), size.Height);
    EXPECT_TRUE(AllPixels(thumbnail, kSharedRgb));
}

TEST_F(SharedThumbnailTest, LargeFolderAndTextsAfterThePixelsOrCompressedAreRead) {
    PngSpec after;
    after.After = ValidText();
    PngSpec compressed = ValidSpec();
    compressed.Compression = PNG_TEXT_COMPRESSION_zTXt;
    PngSpec international = ValidSpec();
    international.Compression = PNG_ITXT_COMPRESSION_NONE;
    for (const PngSpec& spec : {after, compressed, international}) {
        fs::remove(SharedPath("large"));
        WritePng(SharedPath("large"), spec);
        EXPECT_TRUE(AllPixels(Thumbnail(), kSharedRgb)) << spec.Compression;
    }
}

TEST_F(SharedThumbnailTest, TransparentThumbnailIsCompositedOnWhite) {
    PngSpec spec = ValidSpec();
    spec.Alpha = 0;
    WritePng(SharedPath(), spec);
    EXPECT_TRUE(AllPixels(Thumbnail(), 0xFFFFFF));
}

TEST_F(SharedThumbnailTest, StaleOtherOrMissingTextsAreIgnored) {
    std::vector<TextChunks> texts;
    const TextChunks valid = ValidText();
    auto with = [&valid](const std::string& key, const std::string& value) {
        TextChunks changed = valid;
        for (auto& [name, text] : changed) {
            if (name == key) text = value;
        }
        return changed;
    };
    texts.push_back(with("Thumb::MTime", std::to_string(std::stoll(MTime()) - 1)));
    texts.push_back(with("Thumb::MTime", MTime() + ".5"));
    texts.push_back(with("Thumb::URI", FileUriOf(home.Slash() + "other.bmp")));
    texts.push_back(with("Thumb::URI", "file://" + picture));  // not percent-encoded
    texts.push_back(with("Thumb::Image::Width", "0"));
    texts.push_back(with("Thumb::Image::Height", "300x"));
    for (const std::string_view key :
         {"Thumb::URI", "Thumb::MTime", "Thumb::Image::Width", "Thumb::Image::Height"}) {
        texts.push_back(valid);
        std::erase_if(texts.back(), [key](const auto& text) { return text.first == key; });
    }
    TextChunks twice = valid;
    twice.emplace_back("Thumb::URI", FileUriOf(home.Slash() + "other.bmp"));
    texts.push_back(twice);
    for (const TextChunks& text : texts) {
        fs::remove(SharedPath());
        PngSpec spec;
        spec.Before = text;
        WritePng(SharedPath(), spec);
        ExpectDecoded();
    }
}

TEST_F(SharedThumbnailTest, ThumbnailTooSmallForTheBoxIsIgnoredUnlessItIsThePictureItself) {
    PngSpec small = ValidSpec();
    small.Width = 40;
    small.Height = 30;
    WritePng(SharedPath(), small);
    ExpectDecoded();

    // A picture smaller than the box: its thumbnail holds every pixel, and is enlarged.
    fs::remove(SharedPath());
    WriteBmp(picture, 47, 39);
    PngSpec whole;
    whole.Width = 47;
    whole.Height = 39;
    whole.Before = {{"Thumb::URI", Uri()},
                    {"Thumb::MTime", MTime()},
                    {"Thumb::Image::Width", "47"},
                    {"Thumb::Image::Height", "39"}};
    WritePng(SharedPath(), whole);
    const Dib thumbnail = Thumbnail();
    EXPECT_EQ(thumbnail.Width(), kBoxWidth);
    EXPECT_EQ(thumbnail.Height(), kBoxHeight);
    EXPECT_TRUE(AllPixels(thumbnail, kSharedRgb));
}

TEST_F(SharedThumbnailTest, UprightThumbnailOfATurnedPictureKeepsItsOrientation) {
    // The file holds 400 x 300 pixels and says so; the desktop stored the thumbnail upright.
    PngSpec upright = ValidSpec();
    upright.Width = 96;
    upright.Height = 128;
    WritePng(SharedPath(), upright);
    const Dib thumbnail = Thumbnail();
    const ThumbnailExtent size = ThumbnailSize(kPictureHeight, kPictureWidth);
    EXPECT_EQ(thumbnail.Width(), size.Width);
    EXPECT_EQ(thumbnail.Height(), size.Height);
    EXPECT_TRUE(AllPixels(thumbnail, kSharedRgb));
}

TEST_F(SharedThumbnailTest, DamagedTruncatedOrNonPngFilesAreIgnored) {
    WritePng(SharedPath(), ValidSpec());
    const std::vector<std::uint8_t> valid = ReadFile(SharedPath());
    ASSERT_GT(valid.size(), 100u);

    std::vector<std::vector<std::uint8_t>> files;
    files.emplace_back(valid.begin(), valid.begin() + valid.size() / 2);  // cut in the pixels
    files.emplace_back(valid.begin(), valid.begin() + 30);                // cut in the header
    files.emplace_back(valid.begin(), valid.end() - 12);                  // no end chunk
    std::vector<std::uint8_t> flipped = valid;
    flipped[valid.size() - 30] ^= 0xFF;  // inside the pixel data: its checksum fails
    files.push_back(flipped);
    Dib bmp(128, 96, 24);
    files.push_back(bmp.ToBmpBytes());
    files.push_back({});
    for (const auto& bytes : files) {
        WriteFile(SharedPath(), bytes);
        ExpectDecoded();
    }
}

// A PNG file that is nothing but a header declaring width x height, with correct checksums.
std::vector<std::uint8_t> HeaderOnlyPng(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> bytes = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    auto put32 = [&bytes](std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(value >> shift);
    };
    put32(13);
    const std::size_t chunk = bytes.size();
    bytes.insert(bytes.end(), {'I', 'H', 'D', 'R'});
    put32(width);
    put32(height);
    bytes.insert(bytes.end(), {8, 2, 0, 0, 0});
    put32(static_cast<std::uint32_t>(crc32(0, bytes.data() + chunk, bytes.size() - chunk)));
    return bytes;
}

TEST_F(SharedThumbnailTest, HugeDimensionsLongTextsAndNonFilesAreIgnored) {
    PngSpec huge = ValidSpec();  // larger than any desktop's thumbnail
    huge.Width = 1100;
    huge.Height = 825;
    WritePng(SharedPath(), huge);
    ExpectDecoded();

    WriteFile(SharedPath(), HeaderOnlyPng(100000, 100000));
    ExpectDecoded();

    fs::remove(SharedPath());
    PngSpec chatty = ValidSpec();
    chatty.Before.emplace_back("Comment", std::string(20000, 'x'));
    WritePng(SharedPath(), chatty);
    ExpectDecoded();

    // Opening a pipe that nobody writes must not wait.
    fs::remove(SharedPath());
    ASSERT_EQ(::mkfifo(SharedPath().c_str(), 0600), 0);
    ExpectDecoded();
}

TEST_F(SharedThumbnailTest, TurnedOffTheSharedThumbnailsAreNotRead) {
    WritePng(SharedPath(), ValidSpec());
    SetSharedThumbnailsEnabled(false);
    ExpectDecoded();
}

TEST_F(SharedThumbnailTest, ChangedPictureMakesItsThumbnailStale) {
    WritePng(SharedPath(), ValidSpec());
    const fs::file_time_type later = fs::last_write_time(picture) + std::chrono::seconds(5);
    fs::last_write_time(picture, later);
    ExpectDecoded();
}

}  // namespace
}  // namespace pixelary
