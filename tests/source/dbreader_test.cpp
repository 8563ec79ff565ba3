// The reader against the private MariaDB holding the Halvex sample database
// (tests/fixtures/halvex_sample.sql in `velmora`).
#include "source/dbreader.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/date_time.h"
#include "platform/text_codec.h"
#include "tests/support/loopback.h"
#include "tests/support/mariadb_env.h"

namespace {

// Test texts are written in UTF-8; the reader's texts are Windows-1251.
std::string Cp(const std::string& utf8) { return platform::Utf8ToCp1251(utf8); }

std::string Repeat(const std::string& utf8, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += Cp(utf8);
  return text;
}

platform::TDateTime Date(int year, int month, int day, int hour = 0, int minute = 0,
                         int second = 0) {
  platform::TDateTime value = 0;
  EXPECT_TRUE(platform::TryEncodeDateTime({year, month, day, hour, minute, second, 0}, value));
  return value;
}

// The object query up to its filter.
const char kObjectQuery[] =
    "select `id`, `obj`, `inetpassword`, `imei`, `id_obs`, `s1`, `s2`, `s3`, `s4`, `s5`, `s6`, "
    "`s8`, `s9`, `s13`, `s14`, `s15`, `s16`, `s17`, `s18`, `s19`, `s20`, `s21`, `s22`, `s35`, "
    "`d1`, `d3` from `obj` where ((`id` > 0) and (`id` <> 9999)";

TDBoptions SampleOptions(const std::string& object_list = "") {
  const testsupport::TMariaDbEnv env = testsupport::MariaDbEnv();
  TDBoptions options;
  options.DBName = "velmora";
  options.User = "root";
  options.Password = "quietlamp";
  options.Charset = "cp1251";
  options.Host = env.Host;
  options.Port = env.Port;
  options.ObjectList = object_list;
  return options;
}

class SourceDb : public ::testing::Test {
 protected:
  void Open(const std::string& object_list = "") {
    FReader.SetOptions(SampleOptions(object_list));
    ASSERT_TRUE(FReader.Connect());
  }

  TObjectList ReadObjects() {
    TObjectList objects;
    std::string error;
    EXPECT_TRUE(FReader.ReadObjects(objects, error)) << error;
    return objects;
  }

  const TObjectData& Find(const TObjectList& objects, int32_t id) {
    for (const TObjectData& object : objects) {
      if (object.Id == id) return object;
    }
    ADD_FAILURE() << "object " << id << " not read";
    static const TObjectData kNone;
    return kNone;
  }

  std::string Installers(int32_t object_id) {
    std::string installer, extra;
    FReader.GetInstallers(object_id, installer, extra);
    return installer + " | " + extra;
  }

