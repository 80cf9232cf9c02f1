// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

namespace pixelary {

// Broken-down local date and time, as stored in a DOS date-time stamp.
struct LocalDateTime {
    int year = 1980;  // 1980..2107
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;  // stored in 2-second steps
};

// DOS date-time stamp: date in the high 16 bits (year - 1980 in bits 9-15, month in 5-8, day in
// 0-4), time in the low 16 bits (hour in 11-15, minute in 5-10, seconds / 2 in 0-4), local time.
namespace dosdate {

std::int32_t Encode(const LocalDateTime& when);
LocalDateTime Decode(std::int32_t stamp);

// Stamp of a moment given as seconds since the epoch, in the local time zone. Moments before
// 1980 or after 2107 cannot be stamped and give 0.
std::int32_t FromUnixTime(std::time_t seconds);
std::int32_t Now();

// Days since 1899-12-30 with the time of day as the fraction, so stamps compare by value and
// differences are in days. Returns nullopt for a stamp whose date is not a real date.
std::optional<double> ToDateTime(std::int32_t stamp);

}  // namespace dosdate
}  // namespace pixelary
