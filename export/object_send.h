// One object's requests to the platform, in their order on one client:
// create, then, once the platform gave the object its id, card, guard links
// and the route-map upload. Every exchange is told through the client's
// report operation, so the same steps run on the run's thread with the run's
// client or on an object slot's thread with that slot's twin.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "export/api_client.h"
#include "export/reader_documents.h"
#include "source/object_data.h"

// "Id/ExtId" of an object in report lines and the failed list.
std::string ObjectTag(const TObjectData& object);

// What the documents of every object share.
struct TObjectTarget {
  int32_t GroupId = 0;
  int32_t ObjPrefix = 0;
  std::string Scode;
};

// Creates `object` and, when the platform answered with its extId and an
// id, saves its card and guard links from `records` (called once, after the
// create was answered) and uploads its route map. False when the platform
// did not accept the object (reported). Errors of the session are raised
// unchanged after the failing request's "URI: " line.
bool SendObject(TApiClient& api, const TObjectData& object, const TObjectTarget& target,
                const std::function<TObjectReads()>& records);

// Runs `step`; an error of the HTTP session (or a port in the URL that is
// not a number) is reported through `report` as a lost connection and gives
// false. Other errors leave it unchanged.
bool TalkToTarget(const TApiClient::TReport& report, const std::function<void()>& step);
