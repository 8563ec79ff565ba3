// Text assembly of the object, card and guard-link documents.
#include "export/documents.h"

#include "platform/numbers.h"
#include "platform/text_codec.h"
#include "platform/text_list.h"
#include "source/json_escape.h"

namespace {

using platform::IntToStr;

// ", \"name\": \"value\"" when the value is not empty.
void AddTextMember(std::string& doc, const char* name, const std::string& value) {
  if (value.empty()) return;
  doc += ", \"";
  doc += name;
  doc += "\": \"";
  doc += value;
  doc += '"';
}

void AddDateMember(std::string& doc, const char* name, platform::TDateTime value) {
  if (value != 0) AddTextMember(doc, name, CardDate(value));
}

// Lists "label" + value when the value is not empty.
void AddLabelled(std::string& text, const std::string& label, const std::string& value) {
  if (!value.empty()) platform::AppendToList(text, label + value);
}

std::string PersonComment(const TPplData& person) {
  static const std::string kPosition = platform::Utf8ToCp1251("Должность: ");
  static const std::string kCity = platform::Utf8ToCp1251("Город: ");
  static const std::string kStreet = platform::Utf8ToCp1251("Улица: ");
  static const std::string kHouse = platform::Utf8ToCp1251("Дом: ");
  static const std::string kBuilding = platform::Utf8ToCp1251("Корпус: ");
  static const std::string kApartment = platform::Utf8ToCp1251("Квартира (офис): ");
  static const std::string kPhone3 = platform::Utf8ToCp1251("Телефон 3: ");
  std::string comment;
  AddLabelled(comment, kPosition, person.Position);
  AddLabelled(comment, kCity, person.City);
  AddLabelled(comment, kStreet, person.Street);
  AddLabelled(comment, kHouse, person.House);
  AddLabelled(comment, kBuilding, person.Building);
  AddLabelled(comment, kApartment, person.Apartment);
  AddLabelled(comment, kPhone3, person.Phone3);
  return comment;
}

}  // namespace

std::string CardDate(platform::TDateTime value) {
  return platform::FormatDateTime("yyy-mm-dd hh:nn:ss", value);
}

std::string BuildObjectJson(const TObjectData& object, int32_t group_id, int32_t obj_prefix) {
  std::string doc = "{\"name\":\"" + object.Name + "\", ";
  if (object.Imei.size() == 15 || object.Imei.size() == 16) {
    doc += "\"imei\": \"" + object.Imei + "\", ";
  }
  doc += "\"extId\": " + IntToStr(object.ExtId) + ", \"objPrefix\": " + IntToStr(obj_prefix) +
         ", \"password\": \"" + object.Password + "\", \"objsGroupsIds\": [" + IntToStr(group_id) +
         "], \"objType\": 1}";
  return doc;
}

std::string Description(const TObjectData& object) {
  static const std::string kPolice = platform::Utf8ToCp1251("Отдел полиции: ");
  static const std::string kPhones = platform::Utf8ToCp1251("Номера телефонов: ");
  static const std::string kRoutes = platform::Utf8ToCp1251("Пути подъезда: ");
  std::string phones;
  for (const std::string* phone : {&object.Phone1, &object.Phone2, &object.Phone3}) {
    if (!phone->empty()) platform::AppendToList(phones, *phone);
  }
  // Sentences, each ending in ".", with one blank between them.
  std::string text;
  const auto add_sentence = [&text](const std::string& label, const std::string& value) {
    if (!value.empty()) platform::AppendToList(text, label + value + ".", " ");
  };
  add_sentence(kPolice, object.PoliceDept);
  add_sentence(kPhones, phones);
  add_sentence(kRoutes, object.Routes);
  return text;
}

