// SPDX-License-Identifier: GPL-3.0-or-later
#include "scanner/qt/HandOverPump.h"

#include <QMetaObject>

namespace pixelary {

HandOverPump::HandOverPump(HandOver& handOver, QObject* parent)
    : QObject(parent), hand_over_(handOver) {
    hand_over_.SetNotify([this] {
        QMetaObject::invokeMethod(
            this, [this] { hand_over_.RunPending(); }, Qt::QueuedConnection);
    });
}

// Calls queued later are served by whoever waits for the worker (WorkerThread::WaitFor).
HandOverPump::~HandOverPump() {
    hand_over_.SetNotify({});
}

}  // namespace pixelary
