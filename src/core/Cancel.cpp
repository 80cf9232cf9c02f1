// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Cancel.h"

#include <utility>

namespace pixelary {
namespace {

thread_local const CancelScope* t_innermost = nullptr;

}  // namespace

CancelScope::CancelScope(std::function<bool()> stopRequested)
    : stop_requested_(std::move(stopRequested)), outer_(t_innermost) {
    t_innermost = this;
}

CancelScope::~CancelScope() {
    t_innermost = outer_;
}

bool StopRequested() {
    return t_innermost != nullptr && t_innermost->Asks();
}

}  // namespace pixelary
