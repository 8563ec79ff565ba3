// The documents of an object that draw on the source's related tables: the
// card (installers, persons, partitions with their zones) and the guard
// links. The reads come first, into a TObjectReads record, one statement at
// a time; the documents are then made from the record, so records read
// ahead on another reader (read_ahead.h) give the same documents. A failed
// read counts as nothing to send. Run on the run's thread only, unless said.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "source/object_data.h"
#include "source/related_records.h"

class TDbReader;

// What the reads of one object gave, failures included.
struct TObjectReads {
  int32_t ObjectId = 0;
  std::string Installer;  // first installer linked to the object
  std::string Extra;      // the further installers, joined with ", "
  bool PersonsRead = false;
  TPplList Persons;
  bool AreasRead = false;
  TAreaList Areas;
  std::vector<std::pair<bool, TZoneList>> Zones;  // per partition, read or not
  std::string Guards;                             // GetObjectGuards
  bool Clean = false;  // no statement failed (a failed cache load included)
};

// The object's reads in this order: installers, persons, partitions, the
// zones of each partition, the guard ids. Any thread may call it for a
// reader it alone uses.
TObjectReads ReadObjectRecords(TDbReader& reader, int32_t object_id);

std::string CardJsonFrom(const TObjectReads& reads, const TObjectData& object, int32_t new_id,
                         int32_t group_id, const std::string& scode);
// Empty when none of the object's teams has a guard account on the target.
std::string GuardsJsonFrom(const TObjectReads& reads, int32_t new_id);
