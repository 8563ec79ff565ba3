// The card and guard-link builders, reading the related records they need.
#include "export/reader_documents.h"

#include <vector>

#include "export/documents.h"
#include "source/dbreader.h"

std::string BuildCardJson(TDbReader& reader, const TObjectData& object, int32_t new_id,
                          int32_t group_id, const std::string& scode) {
  TCardParts parts;
  reader.GetInstallers(object.Id, parts.Installer, parts.Extra);
  parts.Persons = BuildPersonsJson(reader, object.Id);
  parts.Areas = BuildAreasJson(reader, object.Id);
  return CardJson(object, new_id, group_id, scode, parts);
}

std::string BuildPersonsJson(TDbReader& reader, int32_t object_id) {
  TPplList persons;
  if (!reader.ReadPersons(persons, object_id)) return {};
  return PersonsDocument(persons);
}

std::string BuildAreasJson(TDbReader& reader, int32_t object_id) {
  TAreaList areas;
  if (!reader.ReadAreas(areas, object_id)) return {};
  std::vector<std::string> entries;
  entries.reserve(areas.size());
  for (const TAreaData& area : areas) {
    entries.push_back(AreaEntry(area, BuildZonesJson(reader, object_id, area.Number)));
  }
  return JoinArray(entries);
}

std::string BuildZonesJson(TDbReader& reader, int32_t object_id, int32_t area_number) {
  TZoneList zones;
  if (!reader.ReadZones(zones, object_id, area_number)) return {};
  return ZonesArray(zones);
}

std::string BuildGuardsJson(TDbReader& reader, const TObjectData& object, int32_t new_id) {
  return GuardsJson(new_id, reader.GetObjectGuards(object.Id));
}
