// SPDX-License-Identifier: GPL-3.0-or-later
#include "scanner/Md5.h"

#include <md5.h>

#include <cstdint>

namespace pixelary {

std::string Md5Hex(std::string_view bytes) {
    char digits[MD5_DIGEST_STRING_LENGTH];
    MD5Data(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), digits);
    return digits;
}

}  // namespace pixelary
