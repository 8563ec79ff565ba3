// FirstMismatch and PlanObject.
#include "export/resume_plan.h"

#include "export/documents.h"
#include "export/extract_number.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"

std::string FirstMismatch(const TObjectList& objects, const TMigrationState& state,
                          int32_t obj_prefix) {
  static const std::string kDiffers = platform::Utf8ToCp1251(
      "ОШИБКА: ОБЪЕКТ НЕ СОВПАДАЕТ С ОТПРАВЛЕННЫМ В ПРЕРВАННОМ ПЕРЕНОСЕ (ДРУГИЕ НАСТРОЙКИ?): ");
  static const std::string kMissing = platform::Utf8ToCp1251(
      "ОШИБКА: В СПИСКЕ НЕТ ОБЪЕКТА, ОТПРАВЛЕННОГО В ПРЕРВАННОМ ПЕРЕНОСЕ: № ");
  for (const auto& [place, logged] : state.Objects) {
    if (place < 0 || static_cast<size_t>(place) >= objects.size()) {
      return kMissing + platform::IntToStr(static_cast<int64_t>(place) + 1);
    }
    const TObjectData& object = objects[static_cast<size_t>(place)];
    if (BuildObjectJson(object, state.GroupId, obj_prefix) != logged.CreateDocument) {
      return kDiffers + "(" + ObjectTag(object.Id, object.ExtId) + ") \xB9 " +
             platform::IntToStr(static_cast<int64_t>(place) + 1);
    }
  }
  return {};
}

TPlannedStep PlanObject(const TObjectData& object, int32_t place, const TMigrationState* state,
                        bool resend_uncertain, TObjectOutcome& outcome) {
  if (!state) return TPlannedStep::Create;
  const auto it = state->Objects.find(place);
  if (it == state->Objects.end()) return TPlannedStep::Create;
  const TLoggedObject& logged = it->second;
  switch (logged.Answer) {
    case TCreateAnswer::None:
      return resend_uncertain ? TPlannedStep::Create : TPlannedStep::Hold;
    case TCreateAnswer::Status:
      return TPlannedStep::Create;
    case TCreateAnswer::Answered:
      break;
  }
  const int32_t new_id = ExtractNumber("id", logged.Response, 0);
  if (ExtractNumber("extId", logged.Response, 0) != object.ExtId || new_id == 0) {
    return TPlannedStep::Create;
  }
  outcome.NewId = new_id;
  outcome.CardSaved = logged.CardSaved;
  outcome.GuardsLinked = logged.GuardsLinked;
  outcome.PictureSent = logged.PictureSent;
  return TPlannedStep::Finish;
}
