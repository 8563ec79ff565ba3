// Fuzzes the run-log reader: any bytes are either refused with ERunLogError
// or give a state whose objects sit at places 0 and up, each with the create
// document it was logged with; reading the same text twice gives the same
// state (a resume must not depend on what was read before).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "export/run_log_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TMigrationState first;
  TMigrationState second;
  std::string resumed;
  try {
    resumed = ApplyRunLog(text, "fuzz.log", first);
  } catch (const ERunLogError&) {
    return 0;
  }
  if (ApplyRunLog(text, "fuzz.log", second) != resumed) std::abort();
  if (first.GroupId != second.GroupId || first.Objects.size() != second.Objects.size())
    std::abort();
  for (const auto& [place, object] : first.Objects) {
    if (place < 0) std::abort();
    if (object.Answer != TCreateAnswer::Answered && !object.Response.empty()) std::abort();
  }
  return 0;
}
