// What became of one selected object in a run: a record of its own, filled
// while the object is sent and read afterwards, in object order, by the
// summary, the mapping file and a later resume. Plain data; whoever sends
// the object owns its record until it is handed to the run's tally.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class TObjectStatus {
  Skipped,    // not reached: a stop, or a break before it
  Exported,   // created with its card (now or by an earlier run)
  Failed,     // refused by the platform, or broken off after its create was answered
  Uncertain,  // its create was sent and no answer came: it may exist on the platform
};

struct TObjectOutcome {
  int32_t Place = 0;  // zero-based place in the object list
  int32_t Id = 0;
  int32_t ExtId = 0;
  int32_t NewId = 0;  // the platform's id; 0 when there is none
  TObjectStatus Status = TObjectStatus::Skipped;
  bool CardSaved = false;
  bool GuardsLinked = false;
  bool PictureSent = false;
  bool Sent = false;                  // this run sent at least one request for it
  std::vector<std::string> Warnings;  // of the pre-export checks, in order
};

// The mapping file's name of a status: "exported", "failed", "uncertain", "skipped".
const char* StatusName(TObjectStatus status);
// "Id/ExtId" of an object in report lines and the failed list.
std::string ObjectTag(int32_t id, int32_t ext_id);
