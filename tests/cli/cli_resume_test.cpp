// A migration that breaks and is finished later, against the stand-in whose
// state survives between runs: the resume sends exactly what an unbroken run
// would have sent, never an object twice unless asked; a resume that does
// not fit is refused before it changes anything. Also the check run, which
// contacts no platform, and the mapping file of old to new numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/cli/cli_harness.h"

namespace {

using namespace clitest;  // the harness is what these tests speak

const std::string kCardFails =
    R"({"kind": "status", "path": "restapi/objects/obj-card-save/", "at": 5})";
const std::string kThirdCreateAnswerLost =
    R"({"kind": "drop", "path": "restapi/objects/create-standalone/", "at": 3})";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The requests of an unbroken sample run that change the platform, in order.
std::vector<std::string> UnbrokenRequests() {
  std::vector<std::string> lines =
      Lines(ReadFile(std::string(HALVEX_CLI_TESTS) + "/sample_requests.txt"));
  lines.erase(std::remove_if(lines.begin(), lines.end(),
                             [](const std::string& line) {
                               return line.rfind("POST /restapi/objs-groups/search/", 0) == 0;
                             }),
              lines.end());
  return lines;
}

// The mapping rows of the whole sample: the stand-in's ids count from 1000.
std::string SampleMapping(const std::vector<std::string>& statuses) {
  const int ids[] = {1, 2, 3, 5, 7, 10, 31, 255, 1234, 9998, 10050, 12345};
  const int ext_ids[] = {1, 2, 3, 5, 7, 16, 49, 597, 4660, 39320, 50, 2345};
  std::string csv = "id,ext_id,marivon_id,status\n";
  for (size_t i = 0; i < statuses.size(); ++i) {
    const bool has_id = statuses[i] == "exported" || statuses[i] == "failed";
    csv += std::to_string(ids[i]) + "," + std::to_string(ext_ids[i]) + "," +
           (has_id ? std::to_string(1000 + i) : "") + "," + statuses[i] + "\n";
  }
  return csv;
}

std::vector<std::string> Repeat(const std::string& status, size_t times) {
  return std::vector<std::string>(times, status);
}

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The last line a run wrote on standard error.
std::string LastLine(const std::string& text) {
  const std::vector<std::string> lines = Lines(text);
  return lines.empty() ? std::string() : lines.back();
}

// The log file in `dir` other than `known`.
std::string OtherLogFile(const std::string& dir, const std::string& known) {
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string path = entry.path().string();
    if (entry.path().filename().string().rfind("Log_", 0) == 0 && path != known) return path;
  }
  return {};
}

size_t CountContaining(const std::vector<std::string>& lines, const std::string& text) {
  return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
    return l.find(text) != std::string::npos;
  }));
}

TEST(CliResume, ACardRefusedMidwayIsFinishedByThePrintedCommandWithoutDuplicates) {
  TStandIn target({"--fault", kCardFails});
  TScratchDir logs;
  const std::string mapping = logs / "mapping.csv";
  const auto broken = RunCli(With(RunArgs(target, logs.Path()), {"--mapping", mapping}));
  EXPECT_EQ(broken.ExitStatus, 1);
  const std::string first_log = LogFileIn(logs.Path());
  EXPECT_EQ(SummaryOf(ReadLogFileAt(first_log).Entries), Summary(12, 4, "7/7", kSampleWarnings));
  // Object 7 was created before its card failed: it has its id.
  EXPECT_EQ(ReadFile(mapping),
            SampleMapping(Join(Join(Repeat("exported", 4), {"failed"}), Repeat("skipped", 7))));

  // The last line on standard error resumes the run: the same options
  // plus --resume and the log.
  const std::string command = LastLine(broken.Stderr);
  ASSERT_NE(command.find(" --resume " + first_log), std::string::npos) << broken.Stderr;
  target.Fail({"--clear"});
  const std::string shell = "cd '" + TCliProcess::FixturesDir() + "' && " + command + " >'" +
                            (logs / "stdout") + "' 2>'" + (logs / "stderr") + "'";
  ASSERT_EQ(std::system(shell.c_str()), 0) << ReadFile(logs / "stderr");

  const TLogFile resumed = ReadLogFileAt(OtherLogFile(logs.Path(), first_log));
  ASSERT_FALSE(resumed.Entries.empty());
  EXPECT_EQ(resumed.Entries[0], "ПРОДОЛЖЕНИЕ ПЕРЕНОСА ПО ЖУРНАЛУ: " + first_log);
  EXPECT_EQ(ReadFile(logs / "stdout"), JoinLines(resumed.Entries));
  EXPECT_EQ(SummaryOf(resumed.Entries), Summary(12, 12, "", kSampleWarnings));
  EXPECT_EQ(target.Accepted(), UnbrokenRequests());
  EXPECT_EQ(ReadFile(mapping), SampleMapping(Repeat("exported", 12)));
}

