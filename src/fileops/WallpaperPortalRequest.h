// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QVariantMap>
#include <functional>

namespace pixelary::fileops {

// Waits for the portal's answer to one wallpaper request and runs refused unless it is a
// success; deletes itself once answered, or after a long wait without an answer.
class PortalRequestWatcher : public QObject {
    Q_OBJECT
  public:
    explicit PortalRequestWatcher(std::function<void()> refused);

  public slots:
    // The portal's Request.Response signal: 0 success, 1 cancelled by the user, 2 other.
    void Response(uint response, const QVariantMap& results);

  private:
    std::function<void()> refused_;
    bool answered_ = false;
};

}  // namespace pixelary::fileops
