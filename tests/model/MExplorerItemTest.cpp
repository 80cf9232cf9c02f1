// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QLocale>
#include <filesystem>
#include <limits>
#include <set>

#include "core/Dib.h"
#include "core/DosDateTime.h"
#include "core/Exception.h"
#include "core/Text.h"
#include "model/MExplorerItem.h"
#include "model/MFolderPath.h"
#include "platform/LinuxShell.h"
#include "platform/LocaleCollation.h"
#include "support/TempDir.h"

namespace pixelary {
namespace {

using testing::TempDir;

constexpr std::uint32_t kBoth = shell::SHCONTF_FOLDERS | shell::SHCONTF_NONFOLDERS;
constexpr std::time_t k2019 = 1546300800;  // 2019-01-01 00:00:00 UTC
constexpr std::time_t kYear = 365 * 24 * 3600;

TEST(SplitPath, TheExtensionComesFromTheLastComponent) {
    auto split = [](const char* path) {
        const MSplitPath parts = SplitPath(path);
        return parts.Directory + "|" + parts.Name + "|" + parts.Ext;
    };
    EXPECT_EQ(split("/pics/Cat.JPG"), "/pics/|Cat|.JPG");
    EXPECT_EQ(split("/pics/.profile"), "/pics/|.profile|");
    EXPECT_EQ(split("/pics/file."), "/pics/|file.|");
    EXPECT_EQ(split("/my.pics/photo"), "/my.pics/|photo|");
    EXPECT_EQ(split("/a/b.tar.gz"), "/a/|b.tar|.gz");
    EXPECT_EQ(split("/"), "/||");
    EXPECT_EQ(split("相片.tif"), "|相片|.tif");
    EXPECT_EQ(split("/資料/圖.片.png"), "/資料/|圖.片|.png");
}

// A temporary home with a picture folder, installed as the process's namespace.
class MExplorerItemTest : public ::testing::Test {
  protected:
    MExplorerItemTest() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        platform::InstallLocaleCompare();
        tree.Folder("home/Desktop");
        tree.MakeFile("home/Desktop/note.txt", 1);
        tree.Folder("home/pics/Alpha");
        tree.Folder("home/pics/beta");
        tree.MakeFile("home/pics/Cat.JPG", 300, k2019 + kYear);
        tree.MakeFile("home/pics/dog.png", 100, k2019 + 2 * kYear);
        tree.MakeFile("home/pics/b.png", 100, k2019);
        tree.MakeFile("home/pics/photojpg", 50, k2019 + 4 * kYear);
        tree.MakeFile("home/pics/file.", 10, k2019 + 5 * kYear);
        tree.MakeFile("home/pics/.profile", 5, k2019);
        tree.MakeFile("home/pics/相片.tif", 200, k2019 + 3 * kYear);
        TempDir::SetTime(tree.File("home/pics/Alpha"), k2019 + 7 * kYear);
        TempDir::SetTime(tree.File("home/pics/beta"), k2019 + 6 * kYear);
        platform::ShellRoots roots;
        roots.Home = tree.File("home");
        roots.Desktop = tree.File("home/Desktop");
        roots.Volumes = {"/"};
        shell::SetShell(std::make_shared<platform::LinuxShell>(roots));
    }
    ~MExplorerItemTest() override {
        shell::SetShell(nullptr);
        text::SetLocaleCompare(nullptr);
        QLocale::setDefault(QLocale::system());
    }

    // "Name+Ext" of every entry in order, joined by spaces.
    static std::string Order(MExplorerItem& folder) {
        std::string out;
        for (int i = 0; MExplorerItem* entry = folder.GetChild(i); ++i) {
            if (!out.empty()) out += ' ';
            out += entry->GetName() + entry->GetExt();
        }
        return out;
    }

    MExplorerItem* Entry(MExplorerItem& folder, const std::string& fullName) {
        for (int i = 0; MExplorerItem* entry = folder.GetChild(i); ++i) {
            if (entry->GetName() + entry->GetExt() == fullName) return entry;
        }
        return nullptr;
    }

