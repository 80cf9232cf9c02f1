// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileops/WallpaperPortal.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QTimer>
#include <QVariantMap>

#include "fileops/WallpaperPortalRequest.h"

Q_LOGGING_CATEGORY(lcWallpaper, "pixelary.wallpaper", QtWarningMsg)

namespace pixelary::fileops {

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kWallpaperInterface = QStringLiteral("org.freedesktop.portal.Wallpaper");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
// The portal answers the call itself at once; only its later answer may wait for the user.
constexpr int kCallTimeoutMs = 5000;
// A request never answered is forgotten after this.
constexpr int kAnswerTimeoutMs = 10 * 60 * 1000;

// The object path the portal gives the request made with token, so its answer can be awaited
// before the call (the portal may answer before the call returns).
QString RequestPath(const QDBusConnection& bus, const QString& token) {
    QString sender = bus.baseService().mid(1);  // the unique name without its leading ':'
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return kPortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

bool ListenForAnswer(QDBusConnection& bus, const QString& path, PortalRequestWatcher* watcher) {
    return bus.connect(kPortalService, path, kRequestInterface, QStringLiteral("Response"), watcher,
                       SLOT(Response(uint, QVariantMap)));
}

}  // namespace

// Owned by the application, so a request still unanswered at exit is cleaned up.
PortalRequestWatcher::PortalRequestWatcher(std::function<void()> refused)
    : QObject(QCoreApplication::instance()), refused_(std::move(refused)) {
    QTimer::singleShot(kAnswerTimeoutMs, this, &QObject::deleteLater);
}

void PortalRequestWatcher::Response(uint response, const QVariantMap&) {
    if (answered_) return;
    answered_ = true;
    qCDebug(lcWallpaper) << "portal answered" << response;
    if (response != 0 && refused_) refused_();
    deleteLater();
}

bool SetWallpaperThroughPortal(const std::string& file, std::function<void()> refused) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QFile picture(QString::fromStdString(file));
    if (!picture.open(QIODevice::ReadOnly)) return false;

    const QString token = QStringLiteral("pixelary%1").arg(QRandomGenerator::global()->generate());
    auto* watcher = new PortalRequestWatcher(std::move(refused));
    const QString expected = RequestPath(bus, token);
    ListenForAnswer(bus, expected, watcher);

    QDBusMessage call = QDBusMessage::createMethodCall(
        kPortalService, kPortalPath, kWallpaperInterface, QStringLiteral("SetWallpaperFile"));
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("show-preview"), false},
                              {QStringLiteral("set-on"), QStringLiteral("background")}};
    call << QString() << QVariant::fromValue(QDBusUnixFileDescriptor(picture.handle())) << options;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        qCDebug(lcWallpaper) << "no wallpaper portal:" << reply.errorMessage();
        delete watcher;
        return false;
    }
    // An older portal names the request itself.
    const QString path = reply.arguments().constFirst().value<QDBusObjectPath>().path();
    if (!path.isEmpty() && path != expected) ListenForAnswer(bus, path, watcher);
    return true;
}

}  // namespace pixelary::fileops
