// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "fileops/FileTransfer.h"

namespace pixelary::fileops {
namespace {

namespace fs = std::filesystem;

TransferCallbacks WithProgress(decltype(TransferCallbacks::progress) progress) {
    TransferCallbacks callbacks;
    callbacks.progress = std::move(progress);
    return callbacks;
}

TransferCallbacks WithAnswer(decltype(TransferCallbacks::askOverwrite) ask) {
    TransferCallbacks callbacks;
    callbacks.askOverwrite = std::move(ask);
    return callbacks;
}

class FileTransferTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = MakeRoot(fs::temp_directory_path());
        source_ = root_ / "來源";
        target_ = root_ / "目的";
        fs::create_directories(source_);
        fs::create_directories(target_);
    }
    void TearDown() override { fs::remove_all(root_); }

    static fs::path MakeRoot(const fs::path& under) {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        fs::path root =
            under / ("pixelary-fileops-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(root);
        fs::create_directories(root);
        return root;
    }

    static void Write(const fs::path& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path root_, source_, target_;
};

TEST_F(FileTransferTest, CopiesFilesAndFoldersWithChineseNamesAndReportsProgress) {
    Write(source_ / "貓.bmp", std::string(3000, 'c'));
    fs::create_directories(source_ / "相簿" / "內層");
    Write(source_ / "相簿" / "內層" / "狗.jpg", "dog");
    std::uint64_t last_done = 0, last_total = 0;
    FileTransfer copy(TransferKind::Copy,
                      {(source_ / "貓.bmp").string(), (source_ / "相簿").string()},
                      target_.string());
    const TransferResult result = copy.Run(WithProgress([&](auto done, auto total, auto&) {
        EXPECT_GE(done, last_done);
        last_done = done;
        last_total = total;
        return true;
    }));
    ASSERT_TRUE(result.Succeeded()) << result.error;
    EXPECT_EQ(Read(target_ / "貓.bmp"), std::string(3000, 'c'));
    EXPECT_EQ(Read(target_ / "相簿" / "內層" / "狗.jpg"), "dog");
    EXPECT_TRUE(fs::exists(source_ / "貓.bmp"));
    EXPECT_EQ(last_done, 3003u);
    EXPECT_EQ(last_total, 3003u);
    EXPECT_EQ(result.written.size(), 2u);
}

TEST_F(FileTransferTest, ExistingTargetFollowsTheUsersAnswer) {
    Write(source_ / "a.bmp", "new a");
    Write(source_ / "b.bmp", "new b");
    Write(target_ / "a.bmp", "old a");
    Write(target_ / "b.bmp", "old b");
    std::vector<std::string> asked;
    FileTransfer copy(TransferKind::Copy,
                      {(source_ / "a.bmp").string(), (source_ / "b.bmp").string()},
                      target_.string());
    auto answers = std::vector<OverwriteAnswer>{OverwriteAnswer::No, OverwriteAnswer::Yes};
    const auto result = copy.Run(WithAnswer([&](const std::string& target) {
        asked.push_back(fs::path(target).filename().string());
        return answers[asked.size() - 1];
    }));
    ASSERT_TRUE(result.Succeeded()) << result.error;
    EXPECT_EQ(asked, (std::vector<std::string>{"a.bmp", "b.bmp"}));
    EXPECT_EQ(Read(target_ / "a.bmp"), "old a");
    EXPECT_EQ(Read(target_ / "b.bmp"), "new b");
}

TEST_F(FileTransferTest, CancellingAtTheQuestionChangesNothing) {
    Write(source_ / "a.bmp", "new a");
    Write(source_ / "b.bmp", "new b");
    Write(target_ / "b.bmp", "old b");
    FileTransfer move(TransferKind::Move,
                      {(source_ / "a.bmp").string(), (source_ / "b.bmp").string()},
                      target_.string());
    const auto result =
        move.Run(WithAnswer([](const std::string&) { return OverwriteAnswer::Cancel; }));
    EXPECT_TRUE(result.cancelled);
    EXPECT_TRUE(fs::exists(source_ / "a.bmp"));  // planned before anything moved
    EXPECT_FALSE(fs::exists(target_ / "a.bmp"));
    EXPECT_EQ(Read(target_ / "b.bmp"), "old b");
}

TEST_F(FileTransferTest, CopyIntoItsOwnFolderMakesANumberedName) {
    Write(source_ / "照片.png", "p");
    FileTransfer copy(TransferKind::Copy, {(source_ / "照片.png").string()}, source_.string());
    ASSERT_TRUE(copy.Run({}).Succeeded());
    EXPECT_EQ(Read(source_ / "照片 (2).png"), "p");
}

TEST_F(FileTransferTest, FolderCannotGoInsideItself) {
    fs::create_directories(source_ / "sub");
    FileTransfer move(TransferKind::Move, {source_.string()}, (source_ / "sub").string());
    const auto result = move.Run({});
    EXPECT_FALSE(result.error.empty());
    EXPECT_TRUE(fs::exists(source_ / "sub"));
}

TEST_F(FileTransferTest, CheckRefusesAFolderIntoItselfAndAMoveThatStaysWhereItIs) {
    fs::create_directories(source_ / "相簿" / "內層");
    Write(source_ / "a.bmp", "a");
    const std::string folder = (source_ / "相簿").string();
    const std::string file = (source_ / "a.bmp").string();
    for (TransferKind kind : {TransferKind::Copy, TransferKind::Move}) {
        EXPECT_EQ(CheckTransfer(kind, {file, folder}, folder), TransferRefusal::IntoItself);
        EXPECT_EQ(CheckTransfer(kind, {folder}, folder + "/內層"), TransferRefusal::IntoItself);
        EXPECT_EQ(CheckTransfer(kind, {folder}, target_.string()), TransferRefusal::None);
    }
    // Into the folder the sources are in: a move has nothing to do, a copy makes numbered names.
    EXPECT_EQ(CheckTransfer(TransferKind::Move, {file, folder}, source_.string()),
              TransferRefusal::AlreadyThere);
    EXPECT_EQ(CheckTransfer(TransferKind::Copy, {file, folder}, source_.string()),
              TransferRefusal::None);
    // One source from elsewhere still has to move.
    Write(target_ / "b.bmp", "b");
    EXPECT_EQ(
        CheckTransfer(TransferKind::Move, {file, (target_ / "b.bmp").string()}, source_.string()),
        TransferRefusal::None);
    // A folder whose name merely starts like the source's is not inside it.
    fs::create_directories(source_ / "相簿2");
    EXPECT_EQ(CheckTransfer(TransferKind::Move, {folder}, folder + "2"), TransferRefusal::None);
}

TEST_F(FileTransferTest, CrossDeviceMoveDeletesSourcesOnlyAfterEveryCopy) {
    Write(source_ / "1.bmp", "one");
    Write(source_ / "2.bmp", "two");
    FileTransfer move(TransferKind::Move,
                      {(source_ / "1.bmp").string(), (source_ / "2.bmp").string()},
                      target_.string());
    move.SetRenameFunction([](const fs::path&, const fs::path&) {
        return std::make_error_code(std::errc::cross_device_link);
    });
    int files_done = 0;
    // Cancel while the second copy runs: the first source must still be there.
    const auto cancelled =
        move.Run(WithProgress([&](auto, auto, auto&) { return ++files_done < 2; }));
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_TRUE(fs::exists(source_ / "1.bmp"));
    EXPECT_TRUE(fs::exists(source_ / "2.bmp"));
    EXPECT_FALSE(fs::exists(target_ / "2.bmp"));
    for (const auto& entry : fs::directory_iterator(target_)) {
        EXPECT_EQ(entry.path().extension(), ".bmp") << "partial file left: " << entry.path();
    }

    const auto done = move.Run(WithAnswer([](auto&) { return OverwriteAnswer::YesToAll; }));
    ASSERT_TRUE(done.Succeeded()) << done.error;
    EXPECT_FALSE(fs::exists(source_ / "1.bmp"));
    EXPECT_FALSE(fs::exists(source_ / "2.bmp"));
    EXPECT_EQ(Read(target_ / "2.bmp"), "two");
}

TEST_F(FileTransferTest, MovesOntoARealSecondFileSystem) {
    if (!fs::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm";
    const fs::path other = MakeRoot("/dev/shm");
    fs::create_directories(source_ / "資料夾");
    Write(source_ / "資料夾" / "x.tga", "tga");
    FileTransfer move(TransferKind::Move, {(source_ / "資料夾").string()}, other.string());
    const auto result = move.Run({});
    EXPECT_TRUE(result.Succeeded()) << result.error;
    EXPECT_EQ(Read(other / "資料夾" / "x.tga"), "tga");
    EXPECT_FALSE(fs::exists(source_ / "資料夾"));
    fs::remove_all(other);
}

TEST_F(FileTransferTest, MissingSourceOrDestinationIsAClearError) {
    FileTransfer missing(TransferKind::Copy, {(source_ / "none.bmp").string()}, target_.string());
    EXPECT_NE(missing.Run({}).error.find("none.bmp"), std::string::npos);
    Write(source_ / "a.bmp", "a");
    FileTransfer nowhere(TransferKind::Copy, {(source_ / "a.bmp").string()},
                         (root_ / "nowhere").string());
    EXPECT_FALSE(nowhere.Run({}).error.empty());
}

}  // namespace
}  // namespace pixelary::fileops
