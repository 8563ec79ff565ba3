// The object, card, persons, areas and guard documents as the platform
// receives them.
#include "export/documents.h"

#include <gtest/gtest.h>

#include "export/groups_guards.h"
#include "platform/text_codec.h"

namespace {

std::string W(const char* utf8) { return platform::Utf8ToCp1251(utf8); }
std::string U(const std::string& cp1251) { return platform::Cp1251ToUtf8(cp1251); }

TObjectData Bare(int32_t id) {
  TObjectData o;
  o.Id = id;
  o.ExtId = id;
  o.Name = "N";
  return o;
}

platform::TDateTime Date(int y, int m, int d, int hh = 0, int nn = 0, int ss = 0) {
  platform::TDateTime v = 0;
  EXPECT_TRUE(platform::TryEncodeDateTime({y, m, d, hh, nn, ss, 0}, v));
  return v;
}

std::string Card(const TObjectData& o, const TCardParts& parts = {}) {
  return U(CardJson(o, 501, 17, "YDX", parts));
}

const std::string kCardHead = R"({"id":501, "objType": 1, "scode":"YDX", "objsGroupsIds": [17])";

}  // namespace

TEST(ObjectDocument, CarriesTheImeiOnlyWhenItHas15Or16Characters) {
  TObjectData o = Bare(1234);
  o.ExtId = 4660;
  o.Name = W(R"(Склад \"А\")");
  o.Password = "p@ss\\/1";
  for (size_t length : {14u, 15u, 16u, 17u}) {
    o.Imei = std::string(length, '7');
    const std::string imei = length == 15 || length == 16 ? R"("imei": ")" + o.Imei + R"(", )" : "";
    EXPECT_EQ(
        U(BuildObjectJson(o, 17, -5)),
        R"({"name":"Склад \"А\"", )" + imei +
            R"("extId": 4660, "objPrefix": -5, "password": "p@ss\/1", "objsGroupsIds": [17], "objType": 1})")
        << length;
  }
  o.Password.clear();
  o.Imei.clear();
  EXPECT_EQ(U(BuildObjectJson(o, 3, 0)),
            R"({"name":"Склад \"А\"", "extId": 4660, "objPrefix": 0, "password": "", )"
            R"("objsGroupsIds": [3], "objType": 1})");
}

TEST(CardDocument, WithNothingOptionalHoldsTheHeadAndTheActiveFlagOnly) {
  TObjectData o = Bare(3);
  EXPECT_EQ(Card(o), kCardHead + R"(, "IS_ACTIVE": 0})");
  for (int32_t state : {0, 2, -1}) {
    o.ObsState = state;
    EXPECT_EQ(Card(o), kCardHead + R"(, "IS_ACTIVE": 0})") << state;
  }
  o.ObsState = 1;
  EXPECT_EQ(Card(o), kCardHead + R"(, "IS_ACTIVE": 1})");
}

TEST(CardDocument, WritesEveryMemberInItsOrder) {
  TObjectData o = Bare(1);
  o.City = "C";
  o.Street = "S";
  o.House = "12";
  o.HouseSuffix = "5";
  o.Region = "R";
  o.Building = "B";
  o.GateCode = "G";
  o.IntercomCode = "I";
  o.AppNumber = "A";
  o.OwnerPassword = "O";
  o.ContractNumber = "K";
  o.ContractDate = Date(2015, 3, 1);
  o.ObsState = 1;
  o.Sim = "111";
  o.Sim2 = "222";
  o.InstallDate = Date(2016, 7, 15, 8, 5, 3);
  o.PoliceDept = "P";
  TCardParts parts{"Inst", "X1, X2", "PD", "[AR]"};
  EXPECT_EQ(Card(o, parts),
            kCardHead +
                R"(, "City": "C", "Street": "S", "House": "12/5", "Region": "R", "Building": "B", )"
                R"("GateCode": "G", "IntercomCode": "I", "AppNumber": "A", "OwnerPassword": "O", )"
                R"("ContractNumber": "K", "ContractDate": "2015-03-01 00:00:00", "IS_ACTIVE": 1, )"
                R"("SIM": "111", "SIM2": "222", "InstallDate": "2016-07-15 08:05:03", )"
                R"("DESCRIPTION": "Отдел полиции: P.", "Installer": "Inst", )"
                R"("ExtraHardware": "X1, X2", "RESPONSIVE_PERSONS": "PD", "areas": [AR]})");
}

