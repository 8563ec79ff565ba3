// Day counts and the format patterns.
#include "platform/date_time.h"

#include <gtest/gtest.h>

namespace {

using platform::FormatDateTime;
using platform::TDateTime;
using platform::TDateTimeParts;

TEST(DateTime, DayCountsOfKnownDates) {
  struct {
    int Y, M, D;
    double Days;
  } cases[] = {{1899, 12, 30, 0},  {1900, 1, 1, 2},      {2015, 3, 1, 42064},
               {1899, 12, 29, -1}, {1800, 1, 1, -36522}, {2000, 2, 29, 36585}};
  for (auto& c : cases) {
    TDateTime v = 1e9;
    ASSERT_TRUE(platform::TryEncodeDate(c.Y, c.M, c.D, v));
    EXPECT_EQ(v, c.Days) << c.Y << "-" << c.M << "-" << c.D;
    TDateTimeParts back = platform::DecodeDateTime(v);
    EXPECT_EQ(back.Year * 10000 + back.Month * 100 + back.Day, c.Y * 10000 + c.M * 100 + c.D);
  }
  TDateTime v;
  EXPECT_FALSE(platform::TryEncodeDate(2023, 2, 29, v));
  EXPECT_FALSE(platform::TryEncodeDate(2024, 2, 30, v));
  EXPECT_FALSE(platform::TryEncodeDate(2024, 13, 1, v));
  EXPECT_FALSE(platform::TryEncodeDate(0, 1, 1, v));
}

TEST(DateTime, TimeOfDayBeforeTheEpochCountsBackwards) {
  TDateTime v;
  ASSERT_TRUE(platform::TryEncodeDateTime({1899, 12, 29, 6, 0, 0, 0}, v));
  EXPECT_DOUBLE_EQ(v, -1.25);
  TDateTimeParts p = platform::DecodeDateTime(v);
  EXPECT_EQ(p.Day, 29);
  EXPECT_EQ(p.Hour, 6);
}

TEST(DateTime, PatternsTheSystemUses) {
  const TDateTimeParts t{2024, 3, 7, 9, 5, 41, 7};
  const std::string sep = platform::TimeSeparator();
  EXPECT_EQ(FormatDateTime("dd_mm_yyy_hh-nn-ss", t), "07_03_2024_09-05-41");
  EXPECT_EQ(FormatDateTime("dd.mm.yyy", t), "07.03.2024");
  EXPECT_EQ(FormatDateTime("yy", t), "24");
  EXPECT_EQ(FormatDateTime("hh:nn:ss:zzz ", t), "09" + sep + "05" + sep + "41" + sep + "007 ");
  EXPECT_EQ(FormatDateTime("yyy-mm-dd hh:nn:ss", TDateTime(42064)),
            "2015-03-01 00" + sep + "00" + sep + "00");
}

TEST(DateTime, DecodeRoundsMillisecondsWithoutOverflowingTheDay) {
  TDateTime v;
  ASSERT_TRUE(platform::TryEncodeDateTime({2024, 12, 31, 23, 59, 59, 999}, v));
  TDateTimeParts p = platform::DecodeDateTime(v);
  EXPECT_EQ(p.Year, 2024);
  EXPECT_EQ(p.Hour * 10000000 + p.Minute * 100000 + p.Second * 1000 + p.Millisecond, 235959999);
}

}  // namespace
