// EnsureObjectsGroup and CreateGuards: the objects group and the guards.
#include "export/groups_guards.h"

#include <algorithm>

#include "export/api_client.h"
#include "export/extract_number.h"
#include "export/report_labels.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"

namespace {

const std::string& SearchDocument() {
  static const std::string kSearch = "{\"q\": \"" + ObjectsGroupName() + "\"}";
  return kSearch;
}

}  // namespace

int32_t EnsureObjectsGroup(TApiClient& api) {
  static const std::string kCreate =
      "{\"name\":\"" + ObjectsGroupName() + "\", \"groupType\":1, \"parentId\": null}";
  static const std::string kExists =
      platform::Utf8ToCp1251("ОШИБКА: УЖЕ ЕСТЬ ГРУППА ") + ObjectsGroupName();
  static const std::string kNotCreated =
      platform::Utf8ToCp1251("ОШИБКА: НЕ УДАЛОСЬ СОЗДАТЬ ГРУППУ ") + ObjectsGroupName();

  std::string response = api.CallApi("restapi/objs-groups/search/", SearchDocument());
  if (response.find(ObjectsGroupName()) != std::string::npos) {
    api.Report(kExists);
    return 0;
  }
  response = api.CallApi("restapi/objs-groups/create/", kCreate);
  if (response.find(ObjectsGroupName()) == std::string::npos) {
    api.Report(kNotCreated);
    return 0;
  }
  return ExtractNumber("id", response, 0);
}

bool FindObjectsGroup(TApiClient& api) {
  static const std::string kMissing =
      platform::Utf8ToCp1251("ОШИБКА: НА ПЛАТФОРМЕ НЕТ ГРУППЫ ") + ObjectsGroupName();
  if (api.CallApi("restapi/objs-groups/search/", SearchDocument()).find(ObjectsGroupName()) !=
      std::string::npos) {
    return true;
  }
  api.Report(kMissing);
  return false;
}

std::string GuardJson(const TPgrData& team, int32_t guard_group_id) {
  return "{\"name\":\"" + team.Name + "\", \"person\":\"" + team.Person + "\", \"phone\":\"" +
         team.Phone + "\", \"login\":\"gbr" + platform::IntToStr(team.Id) +
         "\", \"password\":\"h8r2k5w9m3q\", \"comment\":\"\", \"guardGroupsId\": " +
         platform::IntToStr(guard_group_id) + "}";
}

bool CreateGuards(TApiClient& api, TPgrList& teams, int32_t guard_group_id) {
  static const std::string kGroupDoc =
      "{\"name\":\"" + platform::Utf8ToCp1251("ГБР") + "\", \"parentId\": null}";
  static const std::string kGroupFailed =
      platform::Utf8ToCp1251("ОШИБКА СОЗДАНИЯ ГРУППЫ ГБР: ") + ObjectsGroupName();
  static const std::string kGuardFailed = platform::Utf8ToCp1251("ОШИБКА СОЗДАНИЯ ГБР: ");

  if (std::none_of(teams.begin(), teams.end(),
                   [](const TPgrData& team) { return team.GuardId == 0; })) {
    return true;
  }
  if (guard_group_id == 0) {
    const std::string response = api.CallApi("restapi/guards/create-guard-group/", kGroupDoc);
    guard_group_id = ExtractNumber("id", response, 0);
    if (guard_group_id == 0) {
      api.Report(kGroupFailed);
      return false;
    }
  }
  for (TPgrData& team : teams) {
    if (team.GuardId != 0) continue;
    team.GuardId = ExtractNumber(
        "id", api.CallApi("restapi/guards/create-guard/", GuardJson(team, guard_group_id)), 0);
    if (team.GuardId == 0) {
      api.Report(kGuardFailed + team.Name);
      return false;
    }
  }
  return true;
}
