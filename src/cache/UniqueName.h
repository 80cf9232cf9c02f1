// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace pixelary {

// The system's temporary directory without a trailing "/": $TMPDIR when set, else "/tmp".
std::string TempDirectory();

// Creates a new empty file named prefix + four upper-case hexadecimal digits + ".TMP" in
// directory and returns its full path. The 16-bit number starts from the clock and is increased
// until a name is free; the file is created exclusively, so two callers never share a name.
// Raises EFCreateError when the directory cannot take a file or every name is taken.
std::string CreateUniqueTempFile(const std::string& directory, const std::string& prefix);

}  // namespace pixelary
