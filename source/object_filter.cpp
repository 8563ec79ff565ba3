// Object-list filter of the object query.
#include "source/object_filter.h"

#include <cstdint>

#include "platform/numbers.h"

std::vector<std::string> SplitList(std::string_view text, char separator) {
  std::vector<std::string> items;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != separator) continue;
    items.push_back(platform::Trim(text.substr(start, i - start)));
    start = i + 1;
  }
  if (start < text.size()) items.push_back(platform::Trim(text.substr(start)));
  return items;
}

std::string FilterCondition(std::string_view item) {
  const size_t dash = item.find('-');
  if (dash == std::string_view::npos) {
    int32_t n = 0;
    if (!platform::TryTextToInt(item, n)) return {};
    return "`id` = " + platform::IntToStr(n);
  }
  int32_t a = 0;
  int32_t b = 0;
  if (!platform::TryTextToInt(platform::Trim(item.substr(0, dash)), a) ||
      !platform::TryTextToInt(platform::Trim(item.substr(dash + 1)), b)) {
    return {};
  }
  return "(`id` >= " + platform::IntToStr(a) + ") and (`id` <= " + platform::IntToStr(b) + ")";
}

std::string BuildFilter(std::string_view object_list) {
  std::string conditions;
  for (const std::string& item : SplitList(object_list, ',')) {
    const std::string condition = FilterCondition(item);
    if (condition.empty()) continue;
    if (!conditions.empty()) conditions += " or ";
    conditions += "(" + condition + ")";
  }
  if (conditions.empty()) return {};
  return " and (" + conditions + ")";
}

std::vector<std::string> IgnoredItems(std::string_view object_list) {
  std::vector<std::string> ignored;
  for (std::string& item : SplitList(object_list, ',')) {
    if (!item.empty() && FilterCondition(item).empty()) ignored.push_back(std::move(item));
  }
  return ignored;
}

bool ObjectListRefused(std::string_view object_list) {
  return !platform::Trim(object_list).empty() && BuildFilter(object_list).empty();
}
