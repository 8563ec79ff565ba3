// Whole runs of halvex-export-cli against the private MariaDB holding the
// sample database and the platform stand-in.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/cli/cli_harness.h"

namespace {

using namespace clitest;  // the harness is what these tests speak

// Every JSON request as its report line gave it: "POST /" + path + " " + document.
std::vector<std::string> ReportedRequests(const std::vector<std::string>& entries) {
  const std::string separator = "       PARAMS: ";
  std::vector<std::string> requests;
  for (const std::string& e : entries) {
    if (e.rfind("URI: ", 0) != 0) continue;
    const size_t at = e.find(separator);
    requests.push_back("POST /" + e.substr(5, at - 5) + " " + e.substr(at + separator.size()));
  }
  return requests;
}

std::vector<std::string> WithoutUploads(const std::vector<std::string>& journal) {
  std::vector<std::string> json;
  for (const std::string& line : journal) {
    if (line.rfind("POST /restapi/pictures/upload/ ", 0) != 0) json.push_back(line);
  }
  return json;
}

}  // namespace

TEST(CliRun, ExportsTheSampleAsReportedAndLogsEveryReportLine) {
  TStandIn target;
  TScratchDir logs;
  const auto result = RunCli(RunArgs(target, logs.Path()));
  ASSERT_EQ(result.ExitStatus, 0) << result.Stderr;

  const auto log = ReadLogFile(logs.Path());
  EXPECT_EQ(log.Header, "Carvelmontrade 1.0.16");
  EXPECT_EQ(result.Stdout, JoinLines(log.Entries));

  const auto journal = target.Journal();
  EXPECT_EQ(WithoutUploads(journal), ReportedRequests(log.Entries));
  const auto expected = clitest::ReadFile(std::string(HALVEX_CLI_TESTS) + "/sample_requests.txt");
  // Every request in order, the three route-map uploads (multipart, base64) included.
  EXPECT_EQ(JoinLines(journal), expected);

  EXPECT_EQ(SummaryOf(log.Entries), Summary(12, 12, "", kSampleWarnings));
}

TEST(CliRun, TheObjectListPrefixAndGeocoderReachTheDocuments) {
  TStandIn target;
  TScratchDir logs;
  const auto result =
      RunCli(With(RunArgs(target, logs.Path()), {"--objects", "5, 255-1234, abc, 9999", "--prefix",
                                                 "-5", "--geocoder", "Google"}));
  ASSERT_EQ(result.ExitStatus, 0) << result.Stderr;
  const auto created = BodiesTo(target.Journal(), "restapi/objects/create-standalone/");
  ASSERT_EQ(created.size(), 3u);
  const char* ext_ids[] = {R"("extId": 5,)", R"("extId": 597,)", R"("extId": 4660,)"};
  for (size_t i = 0; i < created.size(); ++i) {
    EXPECT_NE(created[i].find(ext_ids[i]), std::string::npos) << created[i];
    EXPECT_NE(created[i].find(R"("objPrefix": -5,)"), std::string::npos) << created[i];
  }
  for (const std::string& card : BodiesTo(target.Journal(), "restapi/objects/obj-card-save/")) {
    EXPECT_NE(card.find(R"("scode":"GGL")"), std::string::npos) << card;
  }
  EXPECT_EQ(
      SummaryOf(ReadLogFile(logs.Path()).Entries),
      Summary(3, 3, "", {"ПРЕДУПРЕЖДЕНИЕ: У ОБЪЕКТА СОВПАДАЮТ НОМЕРА СИМ-КАРТ: 5: 89160000005"}));
}

TEST(CliRun, ASecondRunFindsTheGroupAndStopsBeforeAnythingIsCreated) {
  TStandIn target;
  TScratchDir first_logs, second_logs;
  ASSERT_EQ(RunCli(With(RunArgs(target, first_logs.Path()), {"--objects", "3"})).ExitStatus, 0);
  const size_t requests_before = target.Journal().size();

  const auto second = RunCli(RunArgs(target, second_logs.Path()));
  EXPECT_EQ(second.ExitStatus, 1);
  const auto entries = ReadLogFile(second_logs.Path()).Entries;
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries.back(), "ОШИБКА: УЖЕ ЕСТЬ ГРУППА Стационарные объекты");
  EXPECT_EQ(entries.size(), 6u);  // the search exchange and the verdict, no summary
  const auto journal = target.Journal();
  ASSERT_EQ(journal.size(), requests_before + 1);
  EXPECT_EQ(journal.back().rfind("POST /restapi/objs-groups/search/ ", 0), 0u);
}

