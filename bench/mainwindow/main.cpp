// SPDX-License-Identifier: GPL-3.0-or-later
// bench_mainwindow [ENTRIES]: paints and lays out the thumbnail view of a folder of ENTRIES
// (default 2000) thumbnailed pictures on the offscreen platform and prints the figures: a full
// repaint of the visible view, one scrolling frame (the view moved by one line step and
// repainted, as the scroll bar does), the repaint of one invalidated cell, a relayout, a hit test.
// Runs in a private temporary home, so the user's settings and cache are never touched.
#include "mainwindow/Main.h"

#include <stdlib.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

#include "PrivateHome.h"
#include "core/Dib.h"
#include "mainwindow/Controls.h"
#include "model/MExplorerItem.h"

using namespace pixelary;

namespace {

constexpr int kDefaultEntries = 2000;
constexpr int kRounds = 50;
constexpr int kHitRounds = 100000;

// Average milliseconds of `rounds` runs of work.
double Average(int rounds, const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i) work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6 / rounds;
}

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Frame by frame: on a busy machine the wall time of a frame mostly measures the other
// processes, the painting thread's own processor time does not.
struct FrameTimes {
    double median = 0;
    double worst = 0;
    double cpu = 0;  // mean processor time of the painting thread
};

FrameTimes TimeFrames(int rounds, const std::function<void()>& frame) {
    std::vector<double> walls;
    const double cpuStart = ThreadCpuMs();
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        frame();
        walls.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    FrameTimes times;
    times.cpu = (ThreadCpuMs() - cpuStart) / rounds;
    std::sort(walls.begin(), walls.end());
    times.median = walls[walls.size() / 2];
    times.worst = walls.back();
    return times;
}

Dib Thumbnail(int seed) {
    constexpr int kWidth = 94;
    constexpr int kHeight = 70;
    Dib dib(kWidth, kHeight, 24);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) dib.Row(y)[x * 3] = static_cast<std::uint8_t>(x + seed);
    }
    return dib;
}

}  // namespace

int main(int argc, char* argv[]) {
    const int entries = argc > 1 ? std::max(1, atoi(argv[1])) : kDefaultEntries;
    QTemporaryDir home;
    bench::EnterPrivateHome(home);
    QApplication app(argc, argv);
    bench::InstallBenchServices(home);

    const QString folder = home.path() + "/many";
    QDir().mkpath(folder);
    for (int i = 0; i < entries; ++i) {
        QFile file(folder + QStringLiteral("/e%1.txt").arg(i, 5, 10, QChar('0')));
        file.open(QIODevice::WriteOnly);
    }

    TMainForm form;
    form.resize(1280, 900);
    form.show();
    QElapsedTimer timer;
    timer.start();
    form.GotoFolderPath(folder);
    const double loadMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    form.WaitForScanner(60000);
    const double scanMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const int shown = form.EntryCount();
    for (int i = 0; i < shown; ++i) form.Entry(i)->SetLargeImage(Thumbnail(i));

    QWidget* view = form.ItemPaint;
    const QRect visible = form.ItemScrollBox->viewport()->rect();
    const double full = Average(kRounds, [&] { view->repaint(visible); });
    QScrollBar* scrollBar = form.ItemScrollBox->verticalScrollBar();
    const FrameTimes scroll = TimeFrames(kRounds, [&] {
        const int next = scrollBar->value() + scrollBar->singleStep();
        scrollBar->setValue(next > scrollBar->maximum() ? 0 : next);
        form.ItemScrollBox->viewport()->repaint();
    });
    scrollBar->setValue(0);
    const QRect cell = CellRect(form.CurrentGrid(), 3);
    const double one = Average(kRounds, [&] { view->repaint(cell); });
    const double arrange = Average(kRounds, [&] { form.ArrangeItems(); });
    volatile int sink = 0;
    const double hit =
        Average(kHitRounds, [&] { sink = sink + form.HitTest(200, 150).EntryIndex; });

    const int cells = form.Columns * (visible.height() / form.CurrentGrid().Cell.height() + 1);
    std::printf("entries                         %d\n", form.EntryCount());
    std::printf("folder load (list, sort, lay out) %.1f ms\n", loadMs);
    std::printf("scan of entries without pictures %.1f ms\n", scanMs);
    std::printf("repaint visible view (~%d cells) %.2f ms\n", cells, full);
    std::printf("scroll one line step and repaint %.2f ms median, %.2f ms worst, %.2f ms CPU\n",
                scroll.median, scroll.worst, scroll.cpu);
    std::printf("repaint one invalidated cell    %.3f ms\n", one);
    std::printf("ArrangeItems                    %.3f ms\n", arrange);
    std::printf("HitTest                         %.2f us\n", hit * 1000.0);
    return 0;
}
