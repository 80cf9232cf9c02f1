// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace pixelary {

// The MD5 digest of bytes as 32 lower-case hexadecimal digits (libmd). Used only to name files
// the desktop shares (a thumbnail's file name is the digest of its picture's URI), never for
// security.
std::string Md5Hex(std::string_view bytes);

}  // namespace pixelary
