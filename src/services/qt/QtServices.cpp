// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/qt/QtServices.h"

#include <QLoggingCategory>
#include <QString>
#include <utility>

#include "metafile/MetafileLoader.h"

Q_LOGGING_CATEGORY(lcReaders, "pixelary.readers", QtWarningMsg)
Q_LOGGING_CATEGORY(lcCache, "pixelary.cache", QtWarningMsg)
Q_LOGGING_CATEGORY(lcScanner, "pixelary.scanner", QtWarningMsg)

namespace pixelary {
namespace {

using QtCategory = const QLoggingCategory& (*)();

QtCategory QtCategoryOf(log::Category category) {
    switch (category) {
        case log::Category::Readers:
            return lcReaders;
        case log::Category::Cache:
            return lcCache;
        case log::Category::Scanner:
            return lcScanner;
    }
    return lcScanner;
}

void InstallPlatform(const QtServiceOptions& options) {
    if (options.roots) {
        platform::InstallPlatform(*options.roots);
    } else if (!options.interfaceLanguage.empty()) {
        platform::InstallPlatform(options.interfaceLanguage);
    } else {
        platform::InstallPlatform();
    }
}

}  // namespace

void QtLogSink(log::Category category, log::Level level, std::string_view message) {
    const QtCategory qtCategory = QtCategoryOf(category);
    const QString text = QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
    switch (level) {
        case log::Level::Debug:
            qCDebug(qtCategory).noquote() << text;
            break;
        case log::Level::Info:
            qCInfo(qtCategory).noquote() << text;
            break;
        case log::Level::Warning:
            qCWarning(qtCategory).noquote() << text;
            break;
    }
}

void InstallQtServices(QtServiceOptions options) {
    if (!options.base.logSink) options.base.logSink = QtLogSink;
    InstallServices(options.base);
    if (options.platform) InstallPlatform(options);
    if (options.metafiles) metafile::InstallMetafileLoader();
}

}  // namespace pixelary