    TempDir tree;
};

TEST_F(MExplorerItemTest, AFolderByPathListsItsEntriesFoldersFirst) {
    MExplorerItem pics(tree.File("home/pics"));
    EXPECT_EQ(pics.GetDisplayName(shell::SHGDN_FORPARSING), tree.File("home/pics"));
    EXPECT_EQ(pics.ChildCount(), 8);  // ".profile" is hidden
    EXPECT_EQ(Order(pics), "Alpha beta b.png Cat.JPG dog.png file. photojpg 相片.tif");
    EXPECT_EQ(pics.GetChild(8), nullptr);
    EXPECT_EQ(pics.GetChild(-1), nullptr);
    EXPECT_EQ(pics.GetChild(3), pics.GetChild(3));
    EXPECT_EQ(pics.GetChild(2)->GetName(), "b");
    // one folder object serves every entry of the enumeration
    EXPECT_EQ(pics.GetChild(0)->ParentFolder(), pics.GetChild(7)->ParentFolder());
    EXPECT_EQ(pics.GetChild(7)->ParentFolder().use_count(), pics.ChildCount());
}

TEST_F(MExplorerItemTest, PlainShellItemsListTheirChildrenAsShellItems) {
    MShellItem pics(tree.File("home/pics"));
    pics.Fill(shell::SHCONTF_FOLDERS);
    ASSERT_EQ(pics.ChildCount(), 2);
    std::set<std::string> names;
    for (int i = 0; i < pics.ChildCount(); ++i) {
        MShellItem* child = pics.GetChild(i);
        EXPECT_EQ(dynamic_cast<MExplorerItem*>(child), nullptr);
        names.insert(child->GetDisplayName(shell::SHGDN_NORMAL));
    }
    EXPECT_EQ(names, (std::set<std::string>{"Alpha", "beta"}));
    MShellItem* alpha =
        pics.GetChild(0)->GetDisplayName(0) == "Alpha" ? pics.GetChild(0) : pics.GetChild(1);
    EXPECT_TRUE(alpha->Rename("Gamma"));
    EXPECT_TRUE(std::filesystem::is_directory(tree.File("home/pics/Gamma")));
    EXPECT_EQ(alpha->GetDisplayName(shell::SHGDN_FORPARSING), tree.File("home/pics/Gamma"));
}

TEST_F(MExplorerItemTest, EntriesReportTheirFileFacts) {
    MExplorerItem pics(tree.File("home/pics"));
    MExplorerItem& cat = *Entry(pics, "Cat.JPG");
    EXPECT_EQ(cat.GetName(), "Cat");
    EXPECT_EQ(cat.GetExt(), ".JPG");
    EXPECT_EQ(cat.GetFileSize(), 300);
    EXPECT_EQ(cat.GetFileDate(), dosdate::FromUnixTime(k2019 + kYear));
    EXPECT_TRUE(cat.GetIsFile());
    EXPECT_EQ(cat.GetTypeName(), "JPEG image");
    EXPECT_EQ(cat.GetDisplayName(shell::SHGDN_NORMAL), "Cat.JPG");

    MExplorerItem& file_dot = *Entry(pics, "file.");
    EXPECT_EQ(file_dot.GetName(), "file.");
    EXPECT_EQ(file_dot.GetExt(), "");

    MExplorerItem& alpha = *Entry(pics, "Alpha");
    EXPECT_FALSE(alpha.GetIsFile());
    EXPECT_EQ(alpha.GetFileSize(), 0);
    EXPECT_EQ(alpha.GetFileDate(), dosdate::FromUnixTime(k2019 + 7 * kYear));
    EXPECT_EQ(alpha.GetTypeName(), "folder");

    MExplorerItem profile(tree.File("home/pics/.profile"));
    EXPECT_EQ(profile.GetName(), ".profile");
    EXPECT_EQ(profile.GetExt(), "");
    EXPECT_EQ(profile.GetFileSize(), 5);
}

TEST_F(MExplorerItemTest, FilesOver2GiBReportTheLargestSize) {
    const std::string path = tree.MakeFile("home/pics/huge.raw", 0);
    ASSERT_EQ(::truncate(path.c_str(), std::int64_t{3} << 30), 0);
    MExplorerItem huge(path);
    EXPECT_EQ(huge.GetFileSize(), std::numeric_limits<std::int32_t>::max());
}

TEST_F(MExplorerItemTest, SortsByEachKeyInEitherDirection) {
    MExplorerItem pics(tree.File("home/pics"));
    pics.Fill(kBoth);
    pics.SetSortKey(kSortBySize);
    EXPECT_EQ(Order(pics), "Alpha beta file. photojpg b.png dog.png 相片.tif Cat.JPG");
    pics.SetAscending(false);
    EXPECT_EQ(Order(pics), "beta Alpha Cat.JPG 相片.tif dog.png b.png photojpg file.");
    pics.SetSortKey(kSortByDate);
    EXPECT_EQ(Order(pics), "Alpha beta file. photojpg 相片.tif dog.png Cat.JPG b.png");
    pics.SetAscending(true);
    EXPECT_EQ(Order(pics), "beta Alpha b.png Cat.JPG dog.png 相片.tif photojpg file.");
    pics.SetSortKey(kSortByExt);
    EXPECT_EQ(Order(pics), "Alpha beta file. photojpg Cat.JPG b.png dog.png 相片.tif");
    pics.SetSortKey(4);
    pics.SetSortKey(-1);
    EXPECT_EQ(pics.SortKey(), kSortByExt);
    pics.SetSortKey(kSortByName);
    pics.SetAscending(false);
    EXPECT_EQ(Order(pics), "beta Alpha 相片.tif photojpg file. dog.png Cat.JPG b.png");
}

// The sort works on facts and collation keys made once per entry; its order must be the one the
// comparison that asks the shell every time gives, for every key and direction, with equal keys,
// folders, and texts the locale collates alike (composed and decomposed accents, full-width and
// supplementary characters, case).
TEST_F(MExplorerItemTest, KeptKeysSortAsTheComparisonThatAsksEveryTime) {
    const char* const names[] = {"a.jpg",
                                 "A.jpg",
                                 "a.JPG",
                                 "b.jpg",
                                 "B.png",
                                 "\xC3\xA9t\xC3\xA9.png",
                                 "e\xCC\x81te\xCC\x81.png",
                                 "\xEF\xBC\xA1.bmp",
                                 "\xF0\x9F\x93\xB7.bmp",
                                 "\xE7\x9B\xB8\xE7\x89\x87.tif",
                                 "photo 10.jpg",
                                 "photo 9.jpg",
                                 "photo.jpg.bak",
                                 "x",
                                 "x.",
                                 "y.a",
                                 "y.b",
                                 "z.a"};
    tree.Folder("home/many");
    int n = 0;
    for (const char* name : names) {
        // Sizes and dates repeat, so size and date keys fall back to the names often.
        tree.MakeFile(std::string("home/many/") + name, static_cast<std::size_t>(n % 3),
                      k2019 + (n % 4) * kYear);
        ++n;
    }
    for (const char* folder : {"Zeta", "alpha", "\xC3\x84pfel", "10"}) {
        tree.Folder(std::string("home/many/") + folder);
        TempDir::SetTime(tree.File(std::string("home/many/") + folder), k2019);
    }
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale::c()}) {
        QLocale::setDefault(locale);
        for (std::int32_t key = kSortByName; key <= kSortByDate; ++key) {
            for (bool ascending : {true, false}) {
                MExplorerItem many(tree.File("home/many"));
                many.SetSortKey(key);
                many.SetAscending(ascending);
                many.Fill(kBoth);
                ASSERT_EQ(many.ChildCount(), 22);
                const std::string order = Order(many);
                for (int i = 0; i + 1 < many.ChildCount(); ++i) {
                    EXPECT_LE(MExplorerItem::Compare(*many.GetChild(i), *many.GetChild(i + 1), key,
                                                     ascending),
                              0)
                        << locale.name().toStdString() << " key " << key << " ascending "
                        << ascending << ": " << order;
                }
                for (int i = 0; i < 4; ++i) {
                    EXPECT_NE(many.GetChild(i)->GetAttributes(shell::SFGAO_FOLDER), 0u) << order;
                }
            }
        }
    }
}

