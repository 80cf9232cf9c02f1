// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <unistd.h>

#include <QIcon>
#include <QLocale>
#include <algorithm>
#include <filesystem>
#include <set>
#include <thread>
#include <utility>

#include "platform/LinuxShell.h"
#include "platform/ShellIcons.h"
#include "support/TempDir.h"

namespace pixelary::platform {
namespace {

using shell::IdList;
using testing::TempDir;

constexpr std::uint32_t kAll = 0xFFFFFFFF;
constexpr std::uint32_t kBoth = shell::SHCONTF_FOLDERS | shell::SHCONTF_NONFOLDERS;

IdList Item(std::uint8_t kind, const std::string& name) {
    return *shell::idlist::MakeItem(kind, name);
}

class LinuxShellTest : public ::testing::Test {
  protected:
    LinuxShellTest() {
        tree.Folder("home/Desktop");
        tree.MakeFile("home/Desktop/note.txt", 5);
        tree.MakeFile("home/Desktop/.hidden", 1);
        tree.Folder("home/pics/sub");
        tree.MakeFile("home/pics/Cat.JPG", 10);
        tree.MakeFile("home/pics/.profile", 3);
        tree.MakeFile("home/pics/相片.png", 7);
        tree.Folder("vol/data");
        roots.Home = tree.File("home");
        roots.Desktop = tree.File("home/Desktop");
        roots.Volumes = {"/", tree.File("vol")};
        linux_shell = std::make_shared<LinuxShell>(roots);
        desktop = linux_shell->GetDesktopFolder();
    }

    // Names of a folder's children in order of appearance, sorted for comparison.
    std::set<std::string> ChildNames(shell::ShellFolder& folder, std::uint32_t flags) {
        std::set<std::string> names;
        const auto children = folder.EnumObjects(flags);
        for (const IdList& child : children.value()) {
            names.insert(*folder.GetDisplayNameOf(child, shell::SHGDN_NORMAL));
        }
        return names;
    }

    shell::FolderPtr Folder(const std::string& path) {
        const IdList list = *desktop->ParseDisplayName(path);
        return desktop->BindToObject(list);
    }

    TempDir tree;
    ShellRoots roots;
    std::shared_ptr<LinuxShell> linux_shell;
    shell::FolderPtr desktop;
};

TEST_F(LinuxShellTest, DesktopHoldsHomeComputerAndTheDesktopFolderEntries) {
    // The desktop folder lies inside home here; it is listed through the desktop all the same.
    EXPECT_EQ(ChildNames(*desktop, kBoth), (std::set<std::string>{"home", "Computer", "note.txt"}));
    EXPECT_EQ(ChildNames(*desktop, shell::SHCONTF_FOLDERS),
              (std::set<std::string>{"home", "Computer"}));
    EXPECT_EQ(ChildNames(*desktop, kBoth | shell::SHCONTF_INCLUDEHIDDEN).count(".hidden"), 1u);
    EXPECT_EQ(*desktop->GetDisplayNameOf(shell::idlist::Empty(), shell::SHGDN_NORMAL), "Desktop");
    EXPECT_EQ(*desktop->GetDisplayNameOf(shell::idlist::Empty(), shell::SHGDN_FORPARSING),
              "::Desktop");
    EXPECT_EQ(desktop->GetAttributesOf(shell::idlist::Empty(), kAll),
              shell::SFGAO_FOLDER | shell::SFGAO_FILESYSANCESTOR);
}

TEST_F(LinuxShellTest, ComputerListsTheVolumes) {
    const IdList computer = *linux_shell->GetSpecialFolderLocation(shell::CSIDL_DRIVES);
    EXPECT_EQ(*desktop->GetDisplayNameOf(computer, shell::SHGDN_FORPARSING), "::Computer");
    EXPECT_EQ(desktop->GetAttributesOf(computer, shell::SFGAO_FILESYSTEM), 0u);
    auto folder = desktop->BindToObject(computer);
    ASSERT_TRUE(folder);
    std::set<std::string> paths;
    const auto children = folder->EnumObjects(kBoth);
    for (const IdList& child : children.value()) {
        paths.insert(*folder->GetDisplayNameOf(child, shell::SHGDN_FORPARSING));
        EXPECT_EQ(folder->GetAttributesOf(child, shell::SFGAO_FOLDER | shell::SFGAO_FILESYSTEM),
                  shell::SFGAO_FOLDER | shell::SFGAO_FILESYSTEM);
    }
    EXPECT_EQ(paths, (std::set<std::string>{"/", tree.File("vol")}));
    EXPECT_TRUE(folder->EnumObjects(shell::SHCONTF_NONFOLDERS)->empty());
}

TEST_F(LinuxShellTest, AbsolutePathsParseBelowHomeOrTheirVolume) {
    const IdList pics = *desktop->ParseDisplayName(tree.File("home/pics/"));
    const auto items = shell::idlist::Decode(pics);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].kind, kind::kHome);
    EXPECT_EQ(items[1].name, "pics");
    EXPECT_EQ(*desktop->GetDisplayNameOf(pics, shell::SHGDN_FORPARSING), tree.File("home/pics"));

