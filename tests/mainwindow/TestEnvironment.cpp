// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/TestEnvironment.h"

#include <stdlib.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <memory>

#include "core/Dib.h"
#include "mainwindow/Main.h"
#include "model/MExplorerItem.h"
#include "platform/InterfaceLanguage.h"
#include "platform/LinuxShell.h"
#include "platform/LocaleCollation.h"

namespace pixelary::testing {
namespace {

QString g_root;
QList<MessageRecord> g_messages;

void RecordMessage(const MessageRecord& message) {
    g_messages.append(message);
}

// Removes the private home when the process ends.
struct RootRemover {
    ~RootRemover() {
        if (!g_root.isEmpty()) QDir(g_root).removeRecursively();
    }
} g_remover;

}  // namespace

void TestEnvironment::PrepareProcess() {
    std::string pattern = QDir::tempPath().toStdString() + "/pixelary-gui-XXXXXX";
    g_root = QString::fromLocal8Bit(::mkdtemp(pattern.data()));
    QDir(g_root).mkpath(QStringLiteral("home/.config"));
    QDir(g_root).mkpath(QStringLiteral("home/.local/share"));
    QDir(g_root).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(g_root + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ::setenv("HOME", Home().toLocal8Bit().constData(), 1);
    ::setenv("XDG_CONFIG_HOME", (Home() + QStringLiteral("/.config")).toLocal8Bit().constData(), 1);
    ::setenv("XDG_DATA_HOME", (Home() + QStringLiteral("/.local/share")).toLocal8Bit().constData(),
             1);
    ::setenv("XDG_RUNTIME_DIR", (g_root + QStringLiteral("/runtime")).toLocal8Bit().constData(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

void TestEnvironment::InstallNamespace() {
    QApplication::setApplicationDisplayName(QStringLiteral("Glimmora"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    platform::ShellRoots roots;
    roots.Home = Home().toStdString();
    roots.Volumes = {"/"};
    roots.Names = platform::VirtualFolderNames::ForLanguage(platform::InterfaceLanguage());
    shell::SetShell(std::make_shared<platform::LinuxShell>(roots));
    platform::InstallLocaleCompare();
    SetMessageSink(RecordMessage);
}

QString TestEnvironment::Root() {
    return g_root;
}

QString TestEnvironment::Home() {
    return g_root + QStringLiteral("/home");
}

QList<MessageRecord> TestEnvironment::TakeMessages() {
    QList<MessageRecord> taken;
    taken.swap(g_messages);
    return taken;
}

QString MakeFolder(const QString& relative) {
    const QString path = TestEnvironment::Home() + QLatin1Char('/') + relative;
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

void WriteFile(const QString& path, qint64 size, int year, int month, int day) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(size, 'x'));
    file.flush();
    file.setFileTime(QDateTime(QDate(year, month, day), QTime(10, 20, 30)),
                     QFileDevice::FileModificationTime);
}

void WriteBmp(const QString& path, int width, int height, std::uint32_t rgb) {
    constexpr int kDepth = 24;
    Dib dib(width, height, kDepth);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = dib.Row(y);
        for (int x = 0; x < width; ++x) {
            row[x * 3] = rgb & 0xFF;
            row[x * 3 + 1] = (rgb >> 8) & 0xFF;
            row[x * 3 + 2] = (rgb >> 16) & 0xFF;
        }
    }
    dib.SaveToFile(path.toStdString());
}

int EntryIndex(TMainForm& form, const QString& fileName) {
    for (int i = 0; i < form.EntryCount(); ++i) {
        MExplorerItem* entry = form.Entry(i);
        if (QString::fromStdString(entry->GetName() + entry->GetExt()) == fileName) return i;
    }
    return -1;
}

void SelectEntries(TMainForm& form, const QStringList& fileNames) {
    for (int i = 0; i < form.EntryCount(); ++i) form.Entry(i)->Selected = 0;
    for (const QString& name : fileNames) {
        const int index = EntryIndex(form, name);
        QVERIFY2(index >= 0, qPrintable(name));
        form.Entry(index)->Selected = 1;
    }
}

}  // namespace pixelary::testing