TEST(CliRun, ARefusedGuardEndsTheRunBeforeTheObjects) {
  TStandIn target({"--refuse-guard", "3"});
  TScratchDir logs;
  const auto result = RunCli(RunArgs(target, logs.Path()));
  EXPECT_EQ(result.ExitStatus, 1);
  const auto entries = ReadLogFile(logs.Path()).Entries;
  ASSERT_FALSE(entries.empty());
  // The third team of the sample: 254 letters Я (its escaped quote fell to the length limit).
  std::string name;
  for (int i = 0; i < 254; ++i) name += "Я";
  EXPECT_EQ(entries.back(), "ОШИБКА СОЗДАНИЯ ГБР: " + name);
  const auto journal = target.Journal();
  EXPECT_EQ(BodiesTo(journal, "restapi/guards/create-guard/").size(), 3u);
  EXPECT_TRUE(BodiesTo(journal, "restapi/objects/create-standalone/").empty());
  EXPECT_EQ(std::count(entries.begin(), entries.end(), kRule), 0);
}

TEST(CliRun, AnObjectAnsweredWithAnotherExtIdIsListedAsNotExported) {
  TStandIn target({"--wrong-extid", "4660"});
  TScratchDir logs;
  const auto result = RunCli(RunArgs(target, logs.Path()));
  EXPECT_EQ(result.ExitStatus, 0) << result.Stderr;
  const auto entries = ReadLogFile(logs.Path()).Entries;
  EXPECT_NE(std::find(entries.begin(), entries.end(), "ОШИБКА ПРИ СОЗДАНИИ ОБЪЕКТА: (1234/4660)"),
            entries.end());
  EXPECT_EQ(SummaryOf(entries), Summary(12, 11, "1234/4660", kSampleWarnings));
  // Nothing more is sent for that object: its card would carry the id the platform gave it.
  EXPECT_EQ(BodiesTo(target.Journal(), "restapi/objects/obj-card-save/").size(), 11u);
}

TEST(CliRun, AnErrorStatusDuringTheObjectsIsReportedAndTheSummaryWritten) {
  TStandIn target({"--fail-at", "2", "--path", "restapi/objects/obj-card-save/"});
  TScratchDir logs;
  const auto result = RunCli(RunArgs(target, logs.Path()));
  EXPECT_EQ(result.ExitStatus, 1);
  const auto entries = EntriesAlsoPrinted(result, logs.Path());
  const auto failure = std::find(entries.begin(), entries.end(),
                                 "ОШИБКА СВЯЗИ С СЕРВЕРОМ: HTTP/1.0 500 Internal Server Error");
  ASSERT_NE(failure, entries.end());
  EXPECT_EQ((failure - 1)->rfind("URI: restapi/objects/obj-card-save/ ", 0), 0u);
  EXPECT_EQ(*(failure + 1), kRule);
  // Object 1 went through; object 2 failed at its card and nothing followed it.
  EXPECT_EQ(SummaryOf(entries), Summary(12, 1, "2/2", {}));
  EXPECT_EQ(BodiesTo(target.Journal(), "restapi/objects/create-standalone/").size(), 2u);
}

