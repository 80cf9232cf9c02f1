// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/DosDateTime.h"

namespace pixelary {
namespace {

TEST(DosDateTime, EncodesFieldsInTheirBits) {
    const std::int32_t stamp = dosdate::Encode({2001, 5, 20, 13, 45, 31});
    EXPECT_EQ(static_cast<std::uint32_t>(stamp) >> 16, (21u << 9) | (5u << 5) | 20u);
    EXPECT_EQ(static_cast<std::uint32_t>(stamp) & 0xFFFF, (13u << 11) | (45u << 5) | 15u);
    const LocalDateTime back = dosdate::Decode(stamp);
    EXPECT_EQ(back.year, 2001);
    EXPECT_EQ(back.month, 5);
    EXPECT_EQ(back.day, 20);
    EXPECT_EQ(back.hour, 13);
    EXPECT_EQ(back.minute, 45);
    EXPECT_EQ(back.second, 30);  // two-second steps
}

TEST(DosDateTime, YearsPast2043AreNegativeStampsButStillOrderAsDates) {
    const std::int32_t late = dosdate::Encode({2050, 1, 1, 0, 0, 0});
    EXPECT_LT(late, 0);
    EXPECT_GT(*dosdate::ToDateTime(late), *dosdate::ToDateTime(dosdate::Encode({2040, 1, 1})));
}

TEST(DosDateTime, ToDateTimeCountsDaysFrom1899) {
    EXPECT_DOUBLE_EQ(*dosdate::ToDateTime(dosdate::Encode({1980, 1, 1, 12, 0, 0})), 29221.5);
    EXPECT_FALSE(dosdate::ToDateTime(0).has_value());  // month 0
}

TEST(DosDateTime, FromUnixTimeIsLocalAndRefusesOutOfRange) {
    std::tm local{};
    local.tm_year = 110;
    local.tm_mon = 6;
    local.tm_mday = 4;
    local.tm_hour = 8;
    local.tm_min = 9;
    local.tm_sec = 10;
    local.tm_isdst = -1;
    const std::time_t when = std::mktime(&local);
    EXPECT_EQ(dosdate::FromUnixTime(when), dosdate::Encode({2010, 7, 4, 8, 9, 10}));
    EXPECT_EQ(dosdate::FromUnixTime(0), 0);  // 1970 cannot be stamped
}

}  // namespace
}  // namespace pixelary