TEST_F(MExplorerItemTest, TheSortKeyIsUsedByTheFirstFill) {
    MExplorerItem pics(tree.File("home/pics"));
    pics.SetSortKey(kSortBySize);
    pics.SetAscending(false);
    pics.Fill(shell::SHCONTF_NONFOLDERS);
    EXPECT_EQ(Order(pics), "Cat.JPG 相片.tif dog.png b.png photojpg file.");
    pics.Fill(shell::SHCONTF_FOLDERS);
    EXPECT_EQ(Order(pics), "beta Alpha");
}

TEST_F(MExplorerItemTest, TheDesktopAndItsVirtualEntries) {
    MExplorerItem desktop(shell::CSIDL_DESKTOP);
    EXPECT_EQ(desktop.IdCount(), 0);
    EXPECT_EQ(desktop.GetName(), "Desktop");
    desktop.Fill(shell::SHCONTF_FOLDERS);
    EXPECT_EQ(Order(desktop), "Computer home");
    desktop.Fill(kBoth);
    EXPECT_EQ(Order(desktop), "Computer home note.txt");
    MExplorerItem& computer = *desktop.GetChild(0);
    EXPECT_EQ(computer.GetExt(), "");
    EXPECT_EQ(computer.GetFileDate(), 0);
    EXPECT_EQ(computer.GetFileSize(), 0);
    EXPECT_FALSE(computer.GetIsFile());
    EXPECT_EQ(computer.GetAttributes(shell::SFGAO_FILESYSTEM), 0u);
    EXPECT_EQ(computer.GetDisplayName(shell::SHGDN_FORPARSING), "::Computer");
    // the root volume is named by its path
    MExplorerItem drives(shell::CSIDL_DRIVES);
    drives.Fill(shell::SHCONTF_FOLDERS);
    ASSERT_EQ(drives.ChildCount(), 1);
    EXPECT_EQ(drives.GetChild(0)->GetName(), "/");
    EXPECT_EQ(drives.GetChild(0)->GetExt(), "");
    EXPECT_EQ(drives.GetChild(0)->GetFileDate(), 0);
}

