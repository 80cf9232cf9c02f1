// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// Texts are UTF-8 everywhere. Where a rule counts characters, a code point counts as one.
namespace pixelary::text {

// Number of code points; invalid bytes count one each.
std::size_t CodePointCount(std::string_view s);

// Lower case for ASCII and the Latin, Greek and Cyrillic letters the C library knows; every
// other code point is kept as it is.
std::string ToLower(std::string_view s);

// Index (in code points) of the last occurrence of the ASCII character c, or npos.
std::size_t LastIndexOf(std::string_view s, char c);

// The first count code points.
std::string LeftCodePoints(std::string_view s, std::size_t count);

// Drops a trailing "/" unless the text is the root "/".
std::string WithoutTrailingSlash(std::string_view path);

// Case-sensitive ASCII-insensitive equality of two ASCII texts (extensions, signatures).
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Texts are compared with the user's locale, case-sensitively: -1, 0 or +1, and 0 only for
// identical texts. Set by the platform layer; without it the byte order is used.
using CompareFunction = int (*)(std::string_view, std::string_view);
void SetLocaleCompare(CompareFunction compare);
int LocaleCompare(std::string_view a, std::string_view b);

// A text's collation key, made once so that sorting many texts does not convert and collate them
// again at every comparison. Two keys compare (-1, 0, +1) as the installed comparison compares
// their texts before identical-text ties are broken.
class CollationKey {
  public:
    virtual ~CollationKey() = default;
    // 0 for keys of different makers (the texts decide then).
    virtual int Compare(const CollationKey& other) const = 0;

  protected:
    // family: the same address for every key of one maker, so Compare can tell its own kind
    // without a dynamic cast.
    explicit CollationKey(const void* family) : family_(family) {}
    bool SameFamily(const CollationKey& other) const { return other.family_ == family_; }

  private:
    const void* family_;
};
using CollationKeyFunction = std::unique_ptr<CollationKey> (*)(std::string_view);
// Installed by the platform layer together with its comparison; SetLocaleCompare goes back to
// keys that call the comparison itself.
void SetLocaleCollationKey(CollationKeyFunction make);
std::unique_ptr<CollationKey> LocaleCollationKey(std::string_view text);
// LocaleCompare(a, b) through the keys of a and b.
int CompareCollated(const CollationKey& keyA, std::string_view a, const CollationKey& keyB,
                    std::string_view b);

}  // namespace pixelary::text
