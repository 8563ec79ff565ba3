// Header lists: replace in place, removal, folding and reading back.
#include "http/header_list.h"

#include <gtest/gtest.h>

#include "http/authentication.h"

TEST(HeaderList, SetValueReplacesFirstLineInPlaceAndEmptyRemoves) {
  TIdHeaderList list;
  list.SetValue("Accept", "a");
  list.SetValue("Host", "h");
  list.SetValue("accept", "b");  // letter case of the name ignored
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list[0], "accept: b");
  EXPECT_EQ(list[1], "Host: h");
  list.SetValue("ACCEPT", "");
  ASSERT_EQ(list.Count(), 1u);
  EXPECT_EQ(list[0], "Host: h");
  list.SetValue("Missing", "");
  EXPECT_EQ(list.Count(), 1u);
}

TEST(HeaderList, ValuesJoinsContinuationLinesAndTrims) {
  TIdHeaderList list;
  list.Add("X-Long:  first part");
  list.Add("\tsecond part ");
  list.Add(" third");
  list.Add("Other: \x01value\x02 ");
  EXPECT_EQ(list.Values("x-long"), "first part second part third");
  EXPECT_EQ(list.Values("Other"), "value");
  EXPECT_EQ(list.Values("Absent"), "");
  // Replacing a folded line removes its continuation lines too.
  list.SetValue("X-Long", "short");
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list[0], "X-Long: short");
}

TEST(HeaderList, LongValuesFoldOutsideQuotesAndReadBackJoined) {
  TIdHeaderList list;  // fold length 78
  std::string value = "alpha, \"quoted, with, commas and blanks that never break\" " +
                      std::string(40, 'b') + " tail, end";
  list.SetValue("Field", value);
  ASSERT_GT(list.Count(), 1u);
  for (size_t i = 1; i < list.Count(); ++i) EXPECT_EQ(list[i][0], ' ');
  for (size_t i = 0; i < list.Count(); ++i) {
    EXPECT_EQ(list[i].find("\"quoted,") != std::string::npos,
              list[i].find("blanks that never break\"") != std::string::npos)
        << "a quoted run was broken: " << list[i];
  }
  EXPECT_EQ(list.Values("Field"), value);

  TIdHeaderList wire(TIdHeaderList::kRequestFoldLength);
  wire.SetValue("Cookie", std::string(1000, 'c') + "; " + std::string(100, 'd'));
  EXPECT_EQ(wire.Count(), 2u);
  wire.SetValue("Unbreakable", std::string(2000, 'x'));
  EXPECT_EQ(wire[wire.Count() - 1].size(), 2000u + 13u);
}

TEST(BasicAuthentication, ValueIsBase64OfTrimmedCredentials) {
  EXPECT_EQ(TIdBasicAuthentication("Aladdin", "open sesame").Authentication(),
            "Basic QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
  EXPECT_EQ(TIdBasicAuthentication(" user\t", " pw ").Authentication(),
            TIdBasicAuthentication("user", "pw").Authentication());
  EXPECT_EQ(TIdBasicAuthentication("", "").Authentication(), "Basic Og==");
  EXPECT_EQ(TIdBasicAuthentication("ab", "").Authentication(), "Basic YWI6");
  // A long password keeps its commas and runs of blanks.
  const std::string password = std::string(60, 'p') + ",  two  blanks, " + std::string(40, 'q');
  EXPECT_EQ(TIdBasicAuthentication("u", password).Password(), password);
  // Windows-1251 bytes go out as they are.
  EXPECT_EQ(TIdBasicAuthentication("\xC0", "\xFF").Authentication(), "Basic wDr/");
}
