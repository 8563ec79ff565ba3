// The read-ahead helper against the private MariaDB: it hands over exactly
// what the run's own reader reads, and nothing from the first object it
// cannot read cleanly, nor when it is out of step or cannot connect.
#include "export/read_ahead.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "mysql/my_connection.h"
#include "mysql/my_query.h"
#include "source/dbreader.h"
#include "tests/support/loopback.h"
#include "tests/support/mariadb_env.h"

namespace {

namespace fs = std::filesystem;

// The sample, with one zone of object 255 whose key is not a number, in a
// database of this process's own (tests run side by side).
const std::string& Database() {
  static const std::string name = "export_read_ahead_" + std::to_string(::getpid());
  return name;
}

void LoadBrokenSample() {
  const fs::path file =
      fs::temp_directory_path() / ("halvex_read_ahead_" + std::to_string(::getpid()) + ".sql");
  std::ofstream(file) << "source " HALVEX_FIXTURES
                         "/halvex_sample.sql;\n"
                         "ALTER TABLE `zon` MODIFY `id_key` VARCHAR(8);\n"
                         "UPDATE `zon` SET `id_key` = 'x' WHERE `id_obj` = 255 AND `id_key` = 7;\n";
  testsupport::LoadSqlFile(file.string(), Database(), "utf8mb4");
  fs::remove(file);
}

TDBoptions Options() {
  const testsupport::TMariaDbEnv env = testsupport::MariaDbEnv();
  return TDBoptions{Database(), "root", "quietlamp", "cp1251", env.Host, env.Port, ""};
}

// Every member, so that any difference shows.
std::string Dump(const TObjectReads& reads) {
  std::string text = std::to_string(reads.ObjectId) + "|" + reads.Installer + "|" + reads.Extra +
                     "|" + reads.Guards + "|" + (reads.PersonsRead ? "P" : "p");
  for (const TPplData& person : reads.Persons) {
    text += "|" + std::to_string(person.Id) + "," + std::to_string(person.Key) + "," + person.Name +
            "," + person.Position + "," + person.City + "," + person.Street + "," + person.House +
            "," + person.Building + "," + person.Apartment + "," + person.Phone1 + "," +
            person.Phone2 + "," + person.Phone3;
  }
  text += reads.AreasRead ? "|A" : "|a";
  for (size_t i = 0; i < reads.Areas.size(); ++i) {
    text += "|" + std::to_string(reads.Areas[i].Number) + "," + reads.Areas[i].Name;
    if (i >= reads.Zones.size()) continue;
    text += reads.Zones[i].first ? ":Z" : ":z";
    for (const TZoneData& zone : reads.Zones[i].second) {
      text += "," + std::to_string(zone.Id) + "/" + std::to_string(zone.Key) + "/" + zone.Name +
              "/" + zone.Comment;
    }
  }
  return text;
}

class ReadAheadDb : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { LoadBrokenSample(); }
  static void TearDownTestSuite() {
    const TDBoptions options = Options();
    TMyConnection connection;
    connection.SetServer(options.Host);
    connection.SetPort(options.Port);
    connection.SetUsername(options.User);
    connection.SetPassword(options.Password);
    TMyQuery drop;
    drop.SetConnection(&connection);
    drop.SQL.SetText("DROP DATABASE `" + Database() + "`");
    drop.Execute();
  }
  void SetUp() override {
    FMain.SetOptions(Options());
    ASSERT_TRUE(FMain.Connect());
    // The caches the run has by its first object: teams with guard ids, installers.
    for (TPgrData& team : FMain.GetTeams()) team.GuardId = 500 + team.Id;
    std::string installer, extra;
    FMain.GetInstallers(1, installer, extra);
  }
  TDbReader FMain;
};

TEST_F(ReadAheadDb, HandsOverWhatTheRunsReaderReadsUpToTheFirstFailedStatement) {
  const std::vector<int32_t> ids = {1, 2, 3, 7, 255, 1234};
  TReadAhead ahead(Options(), FMain, ids);
  for (int32_t id : {1, 2, 3, 7}) {
    const auto reads = ahead.Take(id);
    ASSERT_TRUE(reads) << id;
    const TObjectReads own = ReadObjectRecords(FMain, id);
    EXPECT_TRUE(own.Clean) << id;
    EXPECT_EQ(Dump(*reads), Dump(own));
  }
  EXPECT_FALSE(ahead.Take(255)) << "a zone that cannot be read";
  EXPECT_FALSE(ReadObjectRecords(FMain, 255).Clean) << "the run's reader fails there too";
  EXPECT_FALSE(ahead.Take(1234)) << "nothing after the first failure";
}

TEST_F(ReadAheadDb, OutOfStepGivesNothingFromThenOn) {
  TReadAhead ahead(Options(), FMain, {1, 2, 3});
  EXPECT_FALSE(ahead.Take(2));
  EXPECT_FALSE(ahead.Take(1));
  EXPECT_FALSE(ahead.Take(3));
}

TEST_F(ReadAheadDb, AHelperThatCannotConnectGivesNothing) {
  TDBoptions options = Options();
  options.Port = testsupport::ClosedLoopbackPort();
  TReadAhead ahead(options, FMain, {1, 2});
  EXPECT_FALSE(ahead.Take(1));
}

TEST_F(ReadAheadDb, ALongListIsReadInBurstsAndEndsWhenAbandoned) {
  std::vector<int32_t> ids;
  for (int round = 0; round < 10; ++round) {
    for (int32_t id : {1, 2, 3, 5, 7, 10}) ids.push_back(id);
  }
  {
    TReadAhead ahead(Options(), FMain, ids);
    for (size_t i = 0; i < ids.size() / 2; ++i) {
      const auto reads = ahead.Take(ids[i]);
      ASSERT_TRUE(reads) << i;
      EXPECT_EQ(reads->ObjectId, ids[i]);
    }
  }  // abandoned half way: the destructor ends the helper
}

}  // namespace
