// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string_view>

#include "core/Text.h"

namespace pixelary::platform {

// Compares two UTF-8 texts by the user's locale, case-sensitively: -1, 0 or +1. Thread-safe.
int LocaleCollatedCompare(std::string_view a, std::string_view b);

// The collation key of a text: keys compare as LocaleCollatedCompare compares the texts.
std::unique_ptr<text::CollationKey> LocaleCollationKey(std::string_view text);

// Makes LocaleCollatedCompare (and its keys) the program's text comparison (text::LocaleCompare).
void InstallLocaleCompare();

}  // namespace pixelary::platform
