// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LocaleCollation.h"

#include <QCollator>
#include <QString>

#include "core/Text.h"

namespace pixelary::platform {

namespace {

QString FromUtf8(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A collator is not safe to share between threads; each thread keeps its own, made again when
// the program's locale changes.
QCollator& ThreadCollator() {
    thread_local QCollator collator;
    thread_local bool ready = false;
    const QLocale locale;
    if (!ready || collator.locale() != locale) {
        collator = QCollator(locale);
        collator.setCaseSensitivity(Qt::CaseSensitive);
        ready = true;
    }
    return collator;
}

}  // namespace

int LocaleCollatedCompare(std::string_view a, std::string_view b) {
    const int c = ThreadCollator().compare(FromUtf8(a), FromUtf8(b));
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

void InstallLocaleCompare() {
    text::SetLocaleCompare(&LocaleCollatedCompare);
}

}  // namespace pixelary::platform