TEST_F(MExplorerItemTest, SpecialFoldersAndTheirFailures) {
    MExplorerItem desk(shell::CSIDL_DESKTOPDIRECTORY);
    EXPECT_EQ(desk.GetDisplayName(shell::SHGDN_FORPARSING), tree.File("home/Desktop"));
    EXPECT_EQ(desk.GetName(), "Desktop");
    EXPECT_EQ(Order(desk), "note.txt");
    try {
        MExplorerItem unknown(5);
        FAIL() << "an unknown special folder was made";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "MShellItem get special folder error");
    }
    shell::SetShell(nullptr);
    EXPECT_THROW(
        {
            try {
                MExplorerItem none(tree.File("home"));
            } catch (const Exception& error) {
                EXPECT_STREQ(error.what(), "MShellItem get dekstop error");
                throw;
            }
        },
        Exception);
    EXPECT_THROW(ParsePath("/"), Exception);
}

TEST_F(MExplorerItemTest, APathThatCannotBeParsedGivesTheDesktop) {
    for (const char* text : {"pics", "", "/no/such/folder"}) {
        MExplorerItem item(text);
        EXPECT_EQ(item.IdCount(), 0) << text;
        EXPECT_EQ(item.GetDisplayName(shell::SHGDN_FORPARSING), "::Desktop") << text;
    }
    EXPECT_EQ(ParsePath("pics"), nullptr);
    EXPECT_EQ(ParsePath(tree.File("home/pics"))->IdCount(), 2);
}

