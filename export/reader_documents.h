// The documents of an object that draw on the source's related tables: the
// card (installers, persons, partitions with their zones) and the guard
// links. Each builder reads through the run's reader, one statement at a
// time, and returns its document, or an empty text when there is nothing to
// send (a failed read counts as nothing). Run on the run's thread only.
#pragma once

#include <cstdint>
#include <string>

#include "source/object_data.h"

class TDbReader;

std::string BuildCardJson(TDbReader& reader, const TObjectData& object, int32_t new_id,
                          int32_t group_id, const std::string& scode);
std::string BuildPersonsJson(TDbReader& reader, int32_t object_id);
std::string BuildAreasJson(TDbReader& reader, int32_t object_id);
std::string BuildZonesJson(TDbReader& reader, int32_t object_id, int32_t area_number);
// Empty when none of the object's teams has a guard account on the target.
std::string BuildGuardsJson(TDbReader& reader, const TObjectData& object, int32_t new_id);
