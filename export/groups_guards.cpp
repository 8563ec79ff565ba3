// EnsureObjectsGroup and CreateGuards: the objects group and the guards.
#include "export/groups_guards.h"

#include "export/api_client.h"
#include "export/extract_number.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"

namespace {

const std::string& GroupName() {
  static const std::string kName = platform::Utf8ToCp1251("Стационарные объекты");
  return kName;
}

}  // namespace

int32_t EnsureObjectsGroup(TApiClient& api) {
  static const std::string kSearch = "{\"q\": \"" + GroupName() + "\"}";
  static const std::string kCreate =
      "{\"name\":\"" + GroupName() + "\", \"groupType\":1, \"parentId\": null}";
  static const std::string kExists =
      platform::Utf8ToCp1251("ОШИБКА: УЖЕ ЕСТЬ ГРУППА ") + GroupName();
  static const std::string kNotCreated =
      platform::Utf8ToCp1251("ОШИБКА: НЕ УДАЛОСЬ СОЗДАТЬ ГРУППУ ") + GroupName();

  std::string response = api.CallApi("restapi/objs-groups/search/", kSearch);
  if (response.find(GroupName()) != std::string::npos) {
    api.Report(kExists);
    return 0;
  }
  response = api.CallApi("restapi/objs-groups/create/", kCreate);
  if (response.find(GroupName()) == std::string::npos) {
    api.Report(kNotCreated);
    return 0;
  }
  return ExtractNumber("id", response, 0);
}

std::string GuardJson(const TPgrData& team, int32_t guard_group_id) {
  return "{\"name\":\"" + team.Name + "\", \"person\":\"" + team.Person + "\", \"phone\":\"" +
         team.Phone + "\", \"login\":\"gbr" + platform::IntToStr(team.Id) +
         "\", \"password\":\"h8r2k5w9m3q\", \"comment\":\"\", \"guardGroupsId\": " +
         platform::IntToStr(guard_group_id) + "}";
}

bool CreateGuards(TApiClient& api, TPgrList& teams) {
  static const std::string kGroupDoc =
      "{\"name\":\"" + platform::Utf8ToCp1251("ГБР") + "\", \"parentId\": null}";
  static const std::string kGroupFailed =
      platform::Utf8ToCp1251("ОШИБКА СОЗДАНИЯ ГРУППЫ ГБР: ") + GroupName();
  static const std::string kGuardFailed = platform::Utf8ToCp1251("ОШИБКА СОЗДАНИЯ ГБР: ");

  if (teams.empty()) return true;
  const std::string response = api.CallApi("restapi/guards/create-guard-group/", kGroupDoc);
  const int32_t guard_group_id = ExtractNumber("id", response, 0);
  if (guard_group_id == 0) {
    api.Report(kGroupFailed);
    return false;
  }
  for (TPgrData& team : teams) {
    team.GuardId = ExtractNumber(
        "id", api.CallApi("restapi/guards/create-guard/", GuardJson(team, guard_group_id)), 0);
    if (team.GuardId == 0) {
      api.Report(kGuardFailed + team.Name);
      return false;
    }
  }
  return true;
}
