// SPDX-License-Identifier: GPL-3.0-or-later
// The wallpaper portal request on a private session bus, answered by a stand-in for the
// desktop's portal.
#include "WallpaperPortalTest.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QVariantMap>
#include <memory>

#include "fileops/WallpaperPortal.h"

namespace pixelary::fileops {

FakeWallpaperPortal::FakeWallpaperPortal(QDBusConnection bus) : bus_(std::move(bus)) {}

QDBusObjectPath FakeWallpaperPortal::SetWallpaperFile(const QString&,
                                                      const QDBusUnixFileDescriptor& picture,
                                                      const QVariantMap& options,
                                                      const QDBusMessage& call) {
    QFile received;
    if (received.open(::dup(picture.fileDescriptor()), QIODevice::ReadOnly,
                      QFileDevice::AutoCloseHandle)) {
        bytes = received.readAll();
    }
    this->options = options;
    QString sender = call.service().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/") + sender +
                         QLatin1Char('/') +
                         options.value(QStringLiteral("handle_token")).toString();
    // The portal answers once the user or the desktop has decided, after the call returns.
    const uint response = answer.load();
    QTimer::singleShot(0, this, [this, path, response] {
        QDBusMessage signal = QDBusMessage::createSignal(
            path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        signal << response << QVariantMap();
        bus_.send(signal);
    });
    ++calls;
    return QDBusObjectPath(path);
}

namespace {

const char kBusConfig[] = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

template <typename Condition>
bool WaitFor(Condition done) {
    QDeadlineTimer deadline(10000);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// A session bus of its own, with no services to start: the process's session bus for the test.
class WallpaperPortalTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "fileops_portal_tests";
        static char* argv[] = {name, nullptr};
        app_ = new QCoreApplication(argc, argv);
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty()) return;
        config_ = new QTemporaryDir;
        QFile config(config_->filePath(QStringLiteral("bus.conf")));
        if (!config.open(QIODevice::WriteOnly) || config.write(kBusConfig) < 0) return;
        config.close();
        bus_ = new QProcess;
        bus_->start(daemon, {QStringLiteral("--config-file=") + config.fileName(),
                             QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!bus_->waitForStarted() || !bus_->waitForReadyRead(10000)) return;
        address_ = QString::fromUtf8(bus_->readLine()).trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
    }

    static void TearDownTestSuite() {
        if (bus_) {
            bus_->terminate();
            bus_->waitForFinished();
        }
        delete bus_;
        delete config_;
        delete app_;
    }

    void SetUp() override {
        if (address_.isEmpty()) GTEST_SKIP() << "dbus-daemon is not installed";
        picture_ = std::make_unique<QTemporaryDir>();
        file_ = picture_->filePath(QStringLiteral("山.bmp")).toStdString();
        QFile out(QString::fromStdString(file_));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("BM picture bytes");
    }

    // Puts the stand-in portal on the bus, served by a thread of its own (the request blocks
    // the calling thread until the portal replies).
    FakeWallpaperPortal& StartPortal() {
        portal_thread_ = std::make_unique<QThread>();
        portal_thread_->start();
        QDBusConnection bus = QDBusConnection::connectToBus(address_, QStringLiteral("portal"));
        portal_ = std::make_unique<FakeWallpaperPortal>(bus);
        portal_->moveToThread(portal_thread_.get());
        EXPECT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
        EXPECT_TRUE(bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"),
                                       portal_.get(), QDBusConnection::ExportAllSlots));
        return *portal_;
    }

    void TearDown() override {
        if (portal_thread_) {
            QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
            portal_thread_->quit();
            portal_thread_->wait();
        }
    }

    static QCoreApplication* app_;
    static QTemporaryDir* config_;
    static QProcess* bus_;
    static QString address_;
    std::unique_ptr<QTemporaryDir> picture_;
    std::string file_;
    std::unique_ptr<QThread> portal_thread_;
    std::unique_ptr<FakeWallpaperPortal> portal_;
};

QCoreApplication* WallpaperPortalTest::app_ = nullptr;
QTemporaryDir* WallpaperPortalTest::config_ = nullptr;
QProcess* WallpaperPortalTest::bus_ = nullptr;
QString WallpaperPortalTest::address_;

TEST_F(WallpaperPortalTest, ABusWithoutAPortalSaysSoAtOnce) {
    bool refused = false;
    EXPECT_FALSE(SetWallpaperThroughPortal(file_, [&] { refused = true; }));
    EXPECT_FALSE(refused);
}

TEST_F(WallpaperPortalTest, ThePortalGetsThePictureAndItsRefusalIsReported) {
    FakeWallpaperPortal& portal = StartPortal();
    int taken_refused = 0;
    int failed_refused = 0;
    portal.answer = 0;  // taken
    EXPECT_TRUE(SetWallpaperThroughPortal(file_, [&] { ++taken_refused; }));
    EXPECT_EQ(portal.calls, 1);
    EXPECT_EQ(portal.bytes, QByteArray("BM picture bytes"));
    EXPECT_EQ(portal.options.value(QStringLiteral("show-preview")), QVariant(false));
    EXPECT_EQ(portal.options.value(QStringLiteral("set-on")), QVariant("background"));

    portal.answer = 2;  // the desktop could not use it
    EXPECT_TRUE(SetWallpaperThroughPortal(file_, [&] { ++failed_refused; }));
    // Answers arrive in order: once the refusal is in, the first answer has been read too.
    EXPECT_TRUE(WaitFor([&] { return failed_refused > 0; }));
    EXPECT_EQ(failed_refused, 1);
    EXPECT_EQ(taken_refused, 0);
}

TEST_F(WallpaperPortalTest, AMissingPictureIsNoRequest) {
    FakeWallpaperPortal& portal = StartPortal();
    EXPECT_FALSE(SetWallpaperThroughPortal(file_ + ".gone", [] {}));
    EXPECT_EQ(portal.calls, 0);
}

}  // namespace
}  // namespace pixelary::fileops
