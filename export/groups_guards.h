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

// Creates the guard group and a guard per team, storing each guard id in
// the team's `GuardId`. Nothing is sent for an empty list. False (reported)
// when the target gave no id for the group or for a guard.
bool CreateGuards(TApiClient& api, TPgrList& teams);

// The create-guard document of one team.
std::string GuardJson(const TPgrData& team, int32_t guard_group_id);
