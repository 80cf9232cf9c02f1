// SPDX-License-Identifier: GPL-3.0-or-later
// The private temporary home the main-window benchmarks run in, so the user's settings and cache
// are never touched.
#pragma once

#include <stdlib.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "services/qt/QtServices.h"

namespace pixelary::bench {

// Points HOME and the XDG folders into home and picks the offscreen platform unless one is
// named; call before the application object exists.
inline void EnterPrivateHome(const QTemporaryDir& home) {
    ::setenv("HOME", home.path().toLocal8Bit().constData(), 1);
    ::setenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit().constData(), 1);
    ::setenv("XDG_DATA_HOME", (home.path() + "/.local/share").toLocal8Bit().constData(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

// The program's services, with the desktop's home in the private home.
inline void InstallBenchServices(const QTemporaryDir& home) {
    QtServiceOptions services;
    services.base.moduleFolder = QCoreApplication::applicationDirPath().toStdString();
    services.roots.emplace();
    services.roots->Home = home.path().toStdString();
    services.roots->Volumes = {"/"};
    InstallQtServices(services);
}

}  // namespace pixelary::bench
