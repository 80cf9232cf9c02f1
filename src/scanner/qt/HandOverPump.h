// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include "scanner/HandOver.h"

namespace pixelary {

// Drives a HandOver from the Qt event loop of its owner thread: every call a worker queues is
// run by a queued event, so the worker is served while the loop runs.
class HandOverPump : public QObject {
  public:
    explicit HandOverPump(HandOver& handOver = HandOver::Main(), QObject* parent = nullptr);
    ~HandOverPump() override;

  private:
    HandOver& hand_over_;
};

}  // namespace pixelary
