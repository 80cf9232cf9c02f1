// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// The main window's log ("pixelary.mainwindow"): folder loads and scanner starts and stops.
// Quiet unless enabled, e.g. QT_LOGGING_RULES="pixelary.mainwindow.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcMainWindow)
