// SendObject and TalkToTarget: one object's exchanges with the platform.
#include "export/object_send.h"

#include "export/documents.h"
#include "export/extract_number.h"
#include "export/picture_upload.h"
#include "http/exceptions.h"
#include "platform/convert_error.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"

std::string ObjectTag(const TObjectData& object) {
  return platform::IntToStr(object.Id) + "/" + platform::IntToStr(object.ExtId);
}

bool SendObject(TApiClient& api, const TObjectData& object, const TObjectTarget& target,
                const std::function<TObjectReads()>& records) {
  static const std::string kCreateFailed = platform::Utf8ToCp1251("ОШИБКА ПРИ СОЗДАНИИ ОБЪЕКТА: (");
  static const std::string kSetupFailed = platform::Utf8ToCp1251("ОШИБКА УСТАНОВКИ ПАРАМЕТРОВ: (");

  const std::string response =
      api.CallApi("restapi/objects/create-standalone/",
                  BuildObjectJson(object, target.GroupId, target.ObjPrefix));
  if (ExtractNumber("extId", response, 0) != object.ExtId) {
    api.Report(kCreateFailed + ObjectTag(object) + ")");
    return false;
  }
  const int32_t new_id = ExtractNumber("id", response, 0);
  if (new_id == 0) {
    api.Report(kSetupFailed + ObjectTag(object) + ")");
    return false;
  }
  const TObjectReads reads = records();
  api.CallApi("restapi/objects/obj-card-save/",
              CardJsonFrom(reads, object, new_id, target.GroupId, target.Scode));
  const std::string guards = GuardsJsonFrom(reads, new_id);
  if (!guards.empty()) api.CallApi("restapi/objects/obj-add-guards/", guards);
  if (!object.MapFile.empty()) {
    UploadPicture(api, "restapi/pictures/upload/", object.MapFile, new_id);
  }
  return true;
}

bool TalkToTarget(const TApiClient::TReport& report, const std::function<void()>& step) {
  static const std::string kLost = platform::Utf8ToCp1251("ОШИБКА СВЯЗИ С СЕРВЕРОМ: ");
  try {
    step();
    return true;
  } catch (const EIdException& error) {
    report(kLost + error.what());
  } catch (const EConvertError& error) {  // a port in the URL that is not a number
    report(kLost + error.what());
  }
  return false;
}
