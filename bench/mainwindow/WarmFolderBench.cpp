// SPDX-License-Identifier: GPL-3.0-or-later
// bench_warm_folder [PICTURES] [ROUNDS]: a folder of PICTURES (default 1000) pictures whose
// thumbnails are all in the cache, opened in the main window on the offscreen platform: the time
// from the folder click (GotoFolderPath) until every thumbnail is shown (the scanner has ended
// and the view has painted), over ROUNDS openings (default 5), each after a visit to another
// folder. The first, cold opening fills the cache and is reported too. Runs in a private
// temporary home, so the user's settings and cache are never touched.
#include <stdlib.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "cache/MCacheFile.h"
#include "core/Dib.h"
#include "mainwindow/Main.h"
#include "services/qt/QtServices.h"

using namespace pixelary;

namespace {

constexpr int kDefaultPictures = 1000;
constexpr int kDefaultRounds = 5;
constexpr int kPictureWidth = 160;
constexpr int kPictureHeight = 120;
constexpr std::int32_t kRoomyCacheKB = 1 << 20;
constexpr int kScanTimeoutMs = 600000;

// Small 24-bit pictures, each a little different, read by the program's own BMP reader.
void WritePictures(const QString& folder, int count) {
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        Dib picture(kPictureWidth, kPictureHeight, 24);
        for (int y = 0; y < kPictureHeight; ++y) {
            std::uint8_t* row = picture.Row(y);
            for (int x = 0; x < kPictureWidth * 3; ++x) {
                row[x] = static_cast<std::uint8_t>(x + y + i * 7);
            }
        }
        picture.SaveToFile(
            QStringLiteral("%1/IMG_%2.bmp").arg(folder).arg(i, 4, 10, QChar('0')).toStdString());
    }
}

// Milliseconds from the click until the scan has ended and the view has painted.
double OpenFolder(TMainForm& form, const QString& folder) {
    QElapsedTimer timer;
    timer.start();
    form.GotoFolderPath(folder);
    form.WaitForScanner(kScanTimeoutMs);
    QApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
    const int pictures = argc > 1 ? std::max(1, atoi(argv[1])) : kDefaultPictures;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : kDefaultRounds;
    QTemporaryDir home;
    ::setenv("HOME", home.path().toLocal8Bit().constData(), 1);
    ::setenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit().constData(), 1);
    ::setenv("XDG_DATA_HOME", (home.path() + "/.local/share").toLocal8Bit().constData(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QtServiceOptions services;
    services.base.moduleFolder = QCoreApplication::applicationDirPath().toStdString();
    services.roots.emplace();
    services.roots->Home = home.path().toStdString();
    services.roots->Volumes = {"/"};
    InstallQtServices(services);

    const QString folder = home.path() + "/photos";
    const QString elsewhere = home.path() + "/elsewhere";
    WritePictures(folder, pictures);
    QDir().mkpath(elsewhere);

    TMainForm form;
    form.Cache->SetLimit(kRoomyCacheKB);  // every thumbnail stays cached
    form.resize(1280, 900);
    form.show();
    const double cold = OpenFolder(form, folder);
    std::vector<double> warm;
    for (int i = 0; i < rounds; ++i) {
        OpenFolder(form, elsewhere);
        warm.push_back(OpenFolder(form, folder));
    }
    std::sort(warm.begin(), warm.end());
    std::printf("pictures                          %d (%d x %d BMP)\n", pictures, kPictureWidth,
                kPictureHeight);
    std::printf("cached thumbnails                 %d\n", form.Cache->Count());
    std::printf("cold open (decode, fill cache)    %.1f ms\n", cold);
    std::printf("warm open, median of %d           %.1f ms (min %.1f, max %.1f)\n", rounds,
                warm[warm.size() / 2], warm.front(), warm.back());
    return 0;
}
