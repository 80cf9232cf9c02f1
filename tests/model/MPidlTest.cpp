// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <memory>

#include "model/MFolderPath.h"
#include "model/MPidl.h"
#include "model/MWalkQueue.h"

namespace pixelary {
namespace {

shell::IdList Items(std::initializer_list<const char*> names) {
    shell::IdList list = shell::idlist::Empty();
    for (const char* name : names)
        list = shell::idlist::Concat(list, *shell::idlist::MakeItem('F', name));
    return list;
}

TEST(MPidl, CountsItemsAndBytes) {
    MPidl none;
    EXPECT_FALSE(none.HasIdList());
    EXPECT_EQ(none.ByteSize(), 0);
    EXPECT_EQ(none.CopyLastId(), shell::idlist::Empty());

    MPidl pidl(Items({"a", "bc"}));
    EXPECT_EQ(pidl.IdCount(), 2);
    EXPECT_EQ(pidl.ByteSize(), 4 + 5 + 2);
    EXPECT_EQ(pidl.SetIdList(shell::idlist::Empty()), 2);
    EXPECT_EQ(pidl.IdCount(), 0);
    // a list whose last count runs past its end keeps its sound items only
    EXPECT_EQ(pidl.SetIdList({4, 0, 'F', 'a', 200, 0, 'F'}), 6);
    EXPECT_EQ(pidl.IdCount(), 1);
    EXPECT_EQ(pidl.IdList(), Items({"a"}));
}

TEST(MPidl, CopiesOfTheLastAndTheParentItems) {
    const MPidl three(Items({"home", "pics", "cat.jpg"}));
    EXPECT_EQ(three.CopyLastId(), Items({"cat.jpg"}));
    EXPECT_EQ(three.CopyParentIds(), Items({"home", "pics"}));
    EXPECT_EQ(three.CopyIdList(), three.IdList());

    const MPidl one(Items({"home"}));
    EXPECT_EQ(one.CopyLastId(), Items({"home"}));
    EXPECT_EQ(one.CopyParentIds(), Items({"home"}));  // fewer than two items: copied whole

    const MPidl desktop(shell::idlist::Empty());
    EXPECT_EQ(desktop.CopyLastId(), shell::idlist::Empty());
    EXPECT_EQ(desktop.CopyParentIds(), shell::idlist::Empty());
}

// Locations and history need no folder objects to be tested; levels are told apart by lists.
std::unique_ptr<MFolderPath> Location(int depth, const char* tag = "x") {
    auto location = std::make_unique<MFolderPath>(nullptr, shell::idlist::Empty());
    for (int i = 1; i < depth; ++i) location->AppendLevel(nullptr, Items({tag}));
    return location;
}

TEST(MFolderPath, LevelsAppendCopyAndRemove) {
    auto folder = std::shared_ptr<shell::ShellFolder>();
    MFolderPath path(folder, shell::idlist::Empty());
    EXPECT_EQ(path.Depth(), 1);
    path.RemoveLastLevel();  // the desktop location stays as it is
    EXPECT_EQ(path.Depth(), 1);
    path.AppendLevel(nullptr, Items({"home"}));
    path.AppendLevel(nullptr, Items({"pics"}));
    EXPECT_EQ(path.Depth(), 3);
    EXPECT_EQ(path.IdAt(2).IdList(), Items({"pics"}));
    EXPECT_EQ(path.IdAt(-1).IdList(), shell::idlist::Empty());

    MFolderPath copy(path);
    EXPECT_EQ(copy.Depth(), 3);
    EXPECT_NE(&copy.IdAt(2), &path.IdAt(2));
    EXPECT_EQ(copy.IdAt(2).IdList(), Items({"pics"}));
    copy.RemoveLastLevel();
    EXPECT_EQ(copy.Depth(), 2);
    EXPECT_EQ(path.Depth(), 3);
    EXPECT_EQ(copy.IdAt(1).IdList(), Items({"home"}));
}

TEST(MWalkQueue, KeepsTheNewestLocationsUpToItsCapacity) {
    MWalkQueue queue(20);
    EXPECT_EQ(queue.CurrentIndex(), -1);
    EXPECT_EQ(queue.Current(), nullptr);
    queue.SetCurrent(0);  // an empty queue has no current location
    EXPECT_EQ(queue.CurrentIndex(), -1);
    queue.DropAfterCurrent();
    EXPECT_EQ(queue.Count(), 0);

    for (int i = 1; i <= 21; ++i) queue.Push(Location(i));
    EXPECT_EQ(queue.Count(), 20);
    EXPECT_EQ(queue.CurrentIndex(), 19);
    EXPECT_EQ(queue.At(0)->Depth(), 2);  // the first location pushed is gone
    EXPECT_EQ(queue.Current()->Depth(), 21);

    queue.SetCurrent(5);
    queue.DropAfterCurrent();
    EXPECT_EQ(queue.Count(), 6);
    queue.SetCurrent(100);
    EXPECT_EQ(queue.CurrentIndex(), 5);
    queue.SetCurrent(-4);
    EXPECT_EQ(queue.CurrentIndex(), 0);
    queue.Push(Location(1));
    EXPECT_EQ(queue.Count(), 7);
    EXPECT_EQ(queue.CurrentIndex(), 6);
}

TEST(MWalkQueue, CapacityIsAtLeastOne) {
    MWalkQueue queue(0);
    EXPECT_EQ(queue.Capacity(), 1);
    queue.Push(Location(1));
    queue.Push(Location(2));
    EXPECT_EQ(queue.Count(), 1);
    EXPECT_EQ(queue.Current()->Depth(), 2);
}

}  // namespace
}  // namespace pixelary
