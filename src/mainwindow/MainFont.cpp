// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainFont.h"

#include <QStringList>

namespace pixelary {

QFont MainWindowFont() {
    constexpr int kPixelHeight = 12;
    QFont font;
    font.setFamilies({QStringLiteral("AR PL UMing TW"), QStringLiteral("Noto Sans CJK TC"),
                      QStringLiteral("Noto Serif CJK TC")});
    font.setPixelSize(kPixelHeight);
    return font;
}

}  // namespace pixelary
