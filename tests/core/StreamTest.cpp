// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>

#include "core/Exception.h"
#include "core/Stream.h"

namespace pixelary {
namespace {

TEST(MemoryStream, ShortReadRaisesTheReadError) {
    MemoryStream stream({1, 2, 3});
    std::uint8_t buffer[4];
    EXPECT_EQ(stream.Read(buffer, 4), 3u);
    stream.SetPosition(1);
    EXPECT_THROW(stream.ReadBuffer(buffer, 3), EReadError);
    EXPECT_THROW(stream.Seek(-5, SeekOrigin::Current), EStreamError);
}

TEST(MemoryStream, IntegersAreLittleAndBigEndian) {
    MemoryStream stream;
    stream.WriteU32LE(0x11223344);
    stream.WriteU16LE(0xA1B2);
    stream.SetPosition(0);
    EXPECT_EQ(stream.ReadU32BE(), 0x44332211u);
    EXPECT_EQ(stream.ReadU16LE(), 0xA1B2u);
    EXPECT_EQ(stream.Remaining(), 0);
}

TEST(MemoryStream, WritingPastTheEndGrows) {
    MemoryStream stream;
    stream.SetPosition(4);
    stream.WriteU8(9);
    EXPECT_EQ(stream.Size(), 5);
    EXPECT_EQ(stream.Bytes()[4], 9);
}

TEST(FileStream, RoundTripAndErrorsNameThePath) {
    const auto dir = std::filesystem::temp_directory_path() / "pixelary-stream-test";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "bytes.bin").string();
    MemoryStream({5, 6, 7}).SaveToFile(path);
    MemoryStream back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Bytes(), (std::vector<std::uint8_t>{5, 6, 7}));
    try {
        FileStream missing((dir / "missing").string(), FileMode::OpenRead);
        FAIL() << "opened a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_NE(std::string(e.what()).find("missing"), std::string::npos);
    }
    EXPECT_THROW(FileStream((dir / "no/such/dir").string(), FileMode::Create), EFCreateError);
    std::filesystem::remove_all(dir);
}

// A FIFO named like a picture (put there after the folder was listed) is refused at once: opening
// it used to wait for a writer for ever.
TEST(FileStream, RefusesAFifoWithoutBlocking) {
    const auto dir = std::filesystem::temp_directory_path() / "pixelary-fifo-test";
    std::filesystem::create_directories(dir);
    const std::string fifo = (dir / "photo.bmp").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto open = std::async(std::launch::async, [&] {
        EXPECT_THROW(FileStream(fifo, FileMode::OpenRead), EFOpenError);
    });
    const bool blocked = open.wait_for(std::chrono::seconds(10)) != std::future_status::ready;
    if (blocked) ::close(::open(fifo.c_str(), O_WRONLY));  // lets the blocked open go on
    open.wait();
    EXPECT_FALSE(blocked) << "opening the FIFO blocked";
    EXPECT_THROW(FileStream("/dev/zero", FileMode::OpenRead), EFOpenError);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace pixelary
