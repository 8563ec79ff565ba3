// What a resumed run does with each object, from what the logs show of it,
// and the match of the objects against the create documents sent earlier.
#include "export/resume_plan.h"

#include <gtest/gtest.h>

#include "export/documents.h"
#include "platform/text_codec.h"

namespace {

TObjectData Object(int32_t id, int32_t ext_id) {
  TObjectData object;
  object.Id = id;
  object.ExtId = ext_id;
  object.Name = "Shop";
  return object;
}

TLoggedObject Logged(TCreateAnswer answer, const std::string& response) {
  TLoggedObject logged;
  logged.Answer = answer;
  logged.Response = response;
  logged.CardSaved = true;
  return logged;
}

TEST(PlanObject, FollowsTheCreateAnswerTheLogsShow) {
  const struct {
    const char* name;
    TLoggedObject logged;
    bool resend_uncertain;
    TPlannedStep step;
  } cases[] = {
      {"no answer", Logged(TCreateAnswer::None, ""), false, TPlannedStep::Hold},
      {"no answer, resend asked", Logged(TCreateAnswer::None, ""), true, TPlannedStep::Create},
      {"error status", Logged(TCreateAnswer::Status, ""), false, TPlannedStep::Create},
      {"another extId", Logged(TCreateAnswer::Answered, R"({"id": 9, "extId": 8})"), false,
       TPlannedStep::Create},
      {"no id", Logged(TCreateAnswer::Answered, R"({"extId": 7})"), false, TPlannedStep::Create},
      {"created", Logged(TCreateAnswer::Answered, R"({"id": 9, "extId": 7})"), false,
       TPlannedStep::Finish},
  };
  const TObjectData object = Object(7, 7);
  for (const auto& c : cases) {
    TMigrationState state;
    state.Objects[3] = c.logged;
    TObjectOutcome outcome;
    EXPECT_EQ(PlanObject(object, 3, &state, c.resend_uncertain, outcome), c.step) << c.name;
    EXPECT_EQ(outcome.NewId, c.step == TPlannedStep::Finish ? 9 : 0) << c.name;
    EXPECT_EQ(outcome.CardSaved, c.step == TPlannedStep::Finish) << c.name;
    // Another place, or a first run, knows nothing of it.
    EXPECT_EQ(PlanObject(object, 4, &state, false, outcome), TPlannedStep::Create);
    EXPECT_EQ(PlanObject(object, 3, nullptr, false, outcome), TPlannedStep::Create);
  }
}

TEST(FirstMismatch, NamesTheFirstObjectWhoseCreateDocumentDiffers) {
  const TObjectList objects = {Object(1, 1), Object(2, 2), Object(10, 16)};
  TMigrationState state;
  state.GroupId = 100;
  for (int32_t place : {0, 1, 2}) {
    state.Objects[place].CreateDocument = BuildObjectJson(objects[place], 100, 0);
  }
  EXPECT_EQ(FirstMismatch(objects, state, 0), "");
  EXPECT_EQ(platform::Cp1251ToUtf8(FirstMismatch(objects, state, 5)),
            "ОШИБКА: ОБЪЕКТ НЕ СОВПАДАЕТ С ОТПРАВЛЕННЫМ В ПРЕРВАННОМ ПЕРЕНОСЕ (ДРУГИЕ "
            "НАСТРОЙКИ?): (1/1) № 1");
  state.Objects[1].CreateDocument += " ";
  EXPECT_NE(platform::Cp1251ToUtf8(FirstMismatch(objects, state, 0)).find("(2/2) № 2"),
            std::string::npos);
  state.Objects[1].CreateDocument = BuildObjectJson(objects[1], 100, 0);
  state.Objects[3].CreateDocument = "{}";
  EXPECT_EQ(platform::Cp1251ToUtf8(FirstMismatch(objects, state, 0)),
            "ОШИБКА: В СПИСКЕ НЕТ ОБЪЕКТА, ОТПРАВЛЕННОГО В ПРЕРВАННОМ ПЕРЕНОСЕ: № 4");
}

}  // namespace