TEST(CliRun, RouteMapsAreUploadedReportedMissingOrLeftAloneByTheirName) {
  clitest::LoadSampleVariant("velmora_maps",
                             "UPDATE `obj` SET `s35` = 'maps\\\\plan.bmp' WHERE `id` = 3;\n"
                             "UPDATE `obj` SET `s35` = 'maps\\\\notes.png' WHERE `id` = 10;");
  TStandIn target;
  TScratchDir logs;
  const auto result =
      RunCli(With(RunArgs(target, logs.Path(), "velmora_maps"), {"--objects", "1, 3, 5, 7, 10"}));
  ASSERT_EQ(result.ExitStatus, 0) << result.Stderr;
  std::vector<std::string> upload_lines;
  for (const std::string& e : ReadLogFile(logs.Path()).Entries) {
    if (e.rfind("Отправляем файл: ", 0) == 0 || e.rfind("Файл не найден: ", 0) == 0 ||
        e.rfind("Ошибка при отправке файла: ", 0) == 0) {
      upload_lines.push_back(e);
    }
  }
  EXPECT_EQ(upload_lines, (std::vector<std::string>{
                              "Отправляем файл: maps\\\\obj1.png",
                              "Отправляем файл: maps\\\\obj5.jpg",
                              "Отправляем файл: D:\\\\Halvex\\\\maps\\\\missing.png",
                              "Файл не найден: D:\\\\Halvex\\\\maps\\\\missing.png",
                              "Отправляем файл: maps\\\\notes.png",
                          }));
  // The platform kept each file byte for byte under the name sent.
  const std::string maps = TCliProcess::FixturesDir() + "/maps/";
  std::vector<std::string> kept;
  for (const auto& file : std::filesystem::directory_iterator(target.StateFile() + ".pictures")) {
    kept.push_back(clitest::ReadFile(file.path().string()));
  }
  std::sort(kept.begin(), kept.end());
  std::vector<std::string> sent = {clitest::ReadFile(maps + "obj1.png"),
                                   clitest::ReadFile(maps + "obj5.jpg"),
                                   clitest::ReadFile(maps + "notes.png")};
  std::sort(sent.begin(), sent.end());
  EXPECT_EQ(kept, sent);
  const std::string state = target.State();
  for (const char* name : {"\"obj1.png\"", "\"obj5.jpg\"", "\"notes.png\""}) {
    EXPECT_NE(state.find(name), std::string::npos) << name;
  }
}

TEST(CliRun, CtrlCStopsBeforeTheNextObjectAndTheSummaryIsWritten) {
  TStandIn target({"--delay-ms", "1000", "--path", "restapi/objects/obj-card-save/"});
  TScratchDir logs;
  TCliProcess run(RunArgs(target, logs.Path()));
  ASSERT_TRUE(run.WaitForOutput("URI: restapi/objects/obj-card-save/"));
  run.Interrupt();
  const auto result = run.Wait();
  EXPECT_EQ(result.ExitStatus, 1);
  const auto entries = EntriesAlsoPrinted(result, logs.Path());
  // Object 1 finished its steps (its card, guards and route map); no other object was sent.
  EXPECT_EQ(SummaryOf(entries), Summary(12, 1, "", {}));
  const auto journal = target.Journal();
  EXPECT_EQ(BodiesTo(journal, "restapi/objects/create-standalone/").size(), 1u);
  EXPECT_EQ(BodiesTo(journal, "restapi/pictures/upload/").size(), 1u);
}

TEST(CliRun, AnObjectListThatSelectsNothingStillEndsWithTheSummary) {
  TStandIn target;
  TScratchDir logs;
  const auto result = RunCli(With(RunArgs(target, logs.Path()), {"--objects", "3-1"}));
  EXPECT_EQ(result.ExitStatus, 0) << result.Stderr;
  EXPECT_EQ(SummaryOf(ReadLogFile(logs.Path()).Entries), Summary(0, 0, "", {}));
}

TEST(CliRun, ASourceThatCannotBeReachedEndsTheRunBeforeAnyRequest) {
  TStandIn target;
  TScratchDir logs;
  const auto result = RunCli(RunArgs(target, logs.Path(), "no_such_database"));
  EXPECT_EQ(result.ExitStatus, 1);
  const auto entries = ReadLogFile(logs.Path()).Entries;
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].rfind("НЕТ СОЕДИНЕНИЯ С БАЗОЙ ДАННЫХ: ", 0), 0u) << entries[0];
  EXPECT_NE(entries[0].find("no_such_database"), std::string::npos) << entries[0];
  EXPECT_TRUE(target.Journal().empty());
}
