// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/api/ItemIdList.h"

namespace pixelary::shell::idlist {

namespace {

std::size_t ReadU16LE(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::size_t>(bytes[offset]) |
           (static_cast<std::size_t>(bytes[offset + 1]) << 8);
}

void AppendU16LE(IdList& out, std::size_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

// Bytes of the sound items, without the terminator.
std::size_t SoundLength(std::span<const std::uint8_t> bytes) {
    const auto offsets = ItemOffsets(bytes);
    if (offsets.empty()) return 0;
    return offsets.back() + ItemSize(bytes, offsets.back());
}

}  // namespace

IdList Empty() {
    return IdList(kTerminatorSize, 0);
}

std::vector<std::size_t> ItemOffsets(std::span<const std::uint8_t> bytes) {
    std::vector<std::size_t> offsets;
    std::size_t cursor = 0;
    while (cursor + kCountSize <= bytes.size()) {
        const std::size_t count = ReadU16LE(bytes, cursor);
        if (count < kCountSize || count > bytes.size() - cursor) break;
        offsets.push_back(cursor);
        cursor += count;
    }
    return offsets;
}

std::size_t ItemSize(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return ReadU16LE(bytes, offset);
}

IdList Normalized(std::span<const std::uint8_t> bytes) {
    const std::size_t length = SoundLength(bytes);
    IdList out(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
    AppendU16LE(out, 0);
    return out;
}

std::size_t Count(std::span<const std::uint8_t> bytes) {
    return ItemOffsets(bytes).size();
}

std::optional<IdList> MakeItem(std::uint8_t kind, std::string_view name) {
    const std::size_t size = kItemHeaderSize + name.size();
    if (size > kMaxItemSize) return std::nullopt;
    IdList out;
    out.reserve(size + kTerminatorSize);
    AppendU16LE(out, size);
    out.push_back(kind);
    out.insert(out.end(), name.begin(), name.end());
    AppendU16LE(out, 0);
    return out;
}

IdList Concat(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    IdList out(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(SoundLength(a)));
    const std::size_t tail = SoundLength(b);
    out.insert(out.end(), b.begin(), b.begin() + static_cast<std::ptrdiff_t>(tail));
    AppendU16LE(out, 0);
    return out;
}

std::vector<ItemView> Decode(std::span<const std::uint8_t> bytes) {
    std::vector<ItemView> items;
    for (const std::size_t offset : ItemOffsets(bytes)) {
        const std::size_t size = ItemSize(bytes, offset);
        ItemView item;
        if (size >= kItemHeaderSize) {
            item.kind = bytes[offset + kCountSize];
            item.name = std::string_view(
                reinterpret_cast<const char*>(bytes.data()) + offset + kItemHeaderSize,
                size - kItemHeaderSize);
        }
        items.push_back(item);
    }
    return items;
}

}  // namespace pixelary::shell::idlist
