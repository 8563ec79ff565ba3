// JsonFault (through the JSON library) and SharedExtIdLines.
#include "export/document_check.h"

#include <map>
#include <nlohmann/json.hpp>

#include "platform/numbers.h"
#include "platform/text_codec.h"

std::string JsonFault(const std::string& document) {
  try {
    const nlohmann::json parsed = nlohmann::json::parse(platform::Cp1251ToUtf8(document));
    return {};
  } catch (const nlohmann::json::exception& error) {
    return platform::Utf8ToCp1251(error.what());
  }
}

std::vector<std::string> SharedExtIdLines(const TObjectList& objects) {
  static const std::string kShared = platform::Utf8ToCp1251("ПРОВЕРКА: ОБЪЕКТЫ ");
  static const std::string kNumber = platform::Utf8ToCp1251(" ИМЕЮТ ОДИН ВНЕШНИЙ НОМЕР ");
  std::vector<int32_t> order;
  std::map<int32_t, std::vector<int32_t>> ids_by_ext;
  for (const TObjectData& object : objects) {
    std::vector<int32_t>& ids = ids_by_ext[object.ExtId];
    if (ids.empty()) order.push_back(object.ExtId);
    ids.push_back(object.Id);
  }
  std::vector<std::string> lines;
  for (const int32_t ext_id : order) {
    const std::vector<int32_t>& ids = ids_by_ext[ext_id];
    if (ids.size() < 2) continue;
    std::string list;
    for (const int32_t id : ids) list += (list.empty() ? "" : ", ") + platform::IntToStr(id);
    lines.push_back(kShared + list + kNumber + platform::IntToStr(ext_id));
  }
  return lines;
}