    // the longest mount point wins
    const IdList data_list = *desktop->ParseDisplayName(tree.File("vol/data"));
    const auto data = shell::idlist::Decode(data_list);
    ASSERT_EQ(data.size(), 3u);
    EXPECT_EQ(data[1].kind, kind::kVolume);
    EXPECT_EQ(data[1].name, tree.File("vol"));
    EXPECT_EQ(data[2].name, "data");

    const IdList root_list = *desktop->ParseDisplayName("/");
    const auto root = shell::idlist::Decode(root_list);
    ASSERT_EQ(root.size(), 2u);
    EXPECT_EQ(root[1].name, "/");

    EXPECT_EQ(*desktop->ParseDisplayName("::Desktop"), shell::idlist::Empty());
    EXPECT_FALSE(desktop->ParseDisplayName(tree.File("home/missing")));
    EXPECT_FALSE(desktop->ParseDisplayName("home/pics"));
    EXPECT_FALSE(desktop->ParseDisplayName(tree.File("home/pics/../pics")));
    EXPECT_FALSE(desktop->ParseDisplayName(""));
}

TEST_F(LinuxShellTest, FileSystemItemsHaveFileNamesPathsAndAttributes) {
    auto pics = Folder(tree.File("home/pics"));
    ASSERT_TRUE(pics);
    EXPECT_EQ(ChildNames(*pics, kBoth), (std::set<std::string>{"sub", "Cat.JPG", "相片.png"}));
    EXPECT_EQ(ChildNames(*pics, shell::SHCONTF_NONFOLDERS),
              (std::set<std::string>{"Cat.JPG", "相片.png"}));
    const IdList cat = Item(kind::kEntry, "Cat.JPG");
    EXPECT_EQ(*pics->GetDisplayNameOf(cat, shell::SHGDN_FORPARSING),
              tree.File("home/pics/Cat.JPG"));
    constexpr std::uint32_t kChange =
        shell::SFGAO_CANRENAME | shell::SFGAO_CANDELETE | shell::SFGAO_CANMOVE;
    EXPECT_EQ(pics->GetAttributesOf(cat, kAll),
              shell::SFGAO_FILESYSTEM | shell::SFGAO_CANCOPY | kChange);
    EXPECT_EQ(pics->GetAttributesOf(Item(kind::kEntry, "sub"), kAll),
              shell::SFGAO_FILESYSTEM | shell::SFGAO_FOLDER | shell::SFGAO_FILESYSANCESTOR |
                  shell::SFGAO_CANCOPY | kChange);
    // the mask limits what is reported
    EXPECT_EQ(pics->GetAttributesOf(cat, shell::SFGAO_FOLDER), 0u);
    EXPECT_EQ(pics->GetAttributesOf(Item(kind::kEntry, "gone"), kAll), 0u);
    // the home folder and volumes stay where they are
    EXPECT_EQ(desktop->GetAttributesOf(Item(kind::kHome, "Home"), kChange), 0u);
    // a file is no folder to bind to
    EXPECT_FALSE(pics->BindToObject(cat));
    EXPECT_TRUE(pics->BindToObject(Item(kind::kEntry, "sub")));
}

