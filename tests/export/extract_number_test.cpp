// ExtractNumber against the response shapes the platform may send.
#include "export/extract_number.h"

#include <gtest/gtest.h>

TEST(ExtractNumber, ReadsTheFirstOccurrenceOfTheKeyAsDigitsUpToAStopCharacter) {
  const struct {
    const char* text;
    int32_t expected;
  } cases[] = {
      {R"({"id":123,"extId":5})", 123},
      {R"({"id": 45})", 45},
      {R"({"id":"12"})", 0},
      {R"({"id":null,"extId":1})", 0},
      {R"({"id":-7})", 7},
      {R"({"id":1.5e3})", 153},
      {R"({"id":[4,5]})", 4},
      {R"({"group":{"id":3},"id":8})", 3},
      {R"({"objectId":9})", 0},
      {R"({"ID":9})", 0},
      {R"({"name":"id","id":5})", 0},
      {R"({"id":12345678901})", 0},
      {R"({"id":2147483647})", 2147483647},
      {R"({"id":2147483648})", 0},
      {R"({"id":77)", 77},
      {R"({"id":)", 0},
      {"", 0},
      {"{\"id\":\n  12\r\n}", 12},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractNumber("id", c.text, 0), c.expected) << c.text;
  }
}

TEST(ExtractNumber, GivesTheCallersDefaultWhenNothingIsFound) {
  EXPECT_EQ(ExtractNumber("id", R"({"extId":5})", -1), -1);
  EXPECT_EQ(ExtractNumber("extId", R"({"id":1,"extId":4660})", -1), 4660);
}
