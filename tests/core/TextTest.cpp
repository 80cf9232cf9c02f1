// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/Text.h"

namespace pixelary {
namespace {

TEST(Text, CountsCodePointsNotBytes) {
    EXPECT_EQ(text::CodePointCount("相片.jpg"), 6u);
    EXPECT_EQ(text::CodePointCount("\xE7\x9B"), 2u);  // a cut sequence counts byte by byte
    EXPECT_EQ(text::LeftCodePoints("相片.jpg", 2), "相片");
    EXPECT_EQ(text::LastIndexOf("相片.a.jpg", '.'), 4u);
    EXPECT_EQ(text::LastIndexOf("相片", '.'), std::string::npos);
}

TEST(Text, LowerCaseLeavesChineseAlone) {
    EXPECT_EQ(text::ToLower("BMP"), "bmp");
    EXPECT_EQ(text::ToLower("相片AB"), "相片ab");
}

TEST(Text, LocaleCompareIsEqualOnlyForIdenticalTexts) {
    text::SetLocaleCompare([](std::string_view, std::string_view) { return 0; });
    EXPECT_EQ(text::LocaleCompare("a", "A"), 1);
    EXPECT_EQ(text::LocaleCompare("abc", "abc"), 0);
    text::SetLocaleCompare(nullptr);
    EXPECT_EQ(text::LocaleCompare("a", "b"), -1);
}

}  // namespace
}  // namespace pixelary
