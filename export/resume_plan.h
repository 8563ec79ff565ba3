// How a resumed run takes up each object from what earlier runs did
// (run_log_reader.h): objects are matched by their place in the object list,
// and every match must have the create document the earlier run sent, byte
// for byte. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <string>

#include "export/object_outcome.h"
#include "export/run_log_reader.h"
#include "source/object_data.h"

enum class TPlannedStep {
  Create,  // never sent, or refused by the platform's answer: sent as in a first run
  Finish,  // created earlier: only the steps not yet done, with the id the platform gave
  Hold,    // sent earlier without an answer: not sent again (uncertain)
};

// The first object whose create document differs from the one sent earlier,
// as a report line (Windows-1251); empty when every match holds.
std::string FirstMismatch(const TObjectList& objects, const TMigrationState& state,
                          int32_t obj_prefix);

// The step left for the object at `place`; for Finish, `outcome` gets the
// platform's id and the steps already done. `state` null: a first run.
TPlannedStep PlanObject(const TObjectData& object, int32_t place, const TMigrationState* state,
                        bool resend_uncertain, TObjectOutcome& outcome);
