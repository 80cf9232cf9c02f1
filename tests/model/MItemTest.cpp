// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>

#include "model/MItem.h"

namespace pixelary {
namespace {

// Counts live nodes so tests see that the list destroys what it owns.
struct Node : MItem {
    explicit Node(int v, int* live = nullptr) : value(v), live_count(live) {
        if (live_count) ++*live_count;
    }
    ~Node() override {
        if (live_count) --*live_count;
    }
    int value;
    int* live_count;
};

std::string Values(const MItemList& list) {
    std::string out;
    const MItem* prev = nullptr;
    for (MItem* n = list.Head; n != nullptr; prev = n, n = n->Next) {
        EXPECT_EQ(n->Prev, prev) << "back link broken";
        out += std::to_string(static_cast<Node*>(n)->value);
    }
    return out;
}

TEST(MItemList, PositionsClampAsDescribed) {
    MItemList list;
    for (int v : {1, 2, 3}) list.Append(new Node(v));
    EXPECT_EQ(list.Item(-3), list.Head);
    EXPECT_EQ(list.Item(3), nullptr);
    list.Delete(3);
    EXPECT_EQ(Values(list), "123");
    list.Delete(1);
    EXPECT_EQ(Values(list), "13");
}

TEST(MItemList, InsertPlacesAChainBeforeAPositionOrAtTheEnd) {
    MItemList list;
    for (int v : {1, 4}) list.Append(new Node(v));
    auto* a = new Node(2);
    auto* b = new Node(3);
    a->Next = b;
    b->Prev = a;
    list.Insert(1, a);
    EXPECT_EQ(Values(list), "1234");
    list.Insert(0, new Node(0));
    list.Insert(9, new Node(5));
    EXPECT_EQ(Values(list), "012345");
    MItemList empty;
    empty.Insert(0, new Node(7));
    EXPECT_EQ(Values(empty), "7");
}

TEST(MItemList, ClearAndDestructorDestroyEveryNode) {
    int live = 0;
    {
        MItemList list;
        for (int v = 0; v < 5; ++v) list.Append(new Node(v, &live));
        list.Delete(0);
        EXPECT_EQ(live, 4);
    }
    EXPECT_EQ(live, 0);
}

TEST(MItemList, SortRelinksInOrder) {
    MItemList list;
    for (int v : {3, 1, 4, 1, 5, 9, 2, 6}) list.Append(new Node(v));
    list.Sort([](const MItem* a, const MItem* b) {
        return static_cast<const Node*>(a)->value - static_cast<const Node*>(b)->value;
    });
    EXPECT_EQ(Values(list), "11234569");
    EXPECT_EQ(list.Count(), 8);
    MItemList empty;
    empty.Sort([](const MItem*, const MItem*) { return 0; });
    EXPECT_EQ(empty.Head, nullptr);
}

// A comparison that reads the file system can contradict itself when files change mid-sort;
// the sort must still keep every node and stay inside its array.
TEST(MItemList, SortSurvivesAnInconsistentComparison) {
    int live = 0;
    {
        MItemList list;
        for (int v = 0; v < 200; ++v) list.Append(new Node(v % 10, &live));
        unsigned state = 12345;
        list.Sort([&state](const MItem*, const MItem*) {
            state = state * 1103515245u + 12345u;
            return static_cast<int>((state >> 16) % 3) - 1;
        });
        EXPECT_EQ(list.Count(), 200);
        EXPECT_EQ(Values(list).size(), 200u);
        EXPECT_EQ(live, 200);
    }
    EXPECT_EQ(live, 0);
}

}  // namespace
}  // namespace pixelary
