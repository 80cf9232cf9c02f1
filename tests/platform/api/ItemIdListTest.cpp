// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/api/ItemIdList.h"

namespace pixelary::shell {
namespace {

IdList Bytes(std::initializer_list<int> values) {
    IdList out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

TEST(ItemIdList, ItemsAreCountedKindAndNameWithATerminator) {
    const IdList item = *idlist::MakeItem('F', "a.jpg");
    EXPECT_EQ(item, Bytes({8, 0, 'F', 'a', '.', 'j', 'p', 'g', 0, 0}));
    const IdList two = idlist::Concat(item, *idlist::MakeItem('F', "相片"));
    EXPECT_EQ(idlist::Count(two), 2u);
    const auto items = idlist::Decode(two);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].kind, 'F');
    EXPECT_EQ(items[1].name, "相片");
    EXPECT_EQ(idlist::Count(idlist::Empty()), 0u);
}

TEST(ItemIdList, DamagedListsReadAsTheirSoundPrefix) {
    // second item's count crosses the end of the bytes
    const IdList crossing = Bytes({4, 0, 'F', 'a', 9, 0, 'F', 'b'});
    EXPECT_EQ(idlist::Count(crossing), 1u);
    EXPECT_EQ(idlist::Normalized(crossing), Bytes({4, 0, 'F', 'a', 0, 0}));
    // a count of 1 cannot hold itself
    EXPECT_EQ(idlist::Normalized(Bytes({1, 0, 'x', 'y'})), idlist::Empty());
    // no terminator, a single stray byte
    EXPECT_EQ(idlist::Normalized(Bytes({3, 0, 'C'})), Bytes({3, 0, 'C', 0, 0}));
    EXPECT_EQ(idlist::Normalized(Bytes({7})), idlist::Empty());
    EXPECT_EQ(idlist::Normalized(IdList{}), idlist::Empty());
    // an item shorter than its header decodes as kind 0 with no name
    const auto items = idlist::Decode(Bytes({2, 0, 0, 0}));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].kind, 0);
    EXPECT_TRUE(items[0].name.empty());
}

TEST(ItemIdList, NamesTooLongForOneItemAreRefused) {
    EXPECT_FALSE(idlist::MakeItem('F', std::string(kMaxItemSize, 'a')).has_value());
    EXPECT_TRUE(idlist::MakeItem('F', std::string(kMaxItemSize - kItemHeaderSize, 'a')));
}

}  // namespace
}  // namespace pixelary::shell
