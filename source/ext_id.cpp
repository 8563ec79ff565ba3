// External object numbers.
#include "source/ext_id.h"

#include <string>

#include "platform/numbers.h"

int32_t MakeExtId(int32_t id) {
  // From 10000 on, the number is written in at least four hexadecimal digits
  // and read back as hexadecimal, which gives back id - 10000 itself.
  if (id >= 10000) return id - 10000;
  int32_t value = 0;
  if (!platform::TryTextToInt("$" + platform::IntToStr(id), value)) return 0;
  return value;
}
