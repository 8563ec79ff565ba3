// CheckSims and CheckMapFile, the pre-export checks of one object.
#include "export/checks.h"

#include "export/map_path.h"
#include "platform/files.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"

std::string CheckSims(TObjectData& object, TSimSet& sim_list) {
  static const std::string kTwice =
      platform::Utf8ToCp1251("ПРЕДУПРЕЖДЕНИЕ: У ОБЪЕКТА СОВПАДАЮТ НОМЕРА СИМ-КАРТ: ");
  static const std::string kKnownHead = platform::Utf8ToCp1251("ПРЕДУПРЕЖДЕНИЕ: ОБЪЕКТ ");
  static const std::string kKnownTail =
      platform::Utf8ToCp1251(" ИМЕЕТ УЖЕ СУЩЕСТВУЮЩИЕ В СИСТЕМЕ НОМЕРА СИМ-КАРТ: ");

  const std::string s1 = platform::Trim(object.Sim);
  const std::string s2 = platform::Trim(object.Sim2);
  if (!s1.empty() && s1 == s2) {
    object.Sim2.clear();
    return kTwice + platform::IntToStr(object.Id) + ": " + s1;
  }
  const bool found1 = sim_list.Contains(s1);
  const bool found2 = sim_list.Contains(s2);
  std::string warning;
  if (found1 || found2) warning = kKnownHead + platform::IntToStr(object.Id) + kKnownTail;
  if (found1) {
    object.Sim.clear();
    warning += s1 + "  ";
  } else {
    sim_list.Add(s1);
  }
  if (found2) {
    object.Sim2.clear();
    warning += s2 + "  ";
  } else {
    sim_list.Add(s2);
  }
  return warning;
}

std::string CheckMapFile(const TObjectData& object) {
  static const std::string kHead =
      platform::Utf8ToCp1251("ПРЕДУПРЕЖДЕНИЕ: НЕ НАЙДЕН ФАЙЛ С КАРТОЙ ПРОЕЗДА ");
  static const std::string kMiddle = platform::Utf8ToCp1251(" ДЛЯ ОБЪЕКТА ");
  if (object.MapFile.empty() || platform::FileExists(MapFileSystemPath(object.MapFile))) return {};
  return kHead + object.MapFile + kMiddle + platform::IntToStr(object.Id);
}
