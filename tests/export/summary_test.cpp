// The closing summary of a run.
#include "export/summary.h"

#include <gtest/gtest.h>

#include "platform/text_codec.h"

namespace {

std::vector<std::string> Utf8(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const std::string& l : lines) out.push_back(platform::Cp1251ToUtf8(l));
  return out;
}

const std::string kRule(49, '#');

}  // namespace

TEST(Summary, ListsTheFiguresAndTheFailedObjectsWithoutTheTrailingSeparator) {
  EXPECT_EQ(
      Utf8(SummaryLines(3, 2, "5/5, ", {})),
      (std::vector<std::string>{
          kRule, "ЭКСПОРТ ОБЪЕКТОВ ЗАВЕРШЕН", kRule, "Полное количество объектов: 3",
          "Количество экспортированных объектов: 2", "Список не экспортированных объектов: 5/5",
          kRule, "Количество предупреждений: 0", kRule}));
}

TEST(Summary, EndsWithTheWarningsAndAClosingRuleWhenThereAreAny) {
  const auto lines = Utf8(SummaryLines(0, 0, "", {platform::Utf8ToCp1251("первое"), "second"}));
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[5], "Список не экспортированных объектов: ");
  EXPECT_EQ(lines[7], "Количество предупреждений: 2");
  EXPECT_EQ(lines[9], "первое");
  EXPECT_EQ(lines[10], "second");
  EXPECT_EQ(lines[11], kRule);
}
