// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/DosDateTime.h"

#include <chrono>

namespace pixelary::dosdate {

namespace {
constexpr int kEpochYear = 1980;
constexpr int kLastYear = kEpochYear + 127;
}  // namespace

std::int32_t Encode(const LocalDateTime& when) {
    const std::uint32_t date = (static_cast<std::uint32_t>(when.year - kEpochYear) << 9) |
                               (static_cast<std::uint32_t>(when.month) << 5) |
                               static_cast<std::uint32_t>(when.day);
    const std::uint32_t time = (static_cast<std::uint32_t>(when.hour) << 11) |
                               (static_cast<std::uint32_t>(when.minute) << 5) |
                               static_cast<std::uint32_t>(when.second / 2);
    return static_cast<std::int32_t>(((date & 0xFFFF) << 16) | (time & 0xFFFF));
}

LocalDateTime Decode(std::int32_t stamp) {
    const auto bits = static_cast<std::uint32_t>(stamp);
    const std::uint32_t date = bits >> 16;
    const std::uint32_t time = bits & 0xFFFF;
    LocalDateTime when;
    when.year = kEpochYear + static_cast<int>(date >> 9);
    when.month = static_cast<int>((date >> 5) & 0x0F);
    when.day = static_cast<int>(date & 0x1F);
    when.hour = static_cast<int>(time >> 11);
    when.minute = static_cast<int>((time >> 5) & 0x3F);
    when.second = static_cast<int>(time & 0x1F) * 2;
    return when;
}

std::int32_t FromUnixTime(std::time_t seconds) {
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) return 0;
    const int year = local.tm_year + 1900;
    if (year < kEpochYear || year > kLastYear) return 0;
    return Encode(
        {year, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec});
}

std::int32_t Now() {
    return FromUnixTime(std::time(nullptr));
}

std::optional<double> ToDateTime(std::int32_t stamp) {
    using namespace std::chrono;
    const LocalDateTime when = Decode(stamp);
    const year_month_day date{year{when.year}, month{static_cast<unsigned>(when.month)},
                              day{static_cast<unsigned>(when.day)}};
    if (!date.ok() || when.hour > 23 || when.minute > 59 || when.second > 59) return std::nullopt;
    constexpr year_month_day kZero{year{1899}, month{12}, day{30}};
    const auto days = (sys_days{date} - sys_days{kZero}).count();
    const double fraction = (when.hour * 3600 + when.minute * 60 + when.second) / 86400.0;
    return static_cast<double>(days) + fraction;
}

}  // namespace pixelary::dosdate
