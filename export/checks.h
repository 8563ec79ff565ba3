// The pre-export checks made on every object before its documents are
// built: repeated SIM numbers and a missing route-map file. Each yields a
// warning text for the run's summary (empty when there is nothing to say).
// Run on the run's thread only.
#pragma once

#include <string>

#include "export/sim_set.h"
#include "source/object_data.h"

// Clears `Sim2` when it repeats `Sim`, and each number already in
// `sim_list`; adds the numbers met for the first time to `sim_list`.
std::string CheckSims(TObjectData& object, TSimSet& sim_list);

// A warning when `MapFile` is set but names no file (a folder counts as
// missing). `MapFile` itself is left as it is.
std::string CheckMapFile(const TObjectData& object);
