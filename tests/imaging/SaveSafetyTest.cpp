// SPDX-License-Identifier: GPL-3.0-or-later
// A save that fails part-way, whatever the format, leaves the file it would replace byte for
// byte as it was, and leaves nothing else behind.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <random>

#include "TestSupport.h"
#include "codecs/CodecAbi.h"
#include "support/FileSizeLimit.h"

namespace pixelary {
namespace {

using test::Component;
using testing::FileSizeLimit;
using testing::TempDir;
using Bytes = std::vector<char>;

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Random pixels: no encoder can make them small.
TPixBitmap Noise(int width, int height) {
    TPixBitmap bitmap;
    bitmap.SetSize(width, height, TPixelFormat::pf24bit);
    std::mt19937 random(11);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < 3 * width; ++x) {
            bitmap.ScanLine(y)[x] = static_cast<std::uint8_t>(random());
        }
    }
    return bitmap;
}

struct Format {
    TSaveFormat format;
    const char* name;
};
constexpr Format kFormats[] = {{TSaveFormat::BMP, "old.bmp"}, {TSaveFormat::PNG, "old.png"},
                               {TSaveFormat::JPG, "old.jpg"}, {TSaveFormat::GIF, "old.gif"},
                               {TSaveFormat::TIF, "old.tif"}, {TSaveFormat::TGA, "old.tga"},
                               {TSaveFormat::PCX, "old.pcx"}};

constexpr rlim_t kLimit = 4096;  // above every old file, below every new one

class FailedSave : public ::testing::Test {
  protected:
    TempDir folder;
    Component c;

    // Saves a small picture as the file a later save must not damage; returns its bytes.
    Bytes MakeOldFile(const std::string& path, TSaveFormat format) {
        c.image.Picture().Bitmap() = test::Gradient(8, 6);
        EXPECT_TRUE(c.image.SaveAs(path, format)) << path << ": " << c.lastText;
        return ReadBytes(path);
    }
    // A two-page TIFF file.
    Bytes MakeTwoPages(const std::string& path) {
        MakeOldFile(path, TSaveFormat::TIF);
        c.image.TiffAppend = true;
        c.image.Picture().Bitmap() = test::Stripes(5, 4, 3);
        EXPECT_TRUE(c.image.SaveAsTIF(path)) << c.lastText;
        c.image.TiffAppend = false;
        return ReadBytes(path);
    }
    int PageCount(const std::string& path) {
        int pages = 0;
        for (c.image.TiffPage = 0; c.Load(path); ++c.image.TiffPage) ++pages;
        c.image.TiffPage = 0;
        return pages;
    }
};

TEST_F(FailedSave, WriteErrorLeavesTheOldFileInEveryFormat) {
    c.image.SetJPegSaveQuality(100);  // so the JPEG of the noise is large too
    for (const Format& k : kFormats) {
        const std::string path = folder.File(k.name);
        const Bytes old = MakeOldFile(path, k.format);
        ASSERT_LT(old.size(), kLimit) << k.name;
        c.image.Picture().Bitmap() = Noise(120, 80);
        bool saved = true;
        {
            FileSizeLimit limit(kLimit);
            saved = c.image.SaveAs(path, k.format);
        }
        EXPECT_FALSE(saved) << k.name;
        EXPECT_EQ(c.lastCode, PIX_ERR_WRITE) << k.name;
        EXPECT_EQ(ReadBytes(path), old) << k.name << " was damaged";
    }
    std::vector<std::string> expected;
    for (const Format& k : kFormats) expected.push_back(k.name);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderNames(folder.Path()), expected) << "a temporary file was left behind";
}

TEST_F(FailedSave, FailedTiffAppendKeepsEveryPage) {
    const std::string path = folder.File("pages.tif");
    const Bytes old = MakeTwoPages(path);
    ASSERT_LT(old.size(), kLimit);
    c.image.TiffAppend = true;
    c.image.Picture().Bitmap() = Noise(120, 80);
    {
        FileSizeLimit limit(kLimit);
        EXPECT_FALSE(c.image.SaveAsTIF(path));
    }
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(PageCount(path), 2);
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::string>{"pages.tif"});
}

