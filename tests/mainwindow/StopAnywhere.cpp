// SPDX-License-Identifier: GPL-3.0-or-later
// stop_anywhere --trials N --folder DIR --other DIR [--seed S]: closes the main window or changes
// folders at random moments while DIR is being scanned anew (slow, huge and broken pictures
// make the scan take long). Each stop must end within the limit, the program must not crash,
// and after each close the index written must load and name only thumbnails that exist.
// Prints the figures; exit status 1 when any trial failed. Run by scripts/stop-test.sh.

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QtTest>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "cache/MCacheFile.h"
#include "core/Exception.h"
#include "mainwindow/Main.h"
#include "mainwindow/TestEnvironment.h"
#include "readers/library/Rwlib.h"
#include "settings/Settings.h"

using namespace pixelary;

namespace {

constexpr qint64 kStopLimitMs = 5000;
constexpr int kMaxScanBeforeStopMs = 1500;

struct Options {
    int trials = 20;
    QString folder;
    QString other;
    unsigned seed = 1;
};

std::unique_ptr<TMainForm> OpenForm() {
    auto form = std::make_unique<TMainForm>();
    form->show();
    return form;
}

// Empty when the index on disk loads and names only thumbnails that exist.
QString IndexProblem() {
    const std::string directory = ProcessSettings().CachePath;
    MCacheFileManager index;
    index.SetDirectory(directory);
    index.SetLimit(1 << 30);
    try {
        index.Load();
    } catch (const Exception& error) {
        return QStringLiteral("index does not load: %1").arg(error.what());
    }
    for (int i = 0; i < index.Count(); ++i) {
        const std::string file = index.Directory() + index.Item(i)->ImageFile;
        if (!QFile::exists(QString::fromStdString(file))) {
            return QStringLiteral("index names a missing %1").arg(file.c_str());
        }
    }
    return {};
}

int Run(const Options& options) {
    std::mt19937 random(options.seed);
    std::vector<qint64> stops;
    int closes = 0;
    int changes = 0;
    int slow = 0;
    int bad_index = 0;
    auto form = OpenForm();
    for (int trial = 1; trial <= options.trials; ++trial) {
        form->GotoFolderPath(options.folder);
        form->CmViewReloadIcon->trigger();  // every picture decoded again, none from the cache
        QTest::qWait(static_cast<int>(random() % kMaxScanBeforeStopMs));
        const bool close = random() % 2 == 0;
        QElapsedTimer stop;
        stop.start();
        if (close) {
            form->close();
        } else {
            form->GotoFolderPath(options.other);
        }
        const qint64 elapsed = stop.elapsed();
        stops.push_back(elapsed);
        if (elapsed > kStopLimitMs) {
            ++slow;
            std::printf("stop-anywhere: trial %d: %s took %lld ms\n", trial,
                        close ? "closing" : "changing folders", static_cast<long long>(elapsed));
        }
        if (close) {
            ++closes;
            form.reset();
            const QString problem = IndexProblem();
            if (!problem.isEmpty()) {
                ++bad_index;
                std::printf("stop-anywhere: trial %d: %s\n", trial, qPrintable(problem));
            }
            form = OpenForm();
        } else {
            ++changes;
        }
    }
    form.reset();
    std::sort(stops.begin(), stops.end());
    const auto at = [&](double q) {
        return stops.empty() ? 0 : stops[static_cast<std::size_t>(q * (stops.size() - 1))];
    };
    std::printf(
        "stop-anywhere: %d trials (%d closes, %d folder changes); stop time median %lld ms, "
        "99th percentile %lld ms, longest %lld ms; %d over %lld ms, %d bad indexes\n",
        options.trials, closes, changes, static_cast<long long>(at(0.5)),
        static_cast<long long>(at(0.99)), static_cast<long long>(at(1.0)), slow,
        static_cast<long long>(kStopLimitMs), bad_index);
    return slow == 0 && bad_index == 0 ? 0 : 1;
}

bool Parse(const QStringList& arguments, Options& options) {
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        const QString& name = arguments[i];
        const QString& value = arguments[i + 1];
        if (name == "--trials") {
            options.trials = value.toInt();
        } else if (name == "--folder") {
            options.folder = value;
        } else if (name == "--other") {
            options.other = value;
        } else if (name == "--seed") {
            options.seed = value.toUInt();
        } else {
            return false;
        }
    }
    return options.trials > 0 && !options.folder.isEmpty() && !options.other.isEmpty();
}

}  // namespace

int main(int argc, char* argv[]) {
    testing::TestEnvironment::PrepareProcess();
    QApplication app(argc, argv);
    testing::TestEnvironment::InstallNamespace();
    RegisterLibraryReader(PIXELARY_BIN_DIR);
    Options options;
    if (!Parse(QApplication::arguments(), options)) {
        std::fprintf(stderr,
                     "usage: stop_anywhere --trials N --folder DIR --other DIR [--seed S]\n");
        return 2;
    }
    return Run(options);
}