TEST_F(MExplorerItemTest, LocationsLeadFromTheDesktopToAFolder) {
    MExplorerItem start(shell::CSIDL_DESKTOP);
    MFolderPath location(start.ParentFolder(), start.CopyLastId());
    // opening "home" and then "pics" the way the view does
    for (const char* name : {"home", "pics"}) {
        const int last = location.Depth() - 1;
        MExplorerItem shown(location.FolderAt(last), location.IdAt(last).CopyLastId());
        shown.Fill(location.Depth() == 1 ? shell::SHCONTF_FOLDERS : kBoth);
        MExplorerItem* entry = Entry(shown, name);
        ASSERT_NE(entry, nullptr) << name;
        location.AppendLevel(shown.BindToFolder(), entry->CopyLastId());
    }
    ASSERT_EQ(location.Depth(), 3);
    MExplorerItem pics(location.FolderAt(2), location.IdAt(2).CopyLastId());
    EXPECT_EQ(pics.GetDisplayName(shell::SHGDN_FORPARSING), tree.File("home/pics"));
    EXPECT_EQ(pics.ChildCount(), 8);
    // the path combo shows one name per level
    std::vector<std::string> names;
    for (int i = 0; i < location.Depth(); ++i) {
        names.push_back(
            MExplorerItem(location.FolderAt(i), location.IdAt(i).CopyLastId()).GetName());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Desktop", "home", "pics"}));
    // a typed path is a single level that lists the same folder
    MExplorerItem typed(tree.File("home/pics/Alpha/../beta"));
    EXPECT_EQ(typed.IdCount(), 0);  // not a clean path: the desktop
    MExplorerItem beta(tree.File("home/pics/beta"));
    MFolderPath single(beta.ParentFolder(), beta.CopyLastId());
    MExplorerItem shown(single.FolderAt(0), single.IdAt(0).CopyLastId());
    EXPECT_EQ(shown.GetDisplayName(shell::SHGDN_FORPARSING), tree.File("home/pics/beta"));
}

TEST_F(MExplorerItemTest, IconStreamsAreBitmapsMadeOnceAndReplaceable) {
    MExplorerItem pics(tree.File("home/pics"));
    MExplorerItem& cat = *Entry(pics, "Cat.JPG");
    MemoryStream& small = cat.GetSmallIconStream();
    EXPECT_EQ(small.Position(), 0);
    EXPECT_EQ(Dib::LoadFromStream(small).Width(), 16);
    EXPECT_EQ(&cat.GetSmallIconStream(), &small);
    EXPECT_EQ(small.Position(), 0);
    EXPECT_EQ(Dib::LoadFromStream(cat.GetLargeImageStream()).Width(), 32);

    Dib thumbnail(94, 60, 24);
    cat.SetLargeImage(thumbnail);
    MemoryStream& large = cat.GetLargeImageStream();
    EXPECT_EQ(large.Position(), 0);
    const Dib stored = Dib::LoadFromStream(large);
    EXPECT_EQ(stored.Width(), 94);
    EXPECT_EQ(stored.Height(), 60);
    EXPECT_EQ(large.Size(), static_cast<std::int64_t>(thumbnail.ToBmpBytes().size()));
}

TEST_F(MExplorerItemTest, AnItemTheShellDoesNotKnowGetsAPlaceholder) {
    MExplorerItem pics(tree.File("home/pics"));
    MExplorerItem stray(pics.BindToFolder(), *shell::idlist::MakeItem('?', "x"));
    EXPECT_EQ(Dib::LoadFromStream(stray.GetLargeImageStream()).Width(), 1);
    EXPECT_EQ(stray.GetName(), "");
    EXPECT_EQ(stray.GetAttributes(0xFFFFFFFF), 0u);
    EXPECT_EQ(stray.GetTypeName(), "");
}

TEST_F(MExplorerItemTest, RenamingKeepsOtherFilesAndRefreshes) {
    MExplorerItem pics(tree.File("home/pics"));
    MExplorerItem& cat = *Entry(pics, "Cat.JPG");
    EXPECT_FALSE(cat.SetName(""));
    EXPECT_FALSE(cat.SetName("Cat.JPG"));
    EXPECT_FALSE(cat.SetName("dog.png"));  // taken
    EXPECT_FALSE(cat.SetName("Alpha/Cat.JPG"));
    EXPECT_EQ(cat.GetName(), "Cat");
    EXPECT_TRUE(std::filesystem::exists(tree.File("home/pics/Cat.JPG")));
    EXPECT_TRUE(cat.SetName("小貓.jpeg"));
    EXPECT_EQ(cat.GetName(), "小貓");
    EXPECT_EQ(cat.GetExt(), ".jpeg");
    EXPECT_EQ(cat.GetFileSize(), 300);
    EXPECT_TRUE(cat.Rename("Cat.JPG"));
    EXPECT_EQ(cat.GetDisplayName(shell::SHGDN_NORMAL), "Cat.JPG");
    MExplorerItem computer(shell::CSIDL_DRIVES);
    EXPECT_FALSE(computer.Rename("Elsewhere"));
}

TEST_F(MExplorerItemTest, SelectionCommands) {
    MExplorerItem pics(tree.File("home/pics"));
    auto is_picture = [](const std::string& ext) {
        static const std::set<std::string> kPictures = {".jpg", ".png", ".tif"};
        return kPictures.count(ext) > 0;
    };
    Entry(pics, "Alpha")->Selected = true;
    SelectPictures(pics, is_picture);
    std::string selected;
    for (int i = 0; MExplorerItem* entry = pics.GetChild(i); ++i) {
        if (entry->Selected) selected += entry->GetName() + entry->GetExt() + " ";
    }
    EXPECT_EQ(selected, "Alpha b.png Cat.JPG dog.png 相片.tif ");
    InvertSelection(pics);
    EXPECT_TRUE(Entry(pics, "photojpg")->Selected);
    EXPECT_FALSE(Entry(pics, "Cat.JPG")->Selected);
    SelectAll(pics);
    for (int i = 0; MExplorerItem* entry = pics.GetChild(i); ++i) EXPECT_TRUE(entry->Selected);
}

TEST_F(MExplorerItemTest, AFolderThatCannotBeListedKeepsItsEntries) {
    MExplorerItem pics(tree.File("home/pics"));
    EXPECT_EQ(pics.ChildCount(), 8);
    std::filesystem::rename(tree.File("home/pics"), tree.File("home/moved"));
    pics.Fill(kBoth);
    EXPECT_EQ(pics.ChildCount(), 8);
    EXPECT_EQ(Entry(pics, "Cat.JPG")->GetName(), "Cat");
    // a file has no entries of its own
    MExplorerItem note(tree.File("home/Desktop/note.txt"));
    EXPECT_EQ(note.ChildCount(), 0);
    EXPECT_EQ(note.BindToFolder(), note.ParentFolder());
}

}  // namespace
}  // namespace pixelary
