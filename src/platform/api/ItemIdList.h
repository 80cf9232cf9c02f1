// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Item-ID lists in the byte format the folder model exchanges with the shell layer:
//   +0  u16 LE  count of the item's bytes, the count itself included
//   +2  u8      kind of the item (see shell::ItemKind)
//   +3  ...     UTF-8 name, count - 3 bytes, no terminator
// repeated per item and closed by a u16 zero. The list holding only the zero names the desktop.
namespace pixelary::shell {

using IdList = std::vector<std::uint8_t>;

inline constexpr std::size_t kCountSize = 2;       // the u16 count before each item
inline constexpr std::size_t kTerminatorSize = 2;  // the u16 zero closing a list
inline constexpr std::size_t kItemHeaderSize = 3;  // count + kind byte
inline constexpr std::size_t kMaxItemSize = 0xFFFF;

// One decoded item: its kind byte and its name.
struct ItemView {
    std::uint8_t kind = 0;
    std::string_view name;
};

namespace idlist {

// The desktop's list: the terminator alone.
IdList Empty();

// Offsets of the well-formed items at the start of bytes (each item's first byte). Walking
// stops at the terminator, at a count below 2 and at a count that crosses the end of bytes, so
// a damaged list reads as its sound prefix.
std::vector<std::size_t> ItemOffsets(std::span<const std::uint8_t> bytes);

// The item's count at offset (no checks; offset must come from ItemOffsets).
std::size_t ItemSize(std::span<const std::uint8_t> bytes, std::size_t offset);

// The sound prefix of bytes closed by a terminator.
IdList Normalized(std::span<const std::uint8_t> bytes);

// Number of items in the sound prefix.
std::size_t Count(std::span<const std::uint8_t> bytes);

// A one-item list; nullopt when the name does not fit in one item.
std::optional<IdList> MakeItem(std::uint8_t kind, std::string_view name);

// The items of a followed by those of b.
IdList Concat(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

// The decoded items of the sound prefix; an item shorter than its header decodes as kind 0.
// The names view bytes, which must outlive them.
std::vector<ItemView> Decode(std::span<const std::uint8_t> bytes);

}  // namespace idlist
}  // namespace pixelary::shell
