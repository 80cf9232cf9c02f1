// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QImage>
#include <QLocale>
#include <thread>
#include <vector>

#include "core/Dib.h"
#include "core/Text.h"
#include "platform/DibImage.h"
#include "platform/LocaleCollation.h"

namespace pixelary::platform {
namespace {

// The user's language decides the order; these tests pin one.
class LocaleCollation : public ::testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(LocaleCollation, CaseSensitiveAndEqualOnlyForIdenticalTexts) {
    EXPECT_EQ(LocaleCollatedCompare("photo", "photo"), 0);
    EXPECT_NE(LocaleCollatedCompare("Photo", "photo"), 0);
    EXPECT_EQ(LocaleCollatedCompare("apple", "Banana"), -1);  // letters before case
    EXPECT_EQ(LocaleCollatedCompare("banana", "Apple"), 1);
    InstallLocaleCompare();
    EXPECT_EQ(text::LocaleCompare("a", "a"), 0);
    EXPECT_EQ(text::LocaleCompare("apple", "Banana"), -1);
    // Texts the collation calls equal still differ
    EXPECT_NE(text::LocaleCompare("e\xCC\x81", "\xC3\xA9"), 0);
    text::SetLocaleCompare(nullptr);
}

TEST_F(LocaleCollation, ThreadsCompareAtTheSameTime) {
    std::vector<std::thread> threads;
    std::vector<int> sums(4, 0);
    for (std::size_t t = 0; t < sums.size(); ++t) {
        threads.emplace_back([&sums, t] {
            for (int i = 0; i < 500; ++i) sums[t] += LocaleCollatedCompare("檔案", "資料夾");
        });
    }
    for (auto& thread : threads) thread.join();
    for (int sum : sums) EXPECT_EQ(sum, sums[0]);
    EXPECT_NE(sums[0], 0);
}

TEST(DibImage, ConvertsBothWays) {
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(2, 1, qRgb(0, 0, 255));
    const Dib dib = QImageToDib(image);
    ASSERT_EQ(dib.BitCount(), 24);
    EXPECT_EQ(dib.PixelRgb(0, 0), 0xFF0000u);
    EXPECT_EQ(dib.PixelRgb(2, 1), 0x0000FFu);
    EXPECT_EQ(dib.PixelRgb(1, 0), 0xFFFFFFu);  // transparent lands on white
    const QImage back = DibToQImage(dib);
    EXPECT_EQ(back.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(back.pixel(2, 1), qRgb(0, 0, 255));

    Dib indexed(2, 1, 4);
    indexed.SetPalette({0x000000, 0x00FF00});
    indexed.Row(0)[0] = 0x10;  // left pixel 1, right pixel 0
    const QImage fromPalette = DibToQImage(indexed);
    EXPECT_EQ(fromPalette.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(fromPalette.pixel(1, 0), qRgb(0, 0, 0));
    EXPECT_TRUE(DibToQImage(Dib()).isNull());
}

}  // namespace
}  // namespace pixelary::platform
