// The text-to-integer rule and trimming.
#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct TCase {
  const char* Text;
  std::optional<int32_t> Expected;
};

TEST(TextToInt, FollowsTheRule) {
  const TCase cases[] = {
      {" 3306", 3306},
      {"3306 ", std::nullopt},
      {"-5", -5},
      {"+7", 7},
      {"$FFFFFFFF", -1},
      {"0x7fffffff", 2147483647},
      {"X1f", 31},
      {"x1F", 31},
      {"0X10", 16},
      {"-$10", -16},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"$100000000", std::nullopt},
      {"", std::nullopt},
      {"+", std::nullopt},
      {"$", std::nullopt},
      {"0x", std::nullopt},
      {"1 2", std::nullopt},
      {"\xD9\xA3", std::nullopt},
      {"\t5", std::nullopt},
      {"007", 7},
      {"0", 0},
      {"--1", std::nullopt},
      {"1e3", std::nullopt},
  };
  for (const TCase& c : cases) {
    int32_t value = 12345;
    bool ok = platform::TryTextToInt(c.Text, value);
    EXPECT_EQ(ok, c.Expected.has_value()) << "text '" << c.Text << "'";
    if (c.Expected) {
      EXPECT_EQ(value, *c.Expected) << "text '" << c.Text << "'";
    } else {
      EXPECT_EQ(value, 12345) << "a failure leaves the value alone: '" << c.Text << "'";
    }
  }
}

TEST(Trim, RemovesControlsAndBlanksAtBothEnds) {
  EXPECT_EQ(platform::Trim(" \t\r\n a b \x01\x1f "), "a b");
  EXPECT_EQ(platform::Trim("\xC0\xE1 "), "\xC0\xE1");  // Cyrillic bytes are above 32
  EXPECT_EQ(platform::Trim("   "), "");
}

}  // namespace
