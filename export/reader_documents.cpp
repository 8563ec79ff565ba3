// The per-object reads and the card and guard-link documents made from them.
#include "export/reader_documents.h"

#include "export/documents.h"
#include "source/dbreader.h"

namespace {

std::string AreasJsonFrom(const TObjectReads& reads) {
  if (!reads.AreasRead) return {};
  std::vector<std::string> entries;
  entries.reserve(reads.Areas.size());
  for (size_t i = 0; i < reads.Areas.size(); ++i) {
    const auto& [zones_read, zones] = reads.Zones[i];
    entries.push_back(AreaEntry(reads.Areas[i], zones_read ? ZonesArray(zones) : std::string()));
  }
  return JoinArray(entries);
}

}  // namespace

TObjectReads ReadObjectRecords(TDbReader& reader, int32_t object_id) {
  const int32_t failures = reader.FailedStatements();
  TObjectReads reads;
  reads.ObjectId = object_id;
  reader.GetInstallers(object_id, reads.Installer, reads.Extra);
  reads.PersonsRead = reader.ReadPersons(reads.Persons, object_id);
  reads.AreasRead = reader.ReadAreas(reads.Areas, object_id);
  if (reads.AreasRead) {
    reads.Zones.reserve(reads.Areas.size());
    for (const TAreaData& area : reads.Areas) {
      TZoneList zones;
      const bool read = reader.ReadZones(zones, object_id, area.Number);
      reads.Zones.emplace_back(read, std::move(zones));
    }
  }
  reads.Guards = reader.GetObjectGuards(object_id);
  reads.Clean = reader.FailedStatements() == failures;
  return reads;
}

std::string CardJsonFrom(const TObjectReads& reads, const TObjectData& object, int32_t new_id,
                         int32_t group_id, const std::string& scode) {
  TCardParts parts;
  parts.Installer = reads.Installer;
  parts.Extra = reads.Extra;
  if (reads.PersonsRead) parts.Persons = PersonsDocument(reads.Persons);
  parts.Areas = AreasJsonFrom(reads);
  return CardJson(object, new_id, group_id, scode, parts);
}

std::string GuardsJsonFrom(const TObjectReads& reads, int32_t new_id) {
  return GuardsJson(new_id, reads.Guards);
}
