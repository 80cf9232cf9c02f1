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
#include <cstdio>
#include <functional>
#include <memory>

#include "core/Dib.h"
#include "mainwindow/Controls.h"
#include "model/MExplorerItem.h"
#include "services/qt/QtServices.h"

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
    const double scroll = Average(kRounds, [&] {
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
    std::printf("scroll one line step and repaint %.2f ms\n", scroll);
    std::printf("repaint one invalidated cell    %.3f ms\n", one);
    std::printf("ArrangeItems                    %.3f ms\n", arrange);
    std::printf("HitTest                         %.2f us\n", hit * 1000.0);
    return 0;
}
