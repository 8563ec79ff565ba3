// Lists of texts as the system writes them into documents, report lines and
// record fields: items one after another with a separator between them,
// ", " unless a caller says otherwise. Pure functions; any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

inline constexpr std::string_view kListSeparator = ", ";

// Appends `item` to `list`, with `separator` before it unless `list` is
// still empty. A list built from non-empty items holds them joined by the
// separator, with none at either end.
void AppendToList(std::string& list, std::string_view item,
                  std::string_view separator = kListSeparator);

// `items` with `separator` between each two of them; empty when there are
// no items.
std::string JoinTexts(const std::vector<std::string>& items,
                      std::string_view separator = kListSeparator);

}  // namespace platform