TEST(CliResume, AStopBySigtermIsResumedToTheUnbrokenRequests) {
  TStandIn target({"--delay-ms", "1000", "--path", "restapi/objects/obj-card-save/"});
  TScratchDir logs;
  const std::string mapping = logs / "mapping.csv";
  TCliProcess run(With(RunArgs(target, logs.Path()), {"--mapping", mapping}));
  ASSERT_TRUE(run.WaitForOutput("URI: restapi/objects/obj-card-save/"));
  run.Terminate();
  const auto stopped = run.Wait();
  EXPECT_EQ(stopped.ExitStatus, 1);
  const auto entries = EntriesAlsoPrinted(stopped, logs.Path());
  EXPECT_EQ(SummaryOf(entries), Summary(12, 1, "", {}));
  EXPECT_NE(LastLine(stopped.Stderr).find(" --resume "), std::string::npos) << stopped.Stderr;
  // The objects after the stop were not reached.
  EXPECT_EQ(ReadFile(mapping), SampleMapping(Join({"exported"}, Repeat("skipped", 11))));

  target.Fail({"--clear"});
  TScratchDir more_logs;
  const auto resumed =
      RunCli(With(RunArgs(target, more_logs.Path()), {"--resume", LogFileIn(logs.Path())}));
  EXPECT_EQ(resumed.ExitStatus, 0) << resumed.Stderr;
  EXPECT_EQ(target.Accepted(), UnbrokenRequests());
}

TEST(CliResume, ALostCreateAnswerIsHeldUntilResendUncertainSendsItOnceFromAChain) {
  TStandIn target({"--fault", kThirdCreateAnswerLost});
  TScratchDir first_logs, second_logs, third_logs;
  const auto broken = RunCli(RunArgs(target, first_logs.Path()));
  EXPECT_EQ(broken.ExitStatus, 1);
  EXPECT_EQ(SummaryOf(ReadLogFile(first_logs.Path()).Entries), Summary(12, 2, "3/3", {}));
  target.Fail({"--clear"});

  const std::string mapping = second_logs / "mapping.csv";
  const auto held = RunCli(With(RunArgs(target, second_logs.Path()),
                                {"--resume", LogFileIn(first_logs.Path()), "--mapping", mapping}));
  EXPECT_EQ(held.ExitStatus, 1);
  const auto held_entries = ReadLogFile(second_logs.Path()).Entries;
  EXPECT_EQ(CountContaining(held_entries,
                            "НЕТ ОТВЕТА НА СОЗДАНИЕ ОБЪЕКТА, ПОВТОРНО НЕ ОТПРАВЛЯЕТСЯ: (3/3)"),
            1u);
  EXPECT_EQ(SummaryOf(held_entries), Summary(12, 11, "3/3", kSampleWarnings));
  // The held object has no id: the platform never told it. Ids 1002 on went
  // to the objects after it (the lost create took 1002 itself).
  const std::vector<std::string> rows = Lines(ReadFile(mapping));
  ASSERT_EQ(rows.size(), 13u);
  EXPECT_EQ(rows[3], "3,3,,uncertain");
  EXPECT_EQ(rows[4], "5,5,1003,exported");
  EXPECT_EQ(BodiesTo(target.Accepted(), "restapi/objects/create-standalone/").size(), 12u);

  // The second resume starts from the first resume's log alone.
  const size_t before = target.Accepted().size();
  const auto resent =
      RunCli(With(RunArgs(target, third_logs.Path()),
                  {"--resume", LogFileIn(second_logs.Path()), "--resend-uncertain"}));
  EXPECT_EQ(resent.ExitStatus, 0) << resent.Stderr;
  EXPECT_EQ(SummaryOf(ReadLogFile(third_logs.Path()).Entries),
            Summary(12, 12, "", kSampleWarnings));
  const std::vector<std::string> accepted = target.Accepted();
  ASSERT_EQ(accepted.size(), before + 2);
  EXPECT_NE(accepted[before].find(R"("extId": 3,)"), std::string::npos) << accepted[before];
  EXPECT_EQ(accepted[before + 1].rfind("POST /restapi/objects/obj-card-save/ {\"id\":1012,", 0), 0u)
      << accepted[before + 1];
}