TEST(CardDocument, HouseNeedsItsNumberAndDatesBefore1900StillCount) {
  TObjectData o = Bare(5);
  o.HouseSuffix = "5";
  EXPECT_EQ(Card(o).find("House"), std::string::npos);
  o.House = "12";
  o.HouseSuffix.clear();
  EXPECT_NE(Card(o).find(R"("House": "12", )"), std::string::npos);
  o.ContractDate = Date(1899, 12, 29, 6);  // a negative day count
  EXPECT_NE(Card(o).find(R"("ContractDate": "1899-12-29 06:00:00")"), std::string::npos);
  o.ContractDate = Date(1850, 1, 2);
  EXPECT_NE(Card(o).find(R"("ContractDate": "1850-01-02 00:00:00")"), std::string::npos);
}

TEST(CardDocument, DescriptionJoinsTheSentencesThatHaveText) {
  TObjectData o = Bare(1);
  EXPECT_EQ(Description(o), "");
  o.Phone2 = "222";
  o.Phone3 = "333";
  o.Routes = W("Со двора");
  EXPECT_EQ(U(Description(o)), "Номера телефонов: 222, 333. Пути подъезда: Со двора.");
  o.PoliceDept = W("ОВД");
  o.Phone1 = "111";
  o.Routes.clear();
  EXPECT_EQ(U(Description(o)), "Отдел полиции: ОВД. Номера телефонов: 111, 222, 333.");
}

// The persons document is a JSON text inside a JSON string: its own quotes
// are escaped once, the person texts (escaped once when read) once more, so
// that both levels stay valid JSON.
TEST(PersonsDocument, EscapesItsOwnQuotesAndBuildsTheComment) {
  EXPECT_EQ(PersonsDocument({}), "");
  TPplData ivanov;
  ivanov.Key = 1;
  ivanov.Name = W(R"(Иванов \"Ваня\")");
  ivanov.Position = W(R"(Директор\nсмены)");
  ivanov.House = R"(12\/1)";
  ivanov.Apartment = "14";
  ivanov.Phone1 = "+1";
  ivanov.Phone2 = "+2";
  ivanov.Phone3 = "+3";
  TPplData anna;
  anna.Key = 3;
  anna.Name = R"(Anna \\ Co)";
  EXPECT_EQ(
      U(PersonsDocument({ivanov, anna})),
      R"({\"pass1\":\"\",\"pass2\":\"\",\"persons\":[)"
      R"({\"key\":\"1\",\"name\":\"Иванов \\\"Ваня\\\"\",\"phone1\":\"+1\",\"phone2\":\"+2\",)"
      R"(\"comment\":\"Должность: Директор\\nсмены, Дом: 12\\\/1, Квартира (офис): 14, )"
      R"(Телефон 3: +3\"}, )"
      R"({\"key\":\"3\",\"name\":\"Anna \\\\ Co\",\"phone1\":\"\",\"phone2\":\"\",\"comment\":\"\"}]})");
}

TEST(AreasDocument, APartitionWithoutZonesHasNoZonesMember) {
  TZoneData door;
  door.Key = 1;
  door.Name = "Door";
  door.Comment = "Reed";
  TZoneData blank;
  blank.Key = 3;
  const std::string zones = ZonesArray({door, blank});
  EXPECT_EQ(
      zones,
      R"([{"num": 1, "name":"Door", "comment":"Reed"}, {"num": 3, "name":"", "comment":""}])");
  EXPECT_EQ(ZonesArray({}), "");
  TAreaData hall{1, "Hall"};
  TAreaData store{2, "Store"};
  EXPECT_EQ(JoinArray({AreaEntry(hall, zones), AreaEntry(store, "")}),
            R"([{"num": 1, "name":"Hall", "comment":"", "zones":)" + zones +
                R"(}, {"num": 2, "name":"Store", "comment":""}])");
  EXPECT_EQ(JoinArray({}), "");
}

TEST(GuardDocuments, LinksAndAccountsAreWrittenAsThePlatformExpects) {
  EXPECT_EQ(GuardsJson(501, ""), "");
  EXPECT_EQ(GuardsJson(501, "11, 13"), R"({"objectId": 501, "guardIds": [11, 13]})");
  TPgrData team;
  team.Id = 7;
  team.Name = W(R"(ГБР-1 \"Север\")");
  team.Person = "A, B";
  team.Phone = "02";
  EXPECT_EQ(U(GuardJson(team, 40)),
            R"({"name":"ГБР-1 \"Север\"", "person":"A, B", "phone":"02", "login":"gbr7", )"
            R"("password":"h8r2k5w9m3q", "comment":"", "guardGroupsId": 40})");
}
