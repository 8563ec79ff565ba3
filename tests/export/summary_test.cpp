// The closing summary of a run.
#include "export/summary.h"

#include <gtest/gtest.h>

#include "export/run_tally.h"
#include "platform/text_codec.h"

namespace {

std::vector<std::string> Utf8(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const std::string& l : lines) out.push_back(platform::Cp1251ToUtf8(l));
  return out;
}

const std::string kRule(49, '#');

}  // namespace

TEST(Summary, ListsTheFiguresAndTheFailedObjects) {
  EXPECT_EQ(
      Utf8(SummaryLines(3, 2, "5/5", {})),
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

// The failed list the summary shows: objects not exported (failed or
// uncertain) in object order, joined with ", " and nothing at either end.
TEST(Summary, FailedListOfTheTallyNamesTheObjectsNotExported) {
  struct TCase {
    std::vector<TObjectStatus> Statuses;
    std::string Failed;
  };
  const TCase cases[] = {
      {{}, ""},
      {{TObjectStatus::Exported, TObjectStatus::Skipped}, ""},
      {{TObjectStatus::Failed}, "1/101"},
      {{TObjectStatus::Uncertain, TObjectStatus::Exported, TObjectStatus::Failed,
        TObjectStatus::Skipped},
       "1/101, 3/103"},
  };
  for (const TCase& c : cases) {
    TRunTally tally;
    tally.Begin(static_cast<int32_t>(c.Statuses.size()));
    for (const TObjectStatus status : c.Statuses) {
      TObjectOutcome outcome;
      outcome.Place = tally.Taken();
      outcome.Id = outcome.Place + 1;
      outcome.ExtId = outcome.Place + 101;
      outcome.Status = status;
      tally.Take(outcome);
    }
    EXPECT_EQ(tally.FailedList(), c.Failed) << c.Statuses.size() << " objects";
    EXPECT_EQ(SummaryLines(tally.Total(), tally.Exported(), tally.FailedList(), {})[5],
              platform::Utf8ToCp1251("Список не экспортированных объектов: ") + c.Failed);
  }
}