TEST_F(FailedSave, CancelledSaveAndAppendLeaveTheOldFile) {
    bool cancelling = false;
    c.image.OnProgress = [&cancelling](TPixImage&, std::uint16_t percent, bool& cancel,
                                       const std::string&) {
        cancel = cancelling && percent >= 50;
    };
    for (const Format& k : kFormats) {
        const std::string path = folder.File(k.name);
        const Bytes old = MakeOldFile(path, k.format);
        c.image.Picture().Bitmap() = Noise(120, 80);
        cancelling = true;
        EXPECT_FALSE(c.image.SaveAs(path, k.format)) << k.name;
        cancelling = false;
        EXPECT_EQ(c.lastCode, PIX_ERR_CANCELLED) << k.name;
        EXPECT_EQ(ReadBytes(path), old) << k.name << " was damaged";
    }
    const std::string pages = folder.File("pages.tif");
    const Bytes old = MakeTwoPages(pages);
    c.image.TiffAppend = true;
    c.image.Picture().Bitmap() = Noise(120, 80);
    cancelling = true;
    EXPECT_FALSE(c.image.SaveAsTIF(pages));
    cancelling = false;
    EXPECT_EQ(ReadBytes(pages), old);
    EXPECT_EQ(PageCount(pages), 2);
    EXPECT_EQ(FolderNames(folder.Path()).size(), std::size(kFormats) + 1);
}

TEST(SafeReplacement, KeepsPermissionsAndSymbolicLinks) {
    TempDir folder;
    Component c;
    c.image.Picture().Bitmap() = test::Gradient(8, 6);
    const std::string real = folder.File("real.png");
    ASSERT_TRUE(c.image.SaveAsPNG(real));
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    const std::string link = folder.File("link.png");
    std::filesystem::create_symlink("real.png", link);

    c.image.Picture().Bitmap() = test::Gradient(20, 10);
    ASSERT_TRUE(c.image.SaveAsPNG(link)) << c.lastText;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    struct stat info {};
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    ASSERT_TRUE(c.Load(real));
    EXPECT_EQ(c.image.Picture().Bitmap().Width(), 20);
    EXPECT_EQ(FolderNames(folder.Path()), (std::vector<std::string>{"link.png", "real.png"}));
}

// A small tmpfs, mounted in a mount namespace of this thread only, so nothing outside the test
// sees it and it cannot outlive the process.
class SmallFileSystem {
  public:
    explicit SmallFileSystem(const std::string& where) : where_(where) {
        if (unshare(CLONE_NEWNS) != 0) return;
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return;
        mounted_ = mount("tmpfs", where.c_str(), "tmpfs", 0, "size=16k") == 0;
    }
    ~SmallFileSystem() {
        if (mounted_) umount2(where_.c_str(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    bool Mounted() const { return mounted_; }

  private:
    std::string where_;
    bool mounted_ = false;
};

TEST_F(FailedSave, FullFileSystemLeavesTheOldFile) {
    const std::string disk = folder.File("disk");
    std::filesystem::create_directory(disk);
    SmallFileSystem small(disk);
    if (!small.Mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (needs CAP_SYS_ADMIN)";
    const std::string path = disk + "/old.bmp";
    const Bytes old = MakeOldFile(path, TSaveFormat::BMP);
    c.image.Picture().Bitmap() = Noise(120, 80);
    EXPECT_FALSE(c.image.SaveAsBMP(path));
    EXPECT_EQ(c.lastCode, PIX_ERR_WRITE);
    EXPECT_EQ(ReadBytes(path), old);

    const std::string pages = disk + "/pages.tif";
    const Bytes oldPages = MakeTwoPages(pages);
    c.image.TiffAppend = true;
    c.image.Picture().Bitmap() = Noise(120, 80);
    EXPECT_FALSE(c.image.SaveAsTIF(pages));
    EXPECT_EQ(ReadBytes(pages), oldPages);
    EXPECT_EQ(PageCount(pages), 2);
    EXPECT_EQ(FolderNames(disk), (std::vector<std::string>{"old.bmp", "pages.tif"}));
}

}  // namespace
}  // namespace pixelary
