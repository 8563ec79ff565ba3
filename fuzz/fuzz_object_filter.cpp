// Fuzzes the object-list filter: any list gives either no filter or one that
// has the fixed frame, balanced brackets and nothing but conditions on `id`,
// so no text from the list reaches the SQL statement.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "source/object_filter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string list(reinterpret_cast<const char*>(data), size);
  const std::string filter = BuildFilter(list);
  if (filter.empty()) return 0;
  if (filter.rfind(" and (", 0) != 0 || filter.back() != ')') std::abort();
  int depth = 0;
  for (char ch : filter) {
    if (ch == '(') ++depth;
    if (ch == ')' && --depth < 0) std::abort();
    const bool allowed = (ch >= '0' && ch <= '9') || ch == ' ' || ch == '(' || ch == ')' ||
                         ch == '-' || ch == '`' || ch == '=' || ch == '<' || ch == '>' ||
                         ch == 'a' || ch == 'n' || ch == 'd' || ch == 'o' || ch == 'r' || ch == 'i';
    if (!allowed) std::abort();
  }
  if (depth != 0) std::abort();
  return 0;
}
