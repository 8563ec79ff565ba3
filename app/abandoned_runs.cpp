// The list of abandoned runs: allocated once and never freed, so that no
// destructor at process exit waits for (or pulls memory from under) a
// thread that is still working.
#include "app/abandoned_runs.h"

#include <algorithm>
#include <vector>

namespace {
std::vector<TAbandonedRun>& KeptRuns() {
  static auto* runs = new std::vector<TAbandonedRun>();
  return *runs;
}
}  // namespace

void KeepAbandonedRun(TAbandonedRun run) { KeptRuns().push_back(std::move(run)); }

bool AbandonedRunsWorking() {
  const auto& runs = KeptRuns();
  return std::any_of(runs.begin(), runs.end(),
                     [](const TAbandonedRun& kept) { return !kept.Run->Finished(); });
}
