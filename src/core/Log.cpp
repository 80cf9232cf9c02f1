// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Log.h"

#include <exception>
#include <memory>
#include <mutex>
#include <utility>

namespace pixelary::log {
namespace {

// The sink is swapped under the lock but called outside it, so a slow sink never holds up
// another thread's swap and a record in flight keeps the sink it started with alive.
struct SinkSlot {
    std::mutex lock;
    std::shared_ptr<const Sink> sink;
};

SinkSlot& Slot() {
    static SinkSlot slot;
    return slot;
}

std::shared_ptr<const Sink> CurrentSink() {
    std::lock_guard guard(Slot().lock);
    return Slot().sink;
}

}  // namespace

std::string_view CategoryName(Category category) {
    switch (category) {
        case Category::Readers:
            return "readers";
        case Category::Cache:
            return "cache";
        case Category::Scanner:
            return "scanner";
    }
    return "unknown";
}

void SetSink(Sink sink) {
    auto shared = sink ? std::make_shared<const Sink>(std::move(sink)) : nullptr;
    std::lock_guard guard(Slot().lock);
    Slot().sink = std::move(shared);
}

std::string CurrentErrorText() {
    try {
        throw;
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "an exception that is not a std::exception";
    }
}

void Write(Category category, Level level, std::string_view message) {
    if (const auto sink = CurrentSink()) (*sink)(category, level, message);
}

}  // namespace pixelary::log
