// Value conversion of the text protocol: integers without validation,
// floats independent of the locale, times with long and negative hours.
#include "mysql/value_convert.h"

#include <gtest/gtest.h>

namespace {

TEST(ValueConvert, IntegersWrapInTheirWidth) {
  EXPECT_EQ(TextToInteger("-2147483648", false), INT32_MIN);
  EXPECT_EQ(TextToInteger("4294967295", false), -1);
  EXPECT_EQ(TextToInteger("18446744073709551615", true), -1);
  EXPECT_EQ(TextToInteger("-9223372036854775808", true), INT64_MIN);
  EXPECT_EQ(BitsToInteger(std::string("\x02\x01", 2)), 513);
}

TEST(ValueConvert, FloatsAcceptOnlyPlainDecimalText) {
  struct TCase {
    const char* Text;
    bool Valid;
    double Value;
  } cases[] = {
      {"12.50", true, 12.5},  {"-0.5", true, -0.5}, {"+3", true, 3},   {"1e3", true, 1000},
      {"2.5E-1", true, 0.25}, {".5", true, 0.5},    {"7.", true, 7},   {"1,5", false, 0},
      {"", false, 0},         {"1e", false, 0},     {"inf", false, 0}, {"1 ", false, 0},
      {"-", false, 0},        {"0x10", false, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    double value = 0;
    EXPECT_EQ(TryTextToFloat(c.Text, value), c.Valid);
    if (c.Valid) EXPECT_DOUBLE_EQ(value, c.Value);
  }
}

TEST(ValueConvert, TimesAndImpossibleDates) {
  double v = 0;
  EXPECT_EQ(TextToTime("-12:30:00", v), TTimeParse::Ok);
  EXPECT_NEAR(v, -(12.0 / 24 + 30.0 / 1440), 1e-12);
  EXPECT_EQ(TextToTime("838:59:59", v), TTimeParse::Ok);
  EXPECT_NEAR(v, 838.0 / 24 + (59 * 60 + 59) / 86400.0, 1e-12);
  EXPECT_EQ(TextToTime("10:61:00", v), TTimeParse::Invalid);
  EXPECT_EQ(TextToTime("123456", v), TTimeParse::WrongFormat);

  for (const char* text : {"0000-00-00 00:00:00", "2012-02-30 00:00:00", "2012-13-01 00:00:00",
                           "2012-01-01 24:00:00", "2012-01-01 10:60:00"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(TextToDateTime(text, v));
  }
  EXPECT_TRUE(TextToDateTime("1899-12-29 06:00:00", v));
  EXPECT_DOUBLE_EQ(v, -1.25);  // before the epoch the time is subtracted
}

}  // namespace
