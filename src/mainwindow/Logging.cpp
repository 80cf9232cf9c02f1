// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/Logging.h"

Q_LOGGING_CATEGORY(lcMainWindow, "pixelary.mainwindow", QtWarningMsg)
