// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/Exception.h"
#include "print/PrintStyles.h"
#include "support/TempDir.h"

namespace pixelary {
namespace {

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class PrintStylesTest : public ::testing::Test {
  protected:
    PrintStylesTest()
        : shipped_(dir_.Path() + "/shipped"),
          user_(dir_.Path() + "/user"),
          store_(shipped_, user_) {
        std::filesystem::create_directories(shipped_);
    }
    testing::TempDir dir_;
    std::string shipped_;
    std::string user_;
    PrintStyleStore store_;
};

TEST_F(PrintStylesTest, SavedStyleIsTheRecordByteForByteAndReadsBack) {
    PrintSettings s;
    s.PictureWidth = 7.25;
    s.FillOrder = 2;
    store_.Save("Label.df", s);
    const auto bytes = ReadAll(user_ + "/Label.df");
    const auto expected = s.ToBytes();
    EXPECT_EQ(bytes, std::vector<std::uint8_t>(expected.begin(), expected.end()));
    EXPECT_EQ(store_.Load("Label.df").ToBytes(), expected);
    EXPECT_FALSE(std::filesystem::exists(user_ + "/Label.df.new"));
}

TEST_F(PrintStylesTest, SystemStyleComesFromTheShippedFolder) {
    PrintSettings shipped;
    shipped.PictureWidth = 3.0;
    const auto bytes = shipped.ToBytes();
    testing::WriteFile(shipped_ + "/system.df", {bytes.begin(), bytes.end()});
    EXPECT_EQ(store_.Load("system.df").PictureWidth, 3.0);
    EXPECT_EQ(store_.PathOf("default.uf"), user_ + "/default.uf");
}

TEST_F(PrintStylesTest, ListsUserStylesButNeverTheSystemStyle) {
    store_.Save("b-style.df", {});
    store_.Save("A style.DF", {});
    store_.Save("SYSTEM.DF", {});
    store_.Save("default.uf", {});
    testing::WriteFile(user_ + "/notes.txt", {1, 2, 3});
    EXPECT_EQ(store_.StyleNames(), (std::vector<std::string>{"A style", "b-style"}));
}

TEST_F(PrintStylesTest, MissingShortAndForeignFilesAreRefusedWithTheirMessages) {
    EXPECT_THROW(store_.Load("missing.df"), EFOpenError);
    std::filesystem::create_directories(user_);
    const auto good = PrintSettings{}.ToBytes();
    testing::WriteFile(user_ + "/short.df", {good.begin(), good.begin() + 119});
    try {
        store_.Load("short.df");
        ADD_FAILURE() << "a short file was accepted";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), kBadStyleFileMessage);
    }
    testing::WriteFile(user_ + "/foreign.df", std::vector<std::uint8_t>(120, 'Z'));
    EXPECT_THROW(store_.Load("foreign.df"), EInOutError);
}

TEST_F(PrintStylesTest, FailedSaveKeepsTheOldFile) {
    PrintSettings old;
    old.PictureWidth = 9.0;
    store_.Save("keep.df", old);
    // A folder in the way of the temporary file makes the write fail.
    std::filesystem::create_directories(user_ + "/keep.df.new/x");
    EXPECT_THROW(store_.Save("keep.df", PrintSettings{}), EFCreateError);
    EXPECT_EQ(store_.Load("keep.df").PictureWidth, 9.0);
}

}  // namespace
}  // namespace pixelary
