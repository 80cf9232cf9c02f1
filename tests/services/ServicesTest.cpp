// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QLoggingCategory>
#include <QString>
#include <QTemporaryDir>
#include <vector>

#include "platform/api/ShellFolder.h"
#include "readers/Rwimage.h"
#include "services/qt/QtServices.h"

namespace pixelary {
namespace {

// Qt reads QT_LOGGING_RULES once, when its logging first starts: set it before any test runs,
// as a user would in the program's environment.
const bool kRulesSet = [] {
    ::setenv("QT_LOGGING_RULES", "pixelary.cache.debug=true", 1);
    return true;
}();

struct QtRecord {
    QString category;
    QtMsgType type;
    QString text;
};

std::vector<QtRecord>& Captured() {
    static std::vector<QtRecord> records;
    return records;
}

void Capture(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    Captured().push_back({QString::fromUtf8(context.category), type, text});
}

// Only the log sink: nothing the test does needs a picture or a namespace.
QtServiceOptions LogOnly() {
    QtServiceOptions options;
    options.base.libraryReader = false;
    options.platform = false;
    options.metafiles = false;
    return options;
}

TEST(QtServices, LogRecordsReachTheirQtCategoryQuietUnlessTheRulesEnableThem) {
    ASSERT_TRUE(kRulesSet);
    InstallQtServices(LogOnly());
    Captured().clear();
    const QtMessageHandler previous = qInstallMessageHandler(Capture);
    log::Debug(log::Category::Cache, "cached thumbnail unreadable");
    log::Debug(log::Category::Readers, "own reader refused");
    log::Write(log::Category::Scanner, log::Level::Warning, "worker ended");
    qInstallMessageHandler(previous);
    log::SetSink({});

    ASSERT_EQ(Captured().size(), 2u);
    EXPECT_EQ(Captured()[0].category, "pixelary.cache");
    EXPECT_EQ(Captured()[0].type, QtDebugMsg);
    EXPECT_EQ(Captured()[0].text, "cached thumbnail unreadable");
    EXPECT_EQ(Captured()[1].category, "pixelary.scanner");
    EXPECT_EQ(Captured()[1].type, QtWarningMsg);
}

TEST(QtServices, WireTheLibraryReaderAndTheNamespaceOverTheGivenFolders) {
    const std::string photo = PIXELARY_TEST_DATA "/imaging/jpg/colour.jpg";
    SetLibraryReaderFactory(nullptr);
    shell::SetShell(nullptr);
    EXPECT_EQ(CreateDiskImage(photo, "jpg"), nullptr);

    QTemporaryDir home;
    QtServiceOptions options;
    options.base.moduleFolder = PIXELARY_BIN_DIR;
    options.roots.emplace();
    options.roots->Home = home.path().toStdString();
    options.roots->Volumes = {"/"};
    InstallQtServices(options);

    const auto reader = CreateDiskImage(photo, "jpg");
    ASSERT_NE(reader, nullptr);
    EXPECT_GT(reader->GetWidth(), 0);
    const auto shell = shell::CurrentShell();
    ASSERT_NE(shell, nullptr);
    EXPECT_TRUE(shell->GetSpecialFolderLocation(shell::CSIDL_DRIVES).has_value());

    SetLibraryReaderFactory(nullptr);
    shell::SetShell(nullptr);
    log::SetSink({});
}

}  // namespace
}  // namespace pixelary