  TDbReader FReader;
};

TEST_F(SourceDb, ObjectQueryReadsTheSelectedObjectsInServerOrder) {
  struct TCase {
    const char* List;
    std::vector<int32_t> Ids;
  };
  const TCase cases[] = {
      {"", {1, 2, 3, 5, 7, 10, 31, 255, 1234, 9998, 10050, 12345}},
      {"5, 10-300, abc", {5, 10, 31, 255}},
      {"9999, 0, -3", {}},
      {"abc, -5-5", {1, 2, 3, 5, 7, 10, 31, 255, 1234, 9998, 10050, 12345}},
      {"$A-0x20, 12345", {10, 31, 12345}},
  };
  for (const TCase& c : cases) {
    TDbReader reader;
    reader.SetOptions(SampleOptions(c.List));
    TObjectList objects;
    std::string error;
    ASSERT_TRUE(reader.ReadObjects(objects, error)) << c.List << ": " << error;
    std::vector<int32_t> ids;
    for (const TObjectData& object : objects) ids.push_back(object.Id);
    EXPECT_EQ(ids, c.Ids) << "object list '" << c.List << "'";
  }
}

TEST_F(SourceDb, ObjectFieldsComeFromTheirColumnsEscaped) {
  ASSERT_NO_FATAL_FAILURE(Open());
  const TObjectList objects = ReadObjects();
  ASSERT_EQ(objects.size(), 12u);
  const TObjectData& shop = Find(objects, 1);
  EXPECT_EQ(shop.ExtId, 1);
  EXPECT_EQ(shop.Name, Cp(R"(Магазин \"Ромашка\")"));
  EXPECT_EQ(shop.Region, Cp("Московская обл."));
  EXPECT_EQ(shop.City, Cp("Москва"));
  EXPECT_EQ(shop.Street, Cp("ул. Тверская"));
  EXPECT_EQ(shop.House, "12");
  EXPECT_EQ(shop.HouseSuffix, "5");
  EXPECT_EQ(shop.Building, "2");
  EXPECT_EQ(shop.GateCode, "1234#");
  EXPECT_EQ(shop.IntercomCode, Cp("14К"));
  EXPECT_EQ(shop.AppNumber, "14");
  EXPECT_EQ(shop.OwnerPassword, Cp(R"(Ромашка\\1)"));
  EXPECT_EQ(shop.ContractNumber, Cp(R"(Д-2014\/117)"));
  EXPECT_EQ(shop.ContractDate, Date(2014, 12, 25));
  EXPECT_EQ(shop.ObsState, 1);
  EXPECT_EQ(shop.PoliceDept, Cp(R"(ОВД \"Тверской\")"));
  EXPECT_EQ(shop.Phone1, "+7 495 111-22-33");
  EXPECT_EQ(shop.Phone2, "+7 495 111-22-34");
  EXPECT_EQ(shop.Phone3, "+7 495 111-22-35");
  EXPECT_EQ(shop.Imei, "356938035643809");
  EXPECT_EQ(shop.Sim, "89161234567");
  EXPECT_EQ(shop.Sim2, "89167654321");
  EXPECT_EQ(shop.InstallDate, Date(2015, 3, 1, 10, 30));
  EXPECT_EQ(shop.Password, R"(p@ss\/1)");
  EXPECT_EQ(shop.MapFile, R"(maps\\obj1.png)");
  EXPECT_EQ(shop.Routes, Cp(R"(Со двора,\r\nворота у арки)"));

  const TObjectData& store = Find(objects, 2);
  EXPECT_EQ(store.Name, Cp(R"(Склад №2\\Б)"));
  EXPECT_EQ(store.Street, Cp(R"(ул. Ленина 5\/7)"));
  EXPECT_EQ(store.Routes, Cp(R"(Въезд с улицы Ленина.\nЗвонить охраннику)"));
  EXPECT_EQ(store.Password, "");
  EXPECT_EQ(store.Building, "") << "NULL text";
  EXPECT_EQ(store.InstallDate, 0.0) << "NULL date";
  EXPECT_EQ(store.ContractDate, 0.0);

  const TObjectData& empty = Find(objects, 3);
  EXPECT_EQ(empty.InstallDate, 0.0) << "zero date";
  EXPECT_EQ(empty.ContractDate, 0.0);
  EXPECT_EQ(empty.Imei, "");
  EXPECT_EQ(empty.MapFile, "");

  const TObjectData& cafe = Find(objects, 5);
  EXPECT_EQ(cafe.Name, Cp("Кафе 'Уют'"));
  EXPECT_EQ(cafe.Sim2, "89160000005 ") << "a VARCHAR keeps its trailing blank";
  EXPECT_EQ(cafe.ObsState, 2);
  EXPECT_EQ(cafe.House, "");
  EXPECT_EQ(cafe.HouseSuffix, "5");

  const TObjectData& garage = Find(objects, 7);
  EXPECT_EQ(garage.Name, Cp(R"(Гараж\t№7)"));
  EXPECT_EQ(garage.PoliceDept, Cp(R"(ОВД\u001F Южный)"));
  EXPECT_EQ(garage.MapFile, R"(D:\\Halvex\\maps\\missing.png)");

  EXPECT_EQ(Find(objects, 31).ObsState, -1);
  EXPECT_EQ(Find(objects, 10).ExtId, 16);
  EXPECT_EQ(Find(objects, 255).ExtId, 597);
  EXPECT_EQ(Find(objects, 1234).ExtId, 4660);
  EXPECT_EQ(Find(objects, 9998).ExtId, 39320);
  EXPECT_EQ(Find(objects, 10050).ExtId, 50);
  EXPECT_EQ(Find(objects, 12345).ExtId, 2345);
  EXPECT_EQ(Find(objects, 12345).InstallDate, Date(2020, 2, 29, 23, 59, 59));
}

TEST_F(SourceDb, InstallerTextsFollowTheLinkOrder) {
  ASSERT_NO_FATAL_FAILURE(Open());
  const std::string petrov = Cp(R"(Петров (ООО \"Защита\"))");
  const std::string smith = Cp(R"(Smith \/ Ко (монтаж\\наладка))");
  EXPECT_EQ(Installers(255), Cp("Иванов (123) | ") + smith + ", " + petrov);
  // 77 is not in `mgr`: an empty text, but its separator stays.
  EXPECT_EQ(Installers(1234), Cp("Сидоров | ") + smith + Cp(", , Кузнецов"));
  EXPECT_EQ(Installers(1), Cp("Сидоров | "));
  EXPECT_EQ(Installers(5), " | ") << "only a missing installer";
  EXPECT_EQ(Installers(2), " | ") << "an installer without a name";
  EXPECT_EQ(Installers(3), " | ") << "no installers";
  EXPECT_EQ(FReader.InstallerText(5), Cp("Кузнецов")) << "empty note";
  EXPECT_EQ(FReader.InstallerText(3), Cp("Сидоров")) << "NULL note";
}

TEST_F(SourceDb, PersonsLeaveOutDeletedOnes) {
  ASSERT_NO_FATAL_FAILURE(Open());
  TPplList persons;
  ASSERT_TRUE(FReader.ReadPersons(persons, 1));
  ASSERT_EQ(persons.size(), 2u);
  const TPplData& director = persons[0];
  EXPECT_EQ(director.Key, 1);
  EXPECT_EQ(director.Name, Cp(R"(Иванов Иван \"Ваня\")"));
  EXPECT_EQ(director.Position, Cp("Директор"));
  EXPECT_EQ(director.City, Cp("Москва"));
  EXPECT_EQ(director.Street, Cp("ул. Тверская"));
  EXPECT_EQ(director.House, "12");
  EXPECT_EQ(director.Building, "2");
  EXPECT_EQ(director.Apartment, "14");
  EXPECT_EQ(director.Phone1, "+7 916 100-00-01");
  EXPECT_EQ(director.Phone2, "+7 916 100-00-02");
  EXPECT_EQ(director.Phone3, "+7 916 100-00-03");
  EXPECT_EQ(persons[1].Key, 3);
  EXPECT_EQ(persons[1].Position, "");

  persons.clear();
  ASSERT_TRUE(FReader.ReadPersons(persons, 2));
  ASSERT_EQ(persons.size(), 1u);
  EXPECT_EQ(persons[0].Name, Cp(R"(Кладовщик\\сменный)"));
  EXPECT_EQ(persons[0].Position, Cp(R"(Старший\nсмены)"));

  persons.clear();
  EXPECT_TRUE(FReader.ReadPersons(persons, 7));
  EXPECT_TRUE(persons.empty()) << "deleted = 2 counts as deleted too";
}

TEST_F(SourceDb, ZonesArePerPartition) {
  ASSERT_NO_FATAL_FAILURE(Open());
  TAreaList areas;
  ASSERT_TRUE(FReader.ReadAreas(areas, 1));
  ASSERT_EQ(areas.size(), 2u);
  EXPECT_EQ(areas[0].Number, 1);
  EXPECT_EQ(areas[0].Name, Cp("Торговый зал"));
  EXPECT_EQ(areas[1].Number, 2);

  TZoneList zones;
  ASSERT_TRUE(FReader.ReadZones(zones, 1, 1));
  ASSERT_EQ(zones.size(), 3u);
  EXPECT_EQ(zones[1].ObjectId, 1);
  EXPECT_EQ(zones[1].AreaNumber, 1);
  EXPECT_EQ(zones[1].Key, 2);
  EXPECT_EQ(zones[1].Name, Cp(R"(Витрина \"Север\")"));
  EXPECT_EQ(zones[1].Comment, Cp("Датчик разбития"));
  EXPECT_EQ(zones[2].Name, "");
  EXPECT_GT(zones[2].Id, zones[1].Id);

  zones.clear();
  EXPECT_TRUE(FReader.ReadZones(zones, 1, 2));
  EXPECT_TRUE(zones.empty()) << "a partition without zones";

  ASSERT_TRUE(FReader.ReadZones(zones, 255, 3));
  ASSERT_EQ(zones.size(), 1u);
  EXPECT_EQ(zones[0].Key, 7);
  EXPECT_EQ(zones[0].AreaNumber, 3);
  EXPECT_EQ(zones[0].Name, Cp(R"(Кнопка \\ тревоги)"));
}

TEST_F(SourceDb, TeamTextsAreCutOnEscapeBoundaries) {
  ASSERT_NO_FATAL_FAILURE(Open());
  const TPgrList& teams = FReader.GetTeams();
  ASSERT_EQ(teams.size(), 5u);
  EXPECT_EQ(teams[0].Name, Cp(R"(ГБР-1 \"Север\")"));
  EXPECT_EQ(teams[0].Phone, "+7 (495) 123-45-67");
  EXPECT_EQ(teams[0].Person, Cp("Петров, Сидоров"));
  EXPECT_EQ(teams[0].GuardId, 0);

  EXPECT_EQ(teams[1].Name, Cp("Группа ") + Repeat("Б", 248)) << "255 characters stay whole";
  EXPECT_EQ(teams[1].Phone, "+7 495 " + std::string(43, '0')) << "60 cut to 50";
  EXPECT_EQ(teams[1].Person, "A, B");

  // The escaped name is 256 long and its 255th character is the backslash of
  // \" ; the escaped phone passes 50 the same way with \/.
  EXPECT_EQ(teams[2].Name, Repeat("Я", 254));
  EXPECT_EQ(teams[2].Phone, std::string(49, '1'));
  EXPECT_EQ(teams[2].Person, "") << "no persons";

  EXPECT_EQ(teams[3].Name, Cp(R"(ГБР \\ Юг)"));
  EXPECT_EQ(teams[3].Person, Repeat("Ж", 100) + ", " + Repeat("З", 100) + ", " + Repeat("И", 50));
}

TEST_F(SourceDb, ObjectGuardsSkipTeamsWithoutGuardAndUnknownTeams) {
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ(FReader.GetObjectGuards(1), "") << "teams never loaded";
  EXPECT_EQ(FReader.FindGuardId(1), 0);

  TPgrList& teams = FReader.GetTeams();
  const int32_t guard_ids[] = {101, 0, 103, 104, 105};
  ASSERT_EQ(teams.size(), std::size(guard_ids));
  for (size_t i = 0; i < teams.size(); ++i) teams[i].GuardId = guard_ids[i];

  EXPECT_EQ(FReader.GetObjectGuards(1), "101, 103");
  EXPECT_EQ(FReader.GetObjectGuards(255), "104") << "team 2 has no guard, team 99 is unknown";
  EXPECT_EQ(FReader.GetObjectGuards(7), "105");
  EXPECT_EQ(FReader.GetObjectGuards(2), "");
  EXPECT_EQ(FReader.FindGuardId(99), 0);
  EXPECT_EQ(&FReader.GetTeams(), &teams) << "the cache is loaded once";
}

TEST_F(SourceDb, QueryErrorsBecomeResults) {
  TDBoptions options = SampleOptions("7");
  options.DBName = "mysql";  // a database without the Halvex tables
  FReader.SetOptions(options);
  ASSERT_TRUE(FReader.Connect());

  TObjectList objects;
  std::string error;
  EXPECT_FALSE(FReader.ReadObjects(objects, error));
  EXPECT_EQ(error, std::string("[") + kObjectQuery + " and ((`id` = 7)))] " +
                       "\r\n#42S02Table 'mysql.obj' doesn't exist");
  EXPECT_TRUE(objects.empty());

  TPplList persons;
  TAreaList areas;
  TZoneList zones;
  EXPECT_FALSE(FReader.ReadPersons(persons, 1));
  EXPECT_FALSE(FReader.ReadAreas(areas, 1));
  EXPECT_FALSE(FReader.ReadZones(zones, 1, 1));
  EXPECT_EQ(Installers(1), " | ");
  EXPECT_TRUE(FReader.GetTeams().empty());
  EXPECT_EQ(FReader.GetObjectGuards(1), "");
}

TEST_F(SourceDb, AnUnreadableRowEndsTheWalkAndKeepsWhatWasRead) {
  testsupport::LoadSqlFile(HALVEX_UNREADABLE_ROWS_SQL, "source_unreadable");
  TDBoptions options = SampleOptions();
  options.DBName = "source_unreadable";
  FReader.SetOptions(options);

  TObjectList objects;
  std::string error;
  EXPECT_FALSE(FReader.ReadObjects(objects, error));
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0].Name, Cp("Первый"));
  EXPECT_EQ(error, std::string("[") + kObjectQuery + ")] 'x' is not a valid integer value");

  ASSERT_EQ(FReader.GetTeams().size(), 1u);
  EXPECT_EQ(FReader.GetTeams()[0].Name, Cp("ГБР-1"));
  EXPECT_EQ(FReader.GetTeams().size(), 1u) << "a failed load is not repeated";
}