TEST(CliResume, AResumeThatDoesNotFitIsRefusedBeforeAnythingIsMade) {
  TStandIn target({"--fault", kCardFails});
  TScratchDir first_logs;
  ASSERT_EQ(RunCli(RunArgs(target, first_logs.Path())).ExitStatus, 1);
  target.Fail({"--clear"});
  const std::string log = LogFileIn(first_logs.Path());
  const size_t requests = target.Journal().size();

  const struct {
    const char* name;
    std::vector<std::string> options;
    std::string last_line;
  } cases[] = {
      {"another prefix", {"--prefix", "5"}, "(1/1) № 1"},
      {"another object list", {"--objects", "2-12345"}, "(2/2) № 1"},
  };
  for (const auto& c : cases) {
    TScratchDir logs;
    // A mapping of an earlier run stays as it was.
    const std::string mapping = logs / "mapping.csv";
    { std::ofstream(mapping) << "earlier\n"; }
    const auto result = RunCli(With(
        With(RunArgs(target, logs.Path()), {"--resume", log, "--mapping", mapping}), c.options));
    EXPECT_EQ(ReadFile(mapping), "earlier\n") << c.name;
    EXPECT_EQ(result.ExitStatus, 1) << c.name;
    const auto entries = ReadLogFile(logs.Path()).Entries;
    ASSERT_FALSE(entries.empty()) << c.name;
    EXPECT_EQ(entries.back().rfind("ОШИБКА: ОБЪЕКТ НЕ СОВПАДАЕТ С ОТПРАВЛЕННЫМ", 0), 0u)
        << c.name << ": " << entries.back();
    EXPECT_NE(entries.back().find(c.last_line), std::string::npos) << entries.back();
    EXPECT_EQ(target.Journal().size(), requests) << c.name;
  }

  // A platform without the group: its search is the only request.
  TStandIn empty_target;
  TScratchDir logs;
  const auto result = RunCli(With(RunArgs(empty_target, logs.Path()), {"--resume", log}));
  EXPECT_EQ(result.ExitStatus, 1);
  EXPECT_EQ(ReadLogFile(logs.Path()).Entries.back(),
            "ОШИБКА: НА ПЛАТФОРМЕ НЕТ ГРУППЫ Стационарные объекты");
  const auto journal = empty_target.Journal();
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_EQ(journal[0].rfind("POST /restapi/objs-groups/search/ ", 0), 0u);
}

TEST(CliResume, ALogThatCannotBeResumedIsNamedAndNothingRuns) {
  TScratchDir dir;
  { std::ofstream(dir / "notes.txt") << "shopping list\r\n"; }
  { std::ofstream(dir / "check.log", std::ios::binary) << "Carvelmontrade 1.0.16\r\n"; }
  for (const std::string& file : {dir / "missing.log", dir / "notes.txt", dir / "check.log"}) {
    const auto result = RunCli({"--resume", file, "--log-dir", dir.Path()});
    EXPECT_EQ(result.ExitStatus, 2) << file;
    EXPECT_NE(result.Stderr.find(file), std::string::npos) << result.Stderr;
    EXPECT_EQ(result.Stdout, "");
  }
}

TEST(CliCheck, SendsNothingAndEndsWithTheSummaryOfARealRun) {
  TStandIn target;
  TScratchDir logs;
  const auto result =
      RunCli(With(RunArgs(target, logs.Path()), {"--check", "--objects", "1-99999, abc"}));
  EXPECT_EQ(result.ExitStatus, 0) << result.Stderr;
  EXPECT_TRUE(target.Journal().empty());
  const auto entries = EntriesAlsoPrinted(result, logs.Path());
  EXPECT_EQ(CountContaining(entries, "ПРОВЕРКА: ПРОПУЩЕН ЭЛЕМЕНТ СПИСКА ОБЪЕКТОВ: abc"), 1u);
  EXPECT_EQ(CountContaining(entries, "НЕВЕРНЫЙ JSON"), 0u);
  EXPECT_EQ(SummaryOf(entries), Summary(12, 12, "", kSampleWarnings));
}

TEST(CliCheck, NamesObjectsThatShareAnExternalNumberAndFailsWithoutTheSource) {
  LoadSampleVariant("velmora_shared",
                    "INSERT INTO `obj` (`id`, `obj`) VALUES (10016, 'Twin of 10');");
  TStandIn target;
  TScratchDir logs;
  const auto result = RunCli(With(RunArgs(target, logs.Path(), "velmora_shared"), {"--check"}));
  EXPECT_EQ(result.ExitStatus, 0) << result.Stderr;
  EXPECT_EQ(CountContaining(ReadLogFile(logs.Path()).Entries,
                            "ПРОВЕРКА: ОБЪЕКТЫ 10, 10016 ИМЕЮТ ОДИН ВНЕШНИЙ НОМЕР 16"),
            1u);

  TScratchDir other_logs;
  EXPECT_EQ(
      RunCli(With(RunArgs(target, other_logs.Path(), "no_such_database"), {"--check"})).ExitStatus,
      1);
  EXPECT_TRUE(target.Journal().empty());
}

}  // namespace
