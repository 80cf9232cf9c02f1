// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtTest>
#include <cstdint>
#include <string>

#include "mainwindow/Strings.h"

namespace pixelary {
class TMainForm;
}

namespace pixelary::testing {

// A private home folder for the whole test process: settings, the cache and the namespace's
// home all live below it, so the tests never touch the real user's files.
class TestEnvironment {
  public:
    // Before the application object: points HOME and the XDG folders into a fresh directory.
    static void PrepareProcess();
    // After the application object: installs the namespace over the private home, the locale
    // comparison, a fixed English locale and the message recorder.
    static void InstallNamespace();

    static QString Root();
    static QString Home();
    // Message boxes that would have been shown, oldest first; TakeMessages clears them.
    static QList<MessageRecord> TakeMessages();
};

// A fresh folder below the private home, emptied first when it exists.
QString MakeFolder(const QString& relative);
// A file of `size` bytes whose modification time is `year`-`month`-`day` 10:20:30 local time.
void WriteFile(const QString& path, qint64 size, int year = 2020, int month = 5, int day = 17);
// A 24-bit BMP file of one colour (0xRRGGBB).
void WriteBmp(const QString& path, int width, int height, std::uint32_t rgb);

// The index of the shown entry named fileName (name and extension), or -1.
int EntryIndex(TMainForm& form, const QString& fileName);
// Selects exactly the named entries; fails the running test when one of them is not shown.
void SelectEntries(TMainForm& form, const QStringList& fileNames);

}  // namespace pixelary::testing

// main() of a suite: the private home before the application, the namespace after it.
#define PIXELARY_QTEST_MAIN(TestClass)                          \
    int main(int argc, char* argv[]) {                          \
        pixelary::testing::TestEnvironment::PrepareProcess();   \
        QApplication app(argc, argv);                           \
        pixelary::testing::TestEnvironment::InstallNamespace(); \
        TestClass test;                                         \
        return QTest::qExec(&test, argc, argv);                 \
    }