std::string CardJson(const TObjectData& object, int32_t new_id, int32_t group_id,
                     const std::string& scode, const TCardParts& parts) {
  std::string doc;
  doc.reserve(512 + parts.Persons.size() + parts.Areas.size());
  doc += "{\"id\":" + IntToStr(new_id) + ", \"objType\": 1, \"scode\":\"" + scode +
         "\", \"objsGroupsIds\": [" + IntToStr(group_id) + "]";
  AddTextMember(doc, "City", object.City);
  AddTextMember(doc, "Street", object.Street);
  if (!object.House.empty()) {
    AddTextMember(
        doc, "House",
        object.HouseSuffix.empty() ? object.House : object.House + "/" + object.HouseSuffix);
  }
  AddTextMember(doc, "Region", object.Region);
  AddTextMember(doc, "Building", object.Building);
  AddTextMember(doc, "GateCode", object.GateCode);
  AddTextMember(doc, "IntercomCode", object.IntercomCode);
  AddTextMember(doc, "AppNumber", object.AppNumber);
  AddTextMember(doc, "OwnerPassword", object.OwnerPassword);
  AddTextMember(doc, "ContractNumber", object.ContractNumber);
  AddDateMember(doc, "ContractDate", object.ContractDate);
  doc += object.ObsState == 1 ? ", \"IS_ACTIVE\": 1" : ", \"IS_ACTIVE\": 0";
  AddTextMember(doc, "SIM", object.Sim);
  AddTextMember(doc, "SIM2", object.Sim2);
  AddDateMember(doc, "InstallDate", object.InstallDate);
  AddTextMember(doc, "DESCRIPTION", Description(object));
  AddTextMember(doc, "Installer", parts.Installer);
  AddTextMember(doc, "ExtraHardware", parts.Extra);
  AddTextMember(doc, "RESPONSIVE_PERSONS", parts.Persons);
  if (!parts.Areas.empty()) doc += ", \"areas\": " + parts.Areas;
  doc += '}';
  return doc;
}

// The persons document travels inside a JSON string of the card, so the
// person texts, escaped once when they were read, are escaped once more:
// a quote in a name must reach the inner document as an escaped quote, not
// as the end of its string.
std::string PersonsDocument(const TPplList& persons) {
  std::string people;
  for (const TPplData& p : persons) {
    platform::AppendToList(
        people, "{\\\"key\\\":\\\"" + IntToStr(p.Key) + "\\\",\\\"name\\\":\\\"" +
                    JsonEscape(p.Name) + "\\\",\\\"phone1\\\":\\\"" + JsonEscape(p.Phone1) +
                    "\\\",\\\"phone2\\\":\\\"" + JsonEscape(p.Phone2) +
                    "\\\",\\\"comment\\\":\\\"" + JsonEscape(PersonComment(p)) + "\\\"}");
  }
  if (people.empty()) return {};
  return "{\\\"pass1\\\":\\\"\\\",\\\"pass2\\\":\\\"\\\",\\\"persons\\\":[" + people + "]}";
}

std::string ZonesArray(const TZoneList& zones) {
  std::vector<std::string> entries;
  entries.reserve(zones.size());
  for (const TZoneData& z : zones) {
    entries.push_back("{\"num\": " + IntToStr(z.Key) + ", \"name\":\"" + z.Name +
                      "\", \"comment\":\"" + z.Comment + "\"}");
  }
  return JoinArray(entries);
}

std::string AreaEntry(const TAreaData& area, const std::string& zones) {
  std::string entry =
      "{\"num\": " + IntToStr(area.Number) + ", \"name\":\"" + area.Name + "\", \"comment\":\"\"";
  if (!zones.empty()) entry += ", \"zones\":" + zones;
  entry += '}';
  return entry;
}

std::string JoinArray(const std::vector<std::string>& entries) {
  if (entries.empty()) return {};
  return "[" + platform::JoinTexts(entries) + "]";
}

std::string GuardsJson(int32_t new_id, const std::string& guard_ids) {
  if (guard_ids.empty()) return {};
  return "{\"objectId\": " + IntToStr(new_id) + ", \"guardIds\": [" + guard_ids + "]}";
}
