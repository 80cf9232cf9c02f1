// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

namespace pixelary {

// The main window's font: a Traditional Chinese Ming face, 12 pixels high, black text.
QFont MainWindowFont();

}  // namespace pixelary
