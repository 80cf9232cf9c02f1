// SPDX-License-Identifier: GPL-3.0-or-later
// Photo CD image packs: the 768 x 512 base image, stored as luma rows with chroma at half
// resolution in both directions, converted from PhotoYCC to RGB.
#include <algorithm>

#include "codecs/main/MainCodecs.h"

namespace pixcodec {

namespace {

constexpr std::size_t kSectorSize = 2048;
constexpr std::size_t kSignatureOffset = 0x800;             // "PCD_IPI" in the information sector
constexpr std::size_t kOrientationOffset = 0xE02;           // low two bits: quarter turns
constexpr std::size_t kBaseImageOffset = 96 * kSectorSize;  // 0x30000
constexpr int kBaseWidth = 768;
constexpr int kBaseHeight = 512;
constexpr char kSignature[] = "PCD_IPI";

std::uint8_t Clamp(double v) {
    return static_cast<std::uint8_t>(std::clamp(v + 0.5, 0.0, 255.0));
}

// PhotoYCC to RGB, written into a blue-green-red pixel.
void YccToBgr(int y, int c1, int c2, std::uint8_t* bgr) {
    const double luma = 1.3584 * y;
    const double chroma1 = 2.2179 * (c1 - 156);
    const double chroma2 = 1.8215 * (c2 - 137);
    bgr[2] = Clamp(luma + chroma2);
    bgr[1] = Clamp(luma - 0.194 * chroma1 - 0.509 * chroma2);
    bgr[0] = Clamp(luma + chroma1);
}

// Turns the picture by quarter turns counter-clockwise, as the pack's orientation asks.
Image Rotate(const Image& source, int quarterTurns) {
    if (quarterTurns == 0) return source;
    Image out;
    const bool swap = quarterTurns % 2 != 0;
    out.Allocate(swap ? source.height : source.width, swap ? source.width : source.height, 24);
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            int tx = x, ty = y;
            if (quarterTurns == 1) {
                tx = y;
                ty = source.width - 1 - x;
            } else if (quarterTurns == 2) {
                tx = source.width - 1 - x;
                ty = source.height - 1 - y;
            } else {
                tx = source.height - 1 - y;
                ty = x;
            }
            std::copy_n(source.Row(y) + 3 * x, 3, out.Row(ty) + 3 * tx);
        }
    }
    return out;
}

}  // namespace

Image ReadPcd(const char* path, Progress& progress) {
    const std::size_t rowPairBytes = static_cast<std::size_t>(kBaseWidth) * 3;
    const std::size_t needed = kBaseImageOffset + rowPairBytes * (kBaseHeight / 2);
    const std::vector<std::uint8_t> b = ReadWholeFile(path, needed + kSectorSize * 4096);
    if (b.size() < kSignatureOffset + sizeof kSignature ||
        !std::equal(kSignature, kSignature + sizeof kSignature - 1, b.begin() + kSignatureOffset)) {
        Fail(PIX_ERR_FORMAT);
    }
    if (b.size() < needed) Fail(PIX_ERR_CORRUPT);
    Image image;
    image.Allocate(kBaseWidth, kBaseHeight, 24);
    for (int pair = 0; pair < kBaseHeight / 2; ++pair) {
        const std::uint8_t* luma0 = &b[kBaseImageOffset + rowPairBytes * pair];
        const std::uint8_t* luma1 = luma0 + kBaseWidth;
        const std::uint8_t* chroma1 = luma1 + kBaseWidth;
        const std::uint8_t* chroma2 = chroma1 + kBaseWidth / 2;
        for (int x = 0; x < kBaseWidth; ++x) {
            YccToBgr(luma0[x], chroma1[x / 2], chroma2[x / 2], image.Row(2 * pair) + 3 * x);
            YccToBgr(luma1[x], chroma1[x / 2], chroma2[x / 2], image.Row(2 * pair + 1) + 3 * x);
        }
        progress.Rows(2 * pair + 2, kBaseHeight);
    }
    return Rotate(image, b[kOrientationOffset] & 3);
}

}  // namespace pixcodec
