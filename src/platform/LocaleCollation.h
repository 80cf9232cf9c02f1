// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace pixelary::platform {

// Compares two UTF-8 texts by the user's locale, case-sensitively: -1, 0 or +1. Thread-safe.
int LocaleCollatedCompare(std::string_view a, std::string_view b);

// Makes LocaleCollatedCompare the program's text comparison (text::LocaleCompare).
void InstallLocaleCompare();

}  // namespace pixelary::platform
