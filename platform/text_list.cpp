// AppendToList and JoinTexts: the one way texts are listed.
#include "platform/text_list.h"

namespace platform {

void AppendToList(std::string& list, std::string_view item, std::string_view separator) {
  if (!list.empty()) list += separator;
  list += item;
}

std::string JoinTexts(const std::vector<std::string>& items, std::string_view separator) {
  std::string list;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) list += separator;
    list += items[i];
  }
  return list;
}

}  // namespace platform
