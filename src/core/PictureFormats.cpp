// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/PictureFormats.h"

#include <algorithm>
#include <array>

#include "core/Text.h"

namespace pixelary {
namespace {

constexpr std::size_t kFormatKeyLength = 3;  // the scanner keys a file by its last three bytes

// clang-format off
constexpr std::array kPictureExtensions = {
    PictureExtension{"bmp",  "bmp"},
    PictureExtension{"dib",  "dib"},
    PictureExtension{"wmf",  "wmf"},
    PictureExtension{"emf",  "emf"},
    PictureExtension{"jpg",  "jpg"},
    PictureExtension{"jpeg", "jpg"},
    PictureExtension{"jpe",  "jpg"},
    PictureExtension{"jfif", "jpg"},
    PictureExtension{"gif",  "gif"},
    PictureExtension{"pcx",  "pcx"},
    PictureExtension{"tga",  "tga"},
    PictureExtension{"tif",  "tif"},
    PictureExtension{"tiff", "tif"},
    PictureExtension{"png",  "png"},
    PictureExtension{"dxf",  "dxf"},
    PictureExtension{"eps",  "eps"},
    PictureExtension{"pcd",  "pcd"},
    PictureExtension{"psd",  "psd"},
};
// clang-format on

const PictureExtension* Find(std::string_view lowerExtension) {
    const auto found = std::find_if(
        kPictureExtensions.begin(), kPictureExtensions.end(),
        [lowerExtension](const PictureExtension& p) { return p.extension == lowerExtension; });
    return found == kPictureExtensions.end() ? nullptr : &*found;
}

// An extension as the table holds it: one leading "." dropped, lower-cased.
std::string LowerWithoutDot(std::string_view extension) {
    if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
    return text::ToLower(extension);
}

}  // namespace

std::span<const PictureExtension> PictureExtensions() {
    return kPictureExtensions;
}

std::string NormaliseExtension(std::string_view extension) {
    std::string lower = LowerWithoutDot(extension);
    const PictureExtension* picture = Find(lower);
    return picture != nullptr ? std::string(picture->key) : lower;
}

std::string FormatKeyOfPath(std::string_view path) {
    if (path.size() < kFormatKeyLength + 1) return {};
    for (const PictureExtension& picture : kPictureExtensions) {
        const std::size_t suffix = picture.extension.size() + 1;
        if (picture.extension.size() <= kFormatKeyLength || path.size() < suffix) continue;
        const std::string tail = text::ToLower(path.substr(path.size() - suffix));
        if (tail.front() == '.' && std::string_view(tail).substr(1) == picture.extension) {
            return std::string(picture.key);
        }
    }
    return NormaliseExtension(path.substr(path.size() - kFormatKeyLength));
}

bool IsImageFileExt(std::string_view extension) {
    return Find(LowerWithoutDot(extension)) != nullptr;
}

}  // namespace pixelary
