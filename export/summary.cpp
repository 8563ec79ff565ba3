// SummaryLines: the report lines that close a run.
#include "export/summary.h"

#include "platform/numbers.h"
#include "platform/text_codec.h"

std::vector<std::string> SummaryLines(int32_t total, int32_t exported, const std::string& failed,
                                      const std::vector<std::string>& warnings) {
  static const std::string kRule(49, '#');
  static const std::string kDone = platform::Utf8ToCp1251("ЭКСПОРТ ОБЪЕКТОВ ЗАВЕРШЕН");
  static const std::string kTotal = platform::Utf8ToCp1251("Полное количество объектов: ");
  static const std::string kExported =
      platform::Utf8ToCp1251("Количество экспортированных объектов: ");
  static const std::string kFailed =
      platform::Utf8ToCp1251("Список не экспортированных объектов: ");
  static const std::string kWarnings = platform::Utf8ToCp1251("Количество предупреждений: ");

  std::vector<std::string> lines = {
      kRule,
      kDone,
      kRule,
      kTotal + platform::IntToStr(total),
      kExported + platform::IntToStr(exported),
      kFailed + failed,
      kRule,
      kWarnings + platform::IntToStr(static_cast<int64_t>(warnings.size())),
      kRule,
  };
  if (!warnings.empty()) {
    lines.insert(lines.end(), warnings.begin(), warnings.end());
    lines.push_back(kRule);
  }
  return lines;
}
