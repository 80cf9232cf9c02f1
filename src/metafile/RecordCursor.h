// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace pixelary::metafile {

// Little-endian fields of one metafile record; reads past the record yield 0 and mark the
// cursor bad, so a short record can be told from a valid one without exceptions.
class RecordCursor {
  public:
    explicit RecordCursor(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t Size() const { return bytes_.size(); }
    bool Has(std::size_t offset, std::size_t count) const {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    bool Ok() const { return ok_; }

    std::uint8_t U8(std::size_t at) {
        if (!Has(at, 1)) return Bad();
        return bytes_[at];
    }
    std::uint16_t U16(std::size_t at) {
        if (!Has(at, 2)) return Bad();
        return static_cast<std::uint16_t>(bytes_[at] | (bytes_[at + 1] << 8));
    }
    std::int16_t I16(std::size_t at) { return static_cast<std::int16_t>(U16(at)); }
    std::uint32_t U32(std::size_t at) {
        if (!Has(at, 4)) return Bad();
        return std::uint32_t{bytes_[at]} | (std::uint32_t{bytes_[at + 1]} << 8) |
               (std::uint32_t{bytes_[at + 2]} << 16) | (std::uint32_t{bytes_[at + 3]} << 24);
    }
    std::int32_t I32(std::size_t at) { return static_cast<std::int32_t>(U32(at)); }
    float F32(std::size_t at);
    // count bytes from at, or an empty span (cursor bad) when they are not all there.
    std::span<const std::uint8_t> Bytes(std::size_t at, std::size_t count) {
        if (!Has(at, count)) {
            Bad();
            return {};
        }
        return bytes_.subspan(at, count);
    }

  private:
    std::uint8_t Bad() {
        ok_ = false;
        return 0;
    }
    std::span<const std::uint8_t> bytes_;
    bool ok_ = true;
};

inline float RecordCursor::F32(std::size_t at) {
    const std::uint32_t bits = U32(at);
    float value;
    static_assert(sizeof value == sizeof bits);
    __builtin_memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace pixelary::metafile
