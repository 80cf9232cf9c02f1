// SPDX-License-Identifier: GPL-3.0-or-later
// Time to make a 94 x 78 thumbnail of a JPEG photograph through the library reader (decode by
// the component, copy, resample), for 2, 12 and 24 megapixel pictures made at start.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>

#include "readers/Rwimage.h"
#include "services/Services.h"

namespace {

using namespace pixelary;

constexpr int kThumbWidth = 94;
constexpr int kThumbHeight = 78;
constexpr int kQuality = 85;

struct Size {
    int width, height;
};

// A photograph-like picture: smooth gradients with fine noise, so the encoder has real work.
TPixBitmap Photograph(Size size) {
    TPixBitmap bitmap;
    bitmap.SetSize(size.width, size.height, TPixelFormat::pf24bit);
    std::mt19937 random(42);
    for (int y = 0; y < size.height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < size.width; ++x) {
            const unsigned noise = random() & 15;
            row[3 * x] = static_cast<std::uint8_t>(x * 200 / size.width + noise);
            row[3 * x + 1] = static_cast<std::uint8_t>(y * 200 / size.height + noise);
            row[3 * x + 2] =
                static_cast<std::uint8_t>((x + y) * 100 / (size.width + size.height) + 60 + noise);
        }
    }
    return bitmap;
}

std::string Folder() {
    static const std::string folder = [] {
        std::string path = (std::filesystem::temp_directory_path() / "pixbench-XXXXXX").string();
        if (!mkdtemp(path.data())) std::abort();
        return path;
    }();
    return folder;
}

std::string PhotographFile(int megapixels) {
    static std::map<int, std::string> made;
    auto found = made.find(megapixels);
    if (found != made.end()) return found->second;
    const std::map<int, Size> sizes = {{2, {1632, 1224}}, {12, {4000, 3000}}, {24, {6000, 4000}}};
    const std::string path = Folder() + "/photo" + std::to_string(megapixels) + ".jpg";
    TPixImage image;
    image.SetJPegSaveQuality(kQuality);
    image.Picture().Bitmap() = Photograph(sizes.at(megapixels));
    if (!image.SaveAsJPG(path)) std::abort();
    made[megapixels] = path;
    return path;
}

// Without a box (full-size decode, what wallpaper and printing ask for) and with the thumbnail
// box (the scanner's reduced decode).
void Thumbnail(benchmark::State& state, std::optional<SamplingBox> box) {
    const std::string path = PhotographFile(static_cast<int>(state.range(0)));
    InstallServices(ServiceOptions{});
    for (auto _ : state) {
        auto reader = CreateDiskImage(path, "jpg", box);
        if (!reader) {
            state.SkipWithError("no reader");
            break;
        }
        Dib thumbnail(kThumbWidth, kThumbHeight, reader->GetBitCount());
        reader->StretchBegin(0, 0, reader->GetWidth(), reader->GetHeight(), kThumbWidth,
                             kThumbHeight);
        reader->StretchLines(thumbnail, kThumbHeight);
        reader->StretchEnd();
        benchmark::DoNotOptimize(thumbnail.Row(0));
    }
    state.counters["megapixels"] = static_cast<double>(state.range(0));
}

void JpegThumbnail(benchmark::State& state) {
    Thumbnail(state, std::nullopt);
}
void JpegThumbnailReduced(benchmark::State& state) {
    Thumbnail(state, SamplingBox{kThumbWidth, kThumbHeight});
}
BENCHMARK(JpegThumbnail)->Arg(2)->Arg(12)->Arg(24)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(JpegThumbnailReduced)
    ->Arg(2)
    ->Arg(12)
    ->Arg(24)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove_all(Folder());
    return 0;
}
