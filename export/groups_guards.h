// The two preparations on the target before any object is sent: a fresh
// objects group, and the guard group with one guard account per response
// team of the source. Run on the run's thread only; errors of the HTTP
// session pass through unchanged.
#pragma once

#include <cstdint>
#include <string>

#include "source/related_records.h"

class TApiClient;

// The id of the newly created objects group, or 0 (reported) when the group
// exists already or was not confirmed.
int32_t EnsureObjectsGroup(TApiClient& api);

// True when the target has the objects group (a resumed run goes on only
// then); reports when it has not.
bool FindObjectsGroup(TApiClient& api);

// Creates a guard for each team whose `GuardId` is 0, storing the new id in
// it, in the guard group `guard_group_id`, which is created first when it is
// 0. Nothing is sent when no team lacks its guard. False (reported) when the
// target gave no id for the group or for a guard.
bool CreateGuards(TApiClient& api, TPgrList& teams, int32_t guard_group_id = 0);

// The create-guard document of one team.
std::string GuardJson(const TPgrData& team, int32_t guard_group_id);