// A loopback port that refuses connections: bound, never listening.
class TRefusingPort {
 public:
  TRefusingPort() { FFd = testsupport::BindLoopback(FPort); }
  ~TRefusingPort() { close(FFd); }
  int Port() const { return FPort; }

 private:
  int FFd = -1;
  int FPort = 0;
};

TEST(SourceUnreachable, EveryOperationFailsQuietly) {
  TRefusingPort refusing;
  TDBoptions options;
  options.DBName = "velmora";
  options.User = "root";
  options.Charset = "cp1251";
  options.Host = "127.0.0.1";
  options.Port = refusing.Port();
  TDbReader reader;
  reader.SetOptions(options);
  EXPECT_FALSE(reader.Connect());

  TObjectList objects;
  std::string error;
  EXPECT_FALSE(reader.ReadObjects(objects, error));
  const std::string expected =
      std::string("[") + kObjectQuery + ")] Can't connect to MySQL server on '127.0.0.1' (10061)";
  EXPECT_EQ(error.substr(0, expected.size()), expected);

  TPplList persons;
  EXPECT_FALSE(reader.ReadPersons(persons, 1));
  EXPECT_TRUE(reader.GetTeams().empty());
  EXPECT_EQ(reader.GetObjectGuards(1), "");
  reader.Disconnect();
}

}  // namespace
