// TRunTally, the names of the object statuses and the objects' tags.
#include "export/run_tally.h"

#include <cassert>

#include "platform/numbers.h"
#include "platform/text_list.h"

const char* StatusName(TObjectStatus status) {
  switch (status) {
    case TObjectStatus::Exported:
      return "exported";
    case TObjectStatus::Failed:
      return "failed";
    case TObjectStatus::Uncertain:
      return "uncertain";
    case TObjectStatus::Skipped:
      break;
  }
  return "skipped";
}

std::string ObjectTag(int32_t id, int32_t ext_id) {
  return platform::IntToStr(id) + "/" + platform::IntToStr(ext_id);
}

void TRunTally::Take(TObjectOutcome outcome) {
  // Outcomes are taken in object order, whatever order they were completed in.
  assert(outcome.Place == Taken());
  FOutcomes.push_back(std::move(outcome));
}

int32_t TRunTally::Exported() const {
  int32_t exported = 0;
  for (const TObjectOutcome& outcome : FOutcomes) {
    if (outcome.Status == TObjectStatus::Exported) ++exported;
  }
  return exported;
}

std::string TRunTally::FailedList() const {
  std::string failed;
  for (const TObjectOutcome& outcome : FOutcomes) {
    if (outcome.Status == TObjectStatus::Failed || outcome.Status == TObjectStatus::Uncertain) {
      platform::AppendToList(failed, ObjectTag(outcome.Id, outcome.ExtId));
    }
  }
  return failed;
}

std::vector<std::string> TRunTally::Warnings() const {
  std::vector<std::string> warnings;
  for (const TObjectOutcome& outcome : FOutcomes) {
    warnings.insert(warnings.end(), outcome.Warnings.begin(), outcome.Warnings.end());
  }
  return warnings;
}
