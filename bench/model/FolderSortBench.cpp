// SPDX-License-Identifier: GPL-3.0-or-later
// Opens a folder of 10,000 entries (9,900 files of varied size and date, 100 folders) the way
// the main window does: a new folder entry, enumerated and sorted by one key; and re-sorts a
// folder already open, as switching the order does.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "model/MExplorerItem.h"
#include "services/qt/QtServices.h"

namespace {

constexpr int kEntries = 10000;
constexpr int kFolders = 100;
constexpr std::uint32_t kBoth =
    pixelary::shell::SHCONTF_FOLDERS | pixelary::shell::SHCONTF_NONFOLDERS;

// The folder with the entries, made once per run and removed at exit.
class Fixture {
  public:
    Fixture() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pixbench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        root_ = pattern;
        for (int i = 0; i < kEntries; ++i) MakeEntry(i);
        pixelary::QtServiceOptions services;  // the namespace only: no picture is read
        services.base.libraryReader = false;
        services.metafiles = false;
        services.roots.emplace();
        services.roots->Home = root_;
        services.roots->Volumes = {"/"};
        pixelary::InstallQtServices(services);
    }
    ~Fixture() { std::filesystem::remove_all(root_); }

    const std::string& Root() const { return root_; }

  private:
    void MakeEntry(int i) {
        static const char* const kExts[] = {".jpg", ".png", ".tif", ".bmp", ".txt", ""};
        char name[64];
        std::snprintf(name, sizeof name, "%s_%05d%s", i % 2 ? "Photo" : "scan",
                      (i * 7919) % kEntries, kExts[i % 6]);
        const std::string path = root_ + "/" + name;
        if (i < kFolders) {
            std::filesystem::create_directory(path);
            return;
        }
        std::ofstream(path) << std::string(static_cast<std::size_t>(i % 97), 'x');
        const time_t when = 1500000000 + static_cast<time_t>((i * 104729) % 100000000);
        const timespec times[2] = {{when, 0}, {when, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }

    std::string root_;
};

Fixture& Folder() {
    static Fixture fixture;
    return fixture;
}

void BM_OpenAndSort(benchmark::State& state) {
    const auto key = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) {
        pixelary::MExplorerItem folder(Folder().Root());
        folder.SetSortKey(key);
        folder.Fill(kBoth);
        benchmark::DoNotOptimize(folder.ChildCount());
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_OpenAndSort)->DenseRange(0, 3)->ArgName("key")->Unit(benchmark::kMillisecond);

void BM_Resort(benchmark::State& state) {
    const auto key = static_cast<std::int32_t>(state.range(0));
    pixelary::MExplorerItem folder(Folder().Root());
    folder.SetSortKey(key);
    folder.Fill(kBoth);
    bool ascending = true;
    for (auto _ : state) {
        ascending = !ascending;
        folder.SetAscending(ascending);
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_Resort)->DenseRange(0, 3)->ArgName("key")->Unit(benchmark::kMillisecond);

void BM_WalkEntries(benchmark::State& state) {
    pixelary::MExplorerItem folder(Folder().Root());
    folder.Fill(kBoth);
    for (auto _ : state) {
        std::int64_t total = 0;
        for (int i = 0; pixelary::MExplorerItem* entry = folder.GetChild(i); ++i) {
            total += entry->GetFileSize();
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_WalkEntries)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Folder();  // made before timing starts
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
