// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QVariantMap>
#include <atomic>

namespace pixelary::fileops {

// Stands in for the desktop's wallpaper portal: records each request and answers it with
// `answer` (0 taken, 2 failed) through the request's Response signal.
class FakeWallpaperPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Wallpaper")
  public:
    explicit FakeWallpaperPortal(QDBusConnection bus);

    std::atomic<unsigned> answer = 0;
    std::atomic<int> calls = 0;
    // Written by the portal's thread before it replies; read after the reply.
    QByteArray bytes;
    QVariantMap options;

  public slots:
    QDBusObjectPath SetWallpaperFile(const QString& parentWindow,
                                     const QDBusUnixFileDescriptor& picture,
                                     const QVariantMap& options, const QDBusMessage& call);

  private:
    QDBusConnection bus_;
};

}  // namespace pixelary::fileops
