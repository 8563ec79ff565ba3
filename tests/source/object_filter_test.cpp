// The object-list filter: splitting, one condition per item, the whole suffix.
#include "source/object_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(BuildFilter, TurnsObjectListsIntoTheQuerySuffix) {
  struct TCase {
    const char* List;
    const char* Filter;
  };
  const TCase cases[] = {
      {"", ""},
      {"abc, -7, 3-", ""},
      {"7", " and ((`id` = 7))"},
      {" 007 ", " and ((`id` = 7))"},
      {"$1F", " and ((`id` = 31))"},
      {"3-1", " and (((`id` >= 3) and (`id` <= 1)))"},
      {"1-2-3", ""},
      {",,5,", " and ((`id` = 5))"},
      {"5, 10-20, abc", " and ((`id` = 5) or ((`id` >= 10) and (`id` <= 20)))"},
      {"5,5", " and ((`id` = 5) or (`id` = 5))"},
      {" 1 - 0x10 ,+2", " and (((`id` >= 1) and (`id` <= 16)) or (`id` = 2))"},
      {"$FFFFFFFF", " and ((`id` = -1))"},
      {"2147483648", ""},
      {"1 2", ""},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(BuildFilter(c.List), c.Filter) << "list '" << c.List << "'";
  }
}

TEST(FilterCondition, ReadsTheItemAsGiven) {
  // A negative single number is a range with an empty left side.
  EXPECT_EQ(FilterCondition("-5"), "");
  EXPECT_EQ(FilterCondition("7"), "`id` = 7");
  EXPECT_EQ(FilterCondition(" 7"), "`id` = 7");
  EXPECT_EQ(FilterCondition("7 "), "") << "nothing may follow the digits";
  EXPECT_EQ(FilterCondition("2 -\t4"), "(`id` >= 2) and (`id` <= 4)");
}

TEST(SplitList, KeepsInnerEmptyItemsButNotATrailingOne) {
  using TItems = std::vector<std::string>;
  EXPECT_EQ(SplitList("", ','), TItems{});
  EXPECT_EQ(SplitList(",,5,", ','), (TItems{"", "", "5"}));
  EXPECT_EQ(SplitList(" a ;\tb; ", ';'), (TItems{"a", "b", ""}))
      << "blanks after the last separator are an item before trimming";
  EXPECT_EQ(SplitList("x,x", ','), (TItems{"x", "x"}));
}

TEST(ObjectListRefused, OnlyAListThatIsNotBlankAndHasNoValidItem) {
  const struct {
    const char* List;
    bool Refused;
    std::vector<std::string> Ignored;
  } cases[] = {
      {"", false, {}},      {"   ", false, {}},
      {"5", false, {}},     {"5, abc, 3-", false, {"abc", "3-"}},
      {"1-", true, {"1-"}}, {"abc", true, {"abc"}},
      {" , ", true, {}},    {"-7, 1-2-3", true, {"-7", "1-2-3"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ObjectListRefused(c.List), c.Refused) << "list '" << c.List << "'";
    EXPECT_EQ(IgnoredItems(c.List), c.Ignored) << "list '" << c.List << "'";
  }
}

}  // namespace
