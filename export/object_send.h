// One object's requests to the platform, in their order on one client:
// create, then, once the platform gave the object its id, card, guard links
// and the route-map upload; a resumed run sends only the steps left. Every
// exchange is told through the client's report operation, so the same steps
// run on the run's thread with the run's client or on an object slot's
// thread with that slot's twin (object_senders.h). Touches no database: the
// records come from the caller.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "export/api_client.h"
#include "export/object_outcome.h"
#include "export/reader_documents.h"
#include "export/resume_plan.h"
#include "source/object_data.h"

// ObjectTag (object_outcome.h) of `object`.
std::string ObjectTag(const TObjectData& object);

// What the requests of every object of a run share.
struct TObjectTarget {
  int32_t GroupId = 0;
  int32_t ObjPrefix = 0;
  std::string Scode;
  bool Resumed = false;  // the run finishes what an earlier one began
};

// Carries out `step` for `object` and records it in `outcome`. Hold reports
// the object as held (uncertain); Finish with `nothing_left` sends nothing;
// otherwise the create (Create only), then the card, guard links and upload
// not yet done. `records` gives the object's records (only its guard ids
// count once its card is saved); it is called once, after the create was
// answered. False when the connection to the target was lost (reported);
// `outcome` then tells whether the object may exist on the platform.
bool SendObject(TApiClient& api, const TObjectData& object, TPlannedStep step, bool nothing_left,
                const TObjectTarget& target, const std::function<TObjectReads()>& records,
                TObjectOutcome& outcome);

// Runs `step`; an error of the HTTP session (or a port in the URL that is
// not a number) is reported through `report` as a lost connection and gives
// false. Other errors leave it unchanged.
bool TalkToTarget(const TApiClient::TReport& report, const std::function<void()>& step);
