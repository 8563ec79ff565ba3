// Internet date texts, as cookies and headers carry them.
#include "http/internet_date.h"

#include <gtest/gtest.h>

TEST(InternetDate, ReadsTheCommonFormsAndWritesRfc1123) {
  const std::time_t moment = 784111777;  // 6 November 1994, 08:49:37 GMT
  EXPECT_EQ(FormatInternetDate(moment), "Sun, 06 Nov 1994 08:49:37 GMT");
  const char* forms[] = {
      "Sun, 06 Nov 1994 08:49:37 GMT",
      "Sunday, 06-Nov-94 08:49:37 GMT",
      "Sun Nov  6 08:49:37 1994",
      "Sun, 06-Nov-1994 08:49:37 GMT",
  };
  for (const char* text : forms) {
    std::optional<std::time_t> read = ParseInternetDate(text);
    ASSERT_TRUE(read.has_value()) << text;
    EXPECT_EQ(*read, moment) << text;
  }
  for (const char* bad :
       {"", "tomorrow", "Sun, 32 Nov 1994 08:49:37 GMT", "06 Nov 1994 25:00:00"}) {
    EXPECT_FALSE(ParseInternetDate(bad).has_value()) << bad;
  }
  EXPECT_EQ(InternetDateToLocal("not a date"), 0);
}
