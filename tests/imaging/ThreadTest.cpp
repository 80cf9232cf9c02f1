// SPDX-License-Identifier: GPL-3.0-or-later
// The component and the library reader used from two threads at once.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "TestSupport.h"
#include "readers/library/Rwlib.h"

namespace pixelary {
namespace {

constexpr int kRounds = 6;

TEST(PixImageThreads, TwoInstancesSaveAndLoadAtOnce) {
    testing::TempDir folder;
    auto work = [&](int id, bool& ok) {
        test::Component c;
        ok = true;
        for (int i = 0; i < kRounds; ++i) {
            const TPixBitmap source = test::Gradient(40 + id, 30 + i);
            for (TSaveFormat format : {TSaveFormat::PNG, TSaveFormat::JPG, TSaveFormat::TIF}) {
                const char* ext = format == TSaveFormat::PNG   ? ".png"
                                  : format == TSaveFormat::JPG ? ".jpg"
                                                               : ".tif";
                const std::string path =
                    folder.File(std::to_string(id) + "-" + std::to_string(i) + ext);
                c.image.Picture().Bitmap() = source;
                ok = ok && c.image.SaveAs(path, format) && c.Load(path) &&
                     c.image.Picture().Bitmap().Width() == 40 + id;
            }
            // Decoders of the other modules, and the libraries behind them, at the same time.
            for (const char* fixture : {"dxf/entities.dxf", "gif/plain.gif", "tga/rle.tga"}) {
                ok = ok && c.Load(test::Fixture(fixture));
            }
        }
    };
    bool ok1 = false, ok2 = false;
    std::thread first(work, 1, std::ref(ok1));
    std::thread second(work, 2, std::ref(ok2));
    first.join();
    second.join();
    EXPECT_TRUE(ok1);
    EXPECT_TRUE(ok2);
}

TEST(PixImageThreads, TheSharedLibraryReaderServesTwoThreads) {
    RegisterLibraryReader(PIXELARY_BIN_DIR);
    auto work = [](const std::string& file, int width, int& good) {
        for (int i = 0; i < kRounds; ++i) {
            auto reader = CreateDiskImage(test::Fixture(file), file.substr(file.size() - 3));
            if (reader && reader->GetWidth() == width) {
                Dib dib(8, 6, reader->GetBitCount());
                if (reader->GetBitCount() <= 8) dib.SetPalette(reader->GetPalette());
                reader->StretchBegin(0, 0, reader->GetWidth(), reader->GetHeight(), 8, 6);
                reader->StretchLines(dib, 6);
                good += dib.PixelRgb(0, 0) == 0 ? 1 : 0;
            }
        }
    };
    int good1 = 0, good2 = 0;
    std::thread first(work, "jpg/grey.jpg", 40, std::ref(good1));
    std::thread second(work, "png/palette.png", 40, std::ref(good2));
    first.join();
    second.join();
    SetLibraryReaderFactory(nullptr);
    EXPECT_EQ(good1, kRounds);
    EXPECT_EQ(good2, kRounds);
}

// Each thread decodes with its own component: a thread in the middle of a library read (holding
// its component's lock) never holds up another thread's read.
TEST(PixImageThreads, EachThreadReadsThroughItsOwnComponent) {
    RegisterLibraryReader(PIXELARY_BIN_DIR);
    std::unique_lock busy(RWPixImageLock());
    TPixImage* const mine = &RWPixImage();
    auto other = std::async(std::launch::async, [] {
        auto reader = CreateDiskImage(test::Fixture("jpg/grey.jpg"), "jpg");
        return std::make_pair(&RWPixImage(), reader ? reader->GetWidth() : -1);
    });
    // A shared component would keep the other thread waiting for the lock held here.
    const bool finished = other.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    busy.unlock();
    ASSERT_TRUE(finished);
    const auto [theirs, width] = other.get();
    SetLibraryReaderFactory(nullptr);
    EXPECT_NE(theirs, mine);
    EXPECT_EQ(width, 40);
}

}  // namespace
}  // namespace pixelary
