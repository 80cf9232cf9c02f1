// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
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

}  // namespace pixelary::text
