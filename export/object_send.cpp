// SendObject and TalkToTarget: one object's exchanges with the platform.
#include "export/object_send.h"

#include "export/documents.h"
#include "export/extract_number.h"
#include "export/picture_upload.h"
#include "export/report_labels.h"
#include "http/exceptions.h"
#include "platform/convert_error.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"

std::string ObjectTag(const TObjectData& object) { return ObjectTag(object.Id, object.ExtId); }

bool SendObject(TApiClient& api, const TObjectData& object, TPlannedStep step, bool nothing_left,
                const TObjectTarget& target, const std::function<TObjectReads()>& records,
                TObjectOutcome& outcome) {
  static const std::string kCreateFailed = platform::Utf8ToCp1251("ОШИБКА ПРИ СОЗДАНИИ ОБЪЕКТА: (");
  static const std::string kSetupFailed = platform::Utf8ToCp1251("ОШИБКА УСТАНОВКИ ПАРАМЕТРОВ: (");
  static const std::string kHeld =
      platform::Utf8ToCp1251("НЕТ ОТВЕТА НА СОЗДАНИЕ ОБЪЕКТА, ПОВТОРНО НЕ ОТПРАВЛЯЕТСЯ: (");

  if (step == TPlannedStep::Hold) {
    outcome.Status = TObjectStatus::Uncertain;
    api.Report(kHeld + ObjectTag(object) + ")");
    return true;
  }
  if (nothing_left) {
    outcome.Status = TObjectStatus::Exported;
    return true;
  }
  if (target.Resumed) {
    api.Report(ResumedObjectLabel() + ObjectTag(object) + " (\xB9 " +
               platform::IntToStr(static_cast<int64_t>(outcome.Place) + 1) + ")");
  }
  bool status_answer = false;
  const auto report = [&api](const std::string& line) { api.Report(line); };
  const bool connected = TalkToTarget(report, [&] {
    outcome.Sent = true;
    if (step == TPlannedStep::Create) {
      std::string response;
      try {
        response = api.CallApi("restapi/objects/create-standalone/",
                               BuildObjectJson(object, target.GroupId, target.ObjPrefix));
      } catch (const EIdHTTPProtocolException&) {
        status_answer = true;
        throw;
      }
      if (ExtractNumber("extId", response, 0) != object.ExtId) {
        api.Report(kCreateFailed + ObjectTag(object) + ")");
        outcome.Status = TObjectStatus::Failed;
        return;
      }
      outcome.NewId = ExtractNumber("id", response, 0);
      if (outcome.NewId == 0) {
        api.Report(kSetupFailed + ObjectTag(object) + ")");
        outcome.Status = TObjectStatus::Failed;
        return;
      }
    }
    const TObjectReads reads = records();
    if (!outcome.CardSaved) {
      api.CallApi("restapi/objects/obj-card-save/",
                  CardJsonFrom(reads, object, outcome.NewId, target.GroupId, target.Scode));
      outcome.CardSaved = true;
    }
    if (!outcome.GuardsLinked) {
      const std::string guards = GuardsJsonFrom(reads, outcome.NewId);
      if (!guards.empty()) api.CallApi("restapi/objects/obj-add-guards/", guards);
      outcome.GuardsLinked = true;
    }
    if (!outcome.PictureSent && !object.MapFile.empty()) {
      UploadPicture(api, "restapi/pictures/upload/", object.MapFile, outcome.NewId);
      outcome.PictureSent = true;
    }
    outcome.Status = TObjectStatus::Exported;
  });
  if (connected) return true;
  // A create that went out and got no answer may have made the object.
  const bool create_unanswered =
      step == TPlannedStep::Create && outcome.NewId == 0 && !status_answer;
  outcome.Status = create_unanswered ? TObjectStatus::Uncertain : TObjectStatus::Failed;
  return false;
}

bool TalkToTarget(const TApiClient::TReport& report, const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const EIdException& error) {
    report(LostConnectionLabel() + error.what());
  } catch (const EConvertError& error) {  // a port in the URL that is not a number
    report(LostConnectionLabel() + error.what());
  }
  return false;
}
