// SPDX-License-Identifier: GPL-3.0-or-later
// The program ended by the signals of a desktop session or a terminal, or by the session manager
// at logout, closes its window the normal way: the cache index and the settings are written, and
// it exits cleanly.

#include <signal.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "app/MiniSessionManager.h"

namespace {

constexpr int kPictures = 3;
constexpr int kScanTimeoutMs = 60000;
constexpr int kExitTimeoutMs = 30000;
constexpr int kIndexCountOffset = 9;

// A private home for one run of the program: its folders, a folder of pictures, the process.
class ProgramRun {
  public:
    ProgramRun() {
        for (const char* sub : {"home", "config", "data", "cache", "pictures"}) {
            QDir(root_.path()).mkpath(sub);
        }
        for (int i = 0; i < kPictures; ++i) {
            QImage picture(64, 48, QImage::Format_RGB32);
            picture.fill(QColor(40 * i, 100, 200));
            picture.save(Path("pictures/picture%1.bmp").arg(i));
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", Path("home"));
        env.insert("XDG_CONFIG_HOME", Path("config"));
        env.insert("XDG_DATA_HOME", Path("data"));
        env.insert("XDG_CACHE_HOME", Path("cache"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process_.setProcessEnvironment(env);
        process_.setProgram(QStringLiteral(PIXELARY_BIN_DIR "/pixelary"));
        process_.setArguments({Path("pictures")});
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
    }

    // On an X display, with a session manager, instead of the offscreen platform.
    void JoinSession(const QString& display, const std::string& sessionManager) {
        QProcessEnvironment env = process_.processEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("DISPLAY", display);
        env.insert("SESSION_MANAGER", QString::fromStdString(sessionManager));
        env.insert("ICEAUTHORITY", Path("home/.ICEauthority"));
        process_.setProcessEnvironment(env);
    }

    QString Path(const QString& relative) const { return root_.filePath(relative); }
    QString CacheFolder() const { return Path("data/Pixelary/Temp/PixCache"); }
    QString SettingsFile() const { return Path("config/Norvanti/Pixelary.conf"); }
    int Thumbnails() const {
        return QDir(CacheFolder()).entryList({"PX*.TMP"}, QDir::Files).size();
    }
    QProcess& Process() { return process_; }

  private:
    QTemporaryDir root_;
    QProcess process_;
};

// A virtual X display of its own for one test.
class VirtualDisplay {
  public:
    VirtualDisplay() : available_(!QStandardPaths::findExecutable("Xvfb").isEmpty()) {
        if (!available_) return;
        server_.start("Xvfb",
                      {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
        // Xvfb names the display it took once it accepts clients.
        if (server_.waitForReadyRead(10000)) {
            name_ = ":" + QString::fromLatin1(server_.readLine().trimmed());
        }
    }
    ~VirtualDisplay() {
        server_.terminate();
        server_.waitForFinished(5000);
    }
    bool Available() const { return available_; }
    const QString& Name() const { return name_; }

  private:
    bool available_;
    QProcess server_;
    QString name_;
};

// The record count of an index file, or -1 when there is none.
int IndexedRecords(const QString& file) {
    QFile index(file);
    if (!index.open(QIODevice::ReadOnly)) return -1;
    const QByteArray bytes = index.readAll();
    if (bytes.size() < kIndexCountOffset + 4 || !bytes.startsWith(QByteArray("MCache10\0", 9))) {
        return -1;
    }
    const auto* count = reinterpret_cast<const uchar*>(bytes.constData() + kIndexCountOffset);
    return count[0] | count[1] << 8 | count[2] << 16 | count[3] << 24;
}

}  // namespace

class ShutdownTest : public QObject {
    Q_OBJECT

  private slots:
    void EndingSignalWritesIndexAndSettings_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int{SIGTERM};
        QTest::newRow("SIGINT") << int{SIGINT};
        QTest::newRow("SIGHUP") << int{SIGHUP};
    }

    void EndingSignalWritesIndexAndSettings() {
        QFETCH(int, signalNumber);
        ProgramRun run;
        run.Process().start();
        QVERIFY(run.Process().waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(run.Thumbnails(), kPictures, kScanTimeoutMs);
        QVERIFY(!QFile::exists(run.SettingsFile()));

        ::kill(static_cast<pid_t>(run.Process().processId()), signalNumber);
        QVERIFY(run.Process().waitForFinished(kExitTimeoutMs));
        QCOMPARE(run.Process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.Process().exitCode(), 0);
        QCOMPARE(IndexedRecords(run.CacheFolder() + "/Pixelary.cac"), kPictures);
        QFile settings(run.SettingsFile());
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(settings.readAll().contains("Cache%20size=4096"));
    }

    // At logout the session manager asks every client to save itself, then tells it to die.
    void SessionLogoutWritesIndexAndSettings() {
        VirtualDisplay display;
        if (!display.Available()) QSKIP("Xvfb is not installed");
        QVERIFY2(!display.Name().isEmpty(), "Xvfb did not start");
        MiniSessionManager session;
        QVERIFY2(!session.Address().empty(), session.Error().c_str());
        ProgramRun run;
        run.JoinSession(display.Name(), session.Address());
        run.Process().start();
        QVERIFY(run.Process().waitForStarted());
        const auto events = [] { QCoreApplication::processEvents(); };
        const QString index = run.CacheFolder() + "/Pixelary.cac";
        // The first save is the one a newly registered client owes; the scan's own index follows.
        QVERIFY(session.ServeUntil([&] { return session.Registered() && session.SavesDone() == 1; },
                                   kScanTimeoutMs, events));
        QVERIFY(session.ServeUntil([&] { return IndexedRecords(index) == kPictures; },
                                   kScanTimeoutMs, events));
        QFile::remove(index);
        QFile::remove(run.SettingsFile());

        session.SaveYourself(true);
        QVERIFY(
            session.ServeUntil([&] { return session.SavesDone() == 2; }, kExitTimeoutMs, events));
        QVERIFY(session.LastSaveSucceeded());
        QCOMPARE(IndexedRecords(index), kPictures);
        QFile settings(run.SettingsFile());
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(settings.readAll().contains("Cache%20size=4096"));

        session.Die();
        QVERIFY(session.ServeUntil([&] { return run.Process().state() == QProcess::NotRunning; },
                                   kExitTimeoutMs, events));
        QCOMPARE(run.Process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.Process().exitCode(), 0);
        QCOMPARE(IndexedRecords(index), kPictures);
    }
};

QTEST_GUILESS_MAIN(ShutdownTest)
#include "ShutdownTest.moc"
