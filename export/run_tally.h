// The outcomes of a run's objects, taken in object order, and what the
// summary shows of them. Outcomes may be completed out of order by whoever
// sends the objects; Take() only accepts the next place in the list, so the
// summary, the mapping rows and the progress always follow object order.
// Used on one thread (the run's).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/object_outcome.h"

class TRunTally {
 public:
  // `total`: the number of selected objects.
  void Begin(int32_t total) {
    FTotal = total;
    FOutcomes.clear();
    FOutcomes.reserve(static_cast<size_t>(total));
  }
  // Appends the outcome of the object at place Taken(); its warnings join
  // the warning list.
  void Take(TObjectOutcome outcome);

  int32_t Total() const { return FTotal; }
  int32_t Taken() const { return static_cast<int32_t>(FOutcomes.size()); }
  const std::vector<TObjectOutcome>& Outcomes() const { return FOutcomes; }
  int32_t Exported() const;
  // "Id/ExtId, " per object reached and not exported (failed or uncertain).
  std::string FailedList() const;
  std::vector<std::string> Warnings() const;
  // Every selected object is exported (now or earlier).
  bool AllExported() const { return Taken() == FTotal && Exported() == FTotal; }

 private:
  int32_t FTotal = 0;
  std::vector<TObjectOutcome> FOutcomes;
};
