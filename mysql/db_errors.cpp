// The user-facing exceptions of the MySQL client.
#include "mysql/db_errors.h"

EListError::EListError(int index)
    : std::runtime_error("List index out of bounds (" + std::to_string(index) + ")") {}

EMyError::EMyError(int32_t error_code, const std::string& message)
    : ESqlError(error_code, message) {
  if (error_code != 1064) return;
  size_t end = message.find_last_of("0123456789");
  if (end == std::string::npos) return;
  size_t begin = end;
  while (begin > 0 && message[begin - 1] >= '0' && message[begin - 1] <= '9') --begin;
  int64_t line = 0;
  for (size_t i = begin; i <= end; ++i) {
    line = line * 10 + (message[i] - '0');
    if (line > INT32_MAX) line = INT32_MAX;  // a run too long for the field saturates
  }
  FLineNumber = static_cast<int32_t>(line);
}
