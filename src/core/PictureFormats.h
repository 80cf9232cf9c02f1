// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace pixelary {

// One picture extension and the format key it stands for: the longer everyday spellings share
// the key of their format ("jpeg" -> "jpg", "tiff" -> "tif"). Who decodes a key is the readers'
// and the image component's business; an extension outside the table is no picture.
struct PictureExtension {
    std::string_view extension;  // lower case, without the dot
    std::string_view key;
};

// Every picture extension, the one table the readers, the image component and the scanner use.
std::span<const PictureExtension> PictureExtensions();

// The format key of an extension: one leading "." dropped, lower-cased, and a longer spelling
// of a picture format given that format's key ("JPEG", ".jpe" and "jfif" give "jpg", "tiff"
// gives "tif"). Other extensions come back lower-cased.
std::string NormaliseExtension(std::string_view extension);

// The format key of a file path, as the scanner and pixthumb take it: a name ending in a picture
// extension longer than three letters ("photo.jpeg", "scan.TIFF") gives that format's key;
// otherwise the last three bytes, normalised, whatever precedes them ("photojpg" gives "jpg").
// Empty for paths shorter than four bytes.
std::string FormatKeyOfPath(std::string_view path);

// True for the picture extensions, the longer spellings of jpg and tif included (one leading "."
// dropped, case ignored).
bool IsImageFileExt(std::string_view extension);

}  // namespace pixelary
