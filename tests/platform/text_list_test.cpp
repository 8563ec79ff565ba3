// Lists of texts: the separator goes between items, never at either end.
#include "platform/text_list.h"

#include <gtest/gtest.h>

namespace {

using platform::AppendToList;
using platform::JoinTexts;

TEST(TextList, AppendToListSeparatesFromWhatTheListHolds) {
  struct TCase {
    std::vector<std::string> Items;
    std::string Separator;
    std::string List;
  };
  const TCase cases[] = {
      {{}, ", ", ""},
      {{"a"}, ", ", "a"},
      {{"a", "b", "c"}, ", ", "a, b, c"},
      {{"One.", "Two."}, " ", "One. Two."},
      // An empty item adds nothing to an empty list, and is separated once
      // the list holds something.
      {{"", "b"}, ", ", "b"},
      {{"a", ""}, ", ", "a, "},
      {{"a", "", "c"}, ", ", "a, , c"},
  };
  for (const TCase& c : cases) {
    std::string list;
    for (const std::string& item : c.Items) AppendToList(list, item, c.Separator);
    EXPECT_EQ(list, c.List) << c.List;
  }
  std::string list = "kept";
  AppendToList(list, "more");
  EXPECT_EQ(list, "kept, more");
}

TEST(TextList, JoinTextsPutsTheSeparatorBetweenEachTwoItems) {
  EXPECT_EQ(JoinTexts({}), "");
  EXPECT_EQ(JoinTexts({"{}"}), "{}");
  EXPECT_EQ(JoinTexts({"{\"a\": 1}", "{\"b\": 2}"}), "{\"a\": 1}, {\"b\": 2}");
  EXPECT_EQ(JoinTexts({"", "b"}), ", b");
  EXPECT_EQ(JoinTexts({"x", "y"}, "; "), "x; y");
}

}  // namespace