TEST_F(LinuxShellTest, ReadOnlyFolderEntriesCannotChange) {
    namespace fs = std::filesystem;
    tree.Folder("home/ro");
    tree.MakeFile("home/ro/a.bmp", 4);
    auto ro = Folder(tree.File("home/ro"));
    fs::permissions(tree.File("home/ro"), fs::perms::owner_read | fs::perms::owner_exec |
                                              fs::perms::others_read | fs::perms::others_exec);
    const IdList file = Item(kind::kEntry, "a.bmp");
    auto unchangeable = [&] {
        return ro->GetAttributesOf(file, kAll) ==
                   (shell::SFGAO_FILESYSTEM | shell::SFGAO_CANCOPY) &&
               !ro->SetNameOf(file, "b.bmp", 0) && fs::exists(tree.File("home/ro/a.bmp"));
    };
    if (testing::PermissionsApply()) {
        EXPECT_TRUE(unchangeable());
        return;
    }
    // The superuser may write anywhere: the check runs in a child process as "nobody".
    fs::permissions(tree.Path(), fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add);
    constexpr uid_t kNobody = 65534;
    EXPECT_EXIT(
        {
            if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
            ::_exit(unchangeable() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(LinuxShellTest, ListsThatLeaveTheirFolderNameNothing) {
    auto pics = Folder(tree.File("home/pics"));
    for (const std::string& name :
         std::vector<std::string>{"..", ".", "sub/../..", "", std::string("a\0b", 3)}) {
        const IdList item = Item(kind::kEntry, name);
        EXPECT_FALSE(pics->GetDisplayNameOf(item, shell::SHGDN_FORPARSING)) << name;
        EXPECT_EQ(pics->GetAttributesOf(item, kAll), 0u) << name;
        EXPECT_FALSE(pics->BindToObject(item)) << name;
    }
    // a volume must be a clean absolute path; kinds belong to their folder
    const IdList computer = Item(kind::kComputer, "Computer");
    auto computer_folder = desktop->BindToObject(computer);
    EXPECT_FALSE(computer_folder->BindToObject(Item(kind::kVolume, "/tmp/../etc")));
    EXPECT_FALSE(computer_folder->BindToObject(Item(kind::kVolume, "relative")));
    EXPECT_FALSE(pics->BindToObject(Item(kind::kHome, "Home")));
    EXPECT_TRUE(pics->GetIcon(Item(kind::kVolume, "/"), shell::IconSize::Small).IsEmpty());
    // truncated bytes read as their sound prefix: here the folder itself
    EXPECT_EQ(*pics->GetDisplayNameOf(IdList{9, 0, 'F'}, shell::SHGDN_FORPARSING),
              tree.File("home/pics"));
}

TEST_F(LinuxShellTest, VirtualFoldersAreNamedInTheInterfaceLanguage) {
    const auto names = [](const std::string& locale) {
        const VirtualFolderNames n = VirtualFolderNames::ForLanguage(locale);
        return std::make_pair(n.Desktop, n.Computer);
    };
    EXPECT_EQ(names("zh_TW"), std::make_pair(std::string("桌面"), std::string("電腦")));
    EXPECT_EQ(names("zh-Hant-HK"), std::make_pair(std::string("桌面"), std::string("電腦")));
    EXPECT_EQ(names("zh_CN"), std::make_pair(std::string("桌面"), std::string("计算机")));
    EXPECT_EQ(names("en_US"), std::make_pair(std::string("Desktop"), std::string("Computer")));
    EXPECT_EQ(names("C"), std::make_pair(std::string("Desktop"), std::string("Computer")));

    ShellRoots chinese = roots;
    chinese.Names = VirtualFolderNames::ForLanguage("zh_TW");
    auto chinese_shell = std::make_shared<LinuxShell>(chinese);
    auto top = chinese_shell->GetDesktopFolder();
    EXPECT_EQ(*top->GetDisplayNameOf(shell::idlist::Empty(), shell::SHGDN_NORMAL), "桌面");
    EXPECT_EQ(ChildNames(*top, shell::SHCONTF_FOLDERS), (std::set<std::string>{"home", "電腦"}));
    // Parsing names and the items themselves stay the same in every language.
    EXPECT_EQ(*top->GetDisplayNameOf(shell::idlist::Empty(), shell::SHGDN_FORPARSING), "::Desktop");
    const IdList computer = *chinese_shell->GetSpecialFolderLocation(shell::CSIDL_DRIVES);
    EXPECT_EQ(computer, Item(kind::kComputer, "Computer"));
    EXPECT_EQ(*top->GetDisplayNameOf(computer, shell::SHGDN_FORPARSING), "::Computer");
    EXPECT_EQ(*top->ParseDisplayName("::Computer"), computer);
}

TEST_F(LinuxShellTest, RenameNeverReplacesAnEntry) {
    auto pics = Folder(tree.File("home/pics"));
    const IdList cat = Item(kind::kEntry, "Cat.JPG");
    EXPECT_FALSE(pics->SetNameOf(cat, "相片.png", 0));
    EXPECT_FALSE(pics->SetNameOf(cat, "sub/Cat.JPG", 0));
    EXPECT_FALSE(pics->SetNameOf(cat, "", 0));
    EXPECT_TRUE(std::filesystem::exists(tree.File("home/pics/相片.png")));
    EXPECT_EQ(std::filesystem::file_size(tree.File("home/pics/相片.png")), 7u);
    const auto renamed = pics->SetNameOf(cat, "貓.jpg", 0);
    ASSERT_TRUE(renamed);
    EXPECT_EQ(*renamed, Item(kind::kEntry, "貓.jpg"));
    EXPECT_TRUE(std::filesystem::exists(tree.File("home/pics/貓.jpg")));
    EXPECT_FALSE(std::filesystem::exists(tree.File("home/pics/Cat.JPG")));
    EXPECT_FALSE(desktop->SetNameOf(Item(kind::kComputer, "Computer"), "X", 0));
}

TEST_F(LinuxShellTest, IconsHaveTheSystemSizesOnAnyThread) {
    auto pics = Folder(tree.File("home/pics"));
    for (const IdList& item : {Item(kind::kEntry, "Cat.JPG"), Item(kind::kEntry, "sub")}) {
        const Dib small = pics->GetIcon(item, shell::IconSize::Small);
        const Dib large = pics->GetIcon(item, shell::IconSize::Large);
        EXPECT_EQ(small.Width(), kSmallIconSide);
        EXPECT_EQ(small.Height(), kSmallIconSide);
        EXPECT_EQ(large.Width(), kLargeIconSide);
        EXPECT_EQ(large.BitCount(), 24);
    }
    const IdList computer = Item(kind::kComputer, "Computer");
    EXPECT_EQ(desktop->GetIcon(computer, shell::IconSize::Large).Width(), kLargeIconSide);
    // off the GUI thread the built-in drawings stand in
    Dib drawn;
    std::thread worker(
        [&] { drawn = pics->GetIcon(Item(kind::kEntry, "sub"), shell::IconSize::Large); });
    worker.join();
    EXPECT_EQ(drawn.Width(), kLargeIconSide);
    EXPECT_NE(drawn.PixelRgb(16, 20), 0xFFFFFFu);  // the folder's body is drawn there
}

TEST_F(LinuxShellTest, TheIconThemeIsUsedWhenTheSystemHasOne) {
    auto pics = Folder(tree.File("home/pics"));
    const IdList sub = Item(kind::kEntry, "sub");
    const Dib themed = pics->GetIcon(sub, shell::IconSize::Large);
    if (QIcon::fromTheme("folder").isNull()) GTEST_SKIP() << "no icon theme installed";
    Dib drawn;
    std::thread worker([&] { drawn = pics->GetIcon(sub, shell::IconSize::Large); });
    worker.join();
    EXPECT_NE(themed.Pixels(), drawn.Pixels());
}

TEST_F(LinuxShellTest, TypeNamesFollowTheMimeTypeAndLanguage) {
    auto pics = Folder(tree.File("home/pics"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(pics->GetTypeName(Item(kind::kEntry, "相片.png")), "PNG image");
    EXPECT_EQ(pics->GetTypeName(Item(kind::kEntry, "sub")), "folder");
    EXPECT_EQ(pics->GetTypeName(Item(kind::kEntry, "missing")), "");
    QLocale::setDefault(
        QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan));
    const std::string chinese = pics->GetTypeName(Item(kind::kEntry, "相片.png"));
    QLocale::setDefault(QLocale::system());
    EXPECT_NE(chinese, "PNG image");
    EXPECT_FALSE(chinese.empty());
}

TEST_F(LinuxShellTest, SpecialFolders) {
    EXPECT_EQ(*linux_shell->GetSpecialFolderLocation(shell::CSIDL_DESKTOP), shell::idlist::Empty());
    const IdList desk = *linux_shell->GetSpecialFolderLocation(shell::CSIDL_DESKTOPDIRECTORY);
    EXPECT_EQ(*desktop->GetDisplayNameOf(desk, shell::SHGDN_FORPARSING), tree.File("home/Desktop"));
    EXPECT_FALSE(linux_shell->GetSpecialFolderLocation(5));
    ShellRoots no_desktop = roots;
    no_desktop.Desktop.clear();
    EXPECT_FALSE(LinuxShell(no_desktop).GetSpecialFolderLocation(shell::CSIDL_DESKTOPDIRECTORY));
}

TEST(ShellRoots, SystemRootsListTheRootVolumeFirst) {
    const ShellRoots roots = ShellRoots::FromSystem();
    ASSERT_FALSE(roots.Volumes.empty());
    EXPECT_EQ(roots.Volumes.front(), "/");
    EXPECT_FALSE(roots.Home.empty());
}

}  // namespace
}  // namespace pixelary::platform
