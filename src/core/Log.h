// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace pixelary::log {

// The subsystems that report what they drop; each is a logging category on the Qt side
// ("pixelary.readers", ...).
enum class Category { Readers, Cache, Scanner };

enum class Level { Debug, Info, Warning };

// "readers", "cache", ...: the category's name without the program's prefix.
std::string_view CategoryName(Category category);

// Where log records go. Called on whichever thread logs, so it must be thread-safe; it must not
// log itself.
using Sink = std::function<void(Category, Level, std::string_view message)>;

// Replaces the process-wide sink; an empty function drops every record (the default), so code
// without a sink stays quiet and pays only for building its message.
void SetSink(Sink sink);

// Hands one record to the sink (any thread).
void Write(Category category, Level level, std::string_view message);

// The message of the exception being handled (inside a catch block), for catch-all sites.
std::string CurrentErrorText();

inline void Debug(Category category, std::string_view message) {
    Write(category, Level::Debug, message);
}

}  // namespace pixelary::log
