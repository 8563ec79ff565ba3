// Runs of halvex-export-cli with several objects on their way to the
// platform at once: what they write reads as a run that sends one object
// after another, the platform receives the same requests, and stops and
// failures end them as they end that run.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <sstream>
#include <thread>

#include "tests/cli/cli_harness.h"

namespace {

using namespace clitest;  // the harness is what these tests speak

const std::string kCreate = "POST /restapi/objects/create-standalone/ ";
const std::string kCard = "POST /restapi/objects/obj-card-save/ ";
const std::string kGuards = "POST /restapi/objects/obj-add-guards/ ";

bool StartsWith(const std::string& text, const std::string& head) {
  return text.rfind(head, 0) == 0;
}

// The number after the first `key` in a request line ("" when none).
std::string NumberAfter(const std::string& line, const std::string& key) {
  size_t at = line.find(key);
  if (at == std::string::npos) return "";
  at += key.size();
  while (at < line.size() && line[at] == ' ') ++at;
  return line.substr(at, line.find_first_not_of("0123456789", at) - at);
}

// The object id named by a card or guard-link request line.
std::string ObjectIdOf(const std::string& line) {
  return StartsWith(line, kCard) ? NumberAfter(line, "{\"id\":")
                                 : NumberAfter(line, "\"objectId\":");
}

// The journal's request lines, each with the Accept header it came with:
// the run's one session carries the upload's value from the first upload on.
std::vector<std::string> WithAccept(const TStandIn& target) {
  std::vector<std::string> lines = target.Journal();
  const std::string records = clitest::ReadFile(target.StateFile() + ".journal");
  const std::string key = "[\"Accept\", \"";
  size_t at = 0;
  for (std::string& line : lines) {
    const size_t record_end = records.find('\n', at);
    const size_t accept = records.find(key, at);
    if (accept < record_end) {
      const size_t value = accept + key.size();
      line += " | Accept: " + records.substr(value, records.find('"', value) - value);
    }
    at = record_end + 1;
  }
  return lines;
}

// The rows of a mapping file without its header line.
std::vector<std::string> MappingRows(const std::string& file) {
  std::vector<std::string> rows;
  std::istringstream in(clitest::ReadFile(file));
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) rows.push_back(line);
  return rows;
}

std::vector<std::string> Sorted(std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  return lines;
}

// Where in `journal` the lines starting with `head` are.
size_t CountOf(const std::vector<std::string>& journal, const std::string& head) {
  return std::count_if(journal.begin(), journal.end(),
                       [&](const std::string& l) { return StartsWith(l, head); });
}

std::string FailedLine(const std::vector<std::string>& entries) {
  const std::string label = "Список не экспортированных объектов: ";
  for (const std::string& e : entries) {
    if (StartsWith(e, label)) return e.substr(label.size());
  }
  return "<none>";
}

int ExportedCount(const std::vector<std::string>& entries) {
  const std::string label = "Количество экспортированных объектов: ";
  for (const std::string& e : entries) {
    if (StartsWith(e, label)) return std::stoi(e.substr(label.size()));
  }
  return -1;
}

}  // namespace

TEST(CliParallel, TheSampleSentSideBySideReadsAsSentOneAfterAnother) {
  // Creates answered late: the objects after the first are on their way
  // before the first one's card can go.
  const std::vector<std::string> platform = {"--stable-ids", "--delay-ms", "300", "--path",
                                             "restapi/objects/create-standalone/"};
  TStandIn one_target(platform), side_target(platform);
  TScratchDir one_logs, side_logs;
  const auto one = RunCli(RunArgs(one_target, one_logs.Path()));
  const auto side = RunCli(With(RunArgs(side_target, side_logs.Path()), {"--parallel", "8"}));
  ASSERT_EQ(one.ExitStatus, 0) << one.Stderr;
  ASSERT_EQ(side.ExitStatus, 0) << side.Stderr;

  EXPECT_EQ(side.Stdout, one.Stdout);
  const auto one_log = ReadLogFile(one_logs.Path());
  const auto side_log = ReadLogFile(side_logs.Path());
  EXPECT_EQ(side_log.Header, one_log.Header);
  EXPECT_EQ(side_log.Entries, one_log.Entries);
  EXPECT_EQ(SummaryOf(side_log.Entries), Summary(12, 12, "", kSampleWarnings));

  const auto one_journal = one_target.Journal();
  const auto side_journal = side_target.Journal();
  EXPECT_EQ(Sorted(WithAccept(side_target)), Sorted(WithAccept(one_target)));
  // The object id each create got, from the run that sends a card right
  // after its object's create.
  std::map<std::string, std::string> create_of;
  for (size_t i = 0; i + 1 < one_journal.size(); ++i) {
    if (StartsWith(one_journal[i], kCreate) && StartsWith(one_journal[i + 1], kCard)) {
      create_of[ObjectIdOf(one_journal[i + 1])] = one_journal[i];
    }
  }
  ASSERT_EQ(create_of.size(), 12u);
  size_t first_card = side_journal.size();
  for (size_t i = 0; i < side_journal.size(); ++i) {
    const std::string& line = side_journal[i];
    if (!StartsWith(line, kCard) && !StartsWith(line, kGuards)) continue;
    first_card = std::min(first_card, i);
    const auto create =
        std::find(side_journal.begin(), side_journal.end(), create_of[ObjectIdOf(line)]);
    EXPECT_LT(create - side_journal.begin(), static_cast<long>(i)) << line;
  }
  const std::vector<std::string> before_first_card(side_journal.begin(),
                                                   side_journal.begin() + first_card);
  EXPECT_GT(CountOf(before_first_card, kCreate), 1u) << "the objects did not go side by side";
}

TEST(CliParallel, AnErrorStatusLetsTheObjectsOnTheirWayFinishAndStartsNoMore) {
  // The card of object 2 (the only one in Тверь) is answered 500, whenever it comes.
  TStandIn target({"--fault", R"({"kind": "status", "path": "restapi/objects/obj-card-save/",
                                   "match": "Тверь"})"});
  TScratchDir logs;
  const auto result = RunCli(With(RunArgs(target, logs.Path()), {"--parallel", "4"}));
  EXPECT_EQ(result.ExitStatus, 1);
  const auto entries = EntriesAlsoPrinted(result, logs.Path());
  const auto failure = std::find(entries.begin(), entries.end(),
                                 "ОШИБКА СВЯЗИ С СЕРВЕРОМ: HTTP/1.0 500 Internal Server Error");
  ASSERT_NE(failure, entries.end());
  EXPECT_TRUE(StartsWith(*(failure - 1), "URI: restapi/objects/obj-card-save/ "));
  // Object 2 failed at its card; the objects started beside it finished and
  // count as exported; none started once its failure was known (object 2
  // was the second of four at most on their way).
  EXPECT_EQ(FailedLine(entries), "2/2");
  const auto journal = target.Journal();
  const size_t created = CountOf(journal, kCreate);
  EXPECT_GE(created, 2u);
  EXPECT_LE(created, 5u);
  EXPECT_EQ(ExportedCount(entries), static_cast<int>(created) - 1);
  EXPECT_EQ(CountOf(journal, kCard), created);
}

TEST(CliParallel, CtrlCOrSigtermLetsTheObjectsOnTheirWayFinishAndWritesTheSummary) {
  for (const bool sigterm : {false, true}) {
    SCOPED_TRACE(sigterm ? "SIGTERM" : "SIGINT");
    TStandIn target({"--delay-ms", "2000", "--path", "restapi/objects/obj-card-save/"});
    TScratchDir logs;
    TCliProcess run(With(RunArgs(target, logs.Path()), {"--parallel", "4"}));
    // Stopped once an object is on its way: its card is being answered.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (CountOf(target.Journal(), kCard) == 0 && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    sigterm ? run.Terminate() : run.Interrupt();
    const auto result = run.Wait();
    EXPECT_EQ(result.ExitStatus, 1);
    const auto entries = EntriesAlsoPrinted(result, logs.Path());
    // What was on its way went through whole; nothing started after the stop.
    const auto journal = target.Journal();
    const size_t created = CountOf(journal, kCreate);
    EXPECT_GE(created, 1u);
    EXPECT_LE(created, 4u);
    EXPECT_EQ(CountOf(journal, kCard), created);
    EXPECT_EQ(ExportedCount(entries), static_cast<int>(created));
    EXPECT_EQ(FailedLine(entries), "");
  }
}

TEST(CliParallel, ARunBrokenWhileObjectsWereOnTheirWayIsResumedWithoutDuplicates) {
  // Object 7's card (the only one with its second SIM) is refused, whenever it comes.
  const std::string card_of_7_fails =
      R"({"kind": "status", "path": "restapi/objects/obj-card-save/", "match": "89167777777"})";
  TStandIn target({"--stable-ids", "--fault", card_of_7_fails}), unbroken_target({"--stable-ids"});
  TScratchDir logs, more_logs, unbroken_logs;
  const std::string mapping = logs / "mapping.csv";
  const auto broken =
      RunCli(With(RunArgs(target, logs.Path()), {"--parallel", "4", "--mapping", mapping}));
  EXPECT_EQ(broken.ExitStatus, 1);
  EXPECT_EQ(FailedLine(ReadLogFile(logs.Path()).Entries), "7/7");
  // The rows follow object order; object 7 has the id its create was given.
  const auto rows = MappingRows(mapping);
  ASSERT_EQ(rows.size(), 12u);
  EXPECT_EQ(rows[4].substr(0, 4), "7,7,");
  EXPECT_NE(rows[4].find(",failed"), std::string::npos);
  EXPECT_NE(rows[4], "7,7,,failed");

  target.Fail({"--clear"});
  const auto resumed =
      RunCli(With(RunArgs(target, more_logs.Path()),
                  {"--parallel", "4", "--resume", LogFileIn(logs.Path()), "--mapping", mapping}));
  EXPECT_EQ(resumed.ExitStatus, 0) << resumed.Stderr;
  const auto entries = EntriesAlsoPrinted(resumed, more_logs.Path());
  EXPECT_EQ(SummaryOf(entries), Summary(12, 12, "", kSampleWarnings));
  for (const std::string& row : MappingRows(mapping)) {
    EXPECT_NE(row.find(",exported"), std::string::npos) << row;
  }

  // Both runs together carried out what one unbroken run does, each object once.
  ASSERT_EQ(RunCli(RunArgs(unbroken_target, unbroken_logs.Path())).ExitStatus, 0);
  EXPECT_EQ(Sorted(target.Accepted()), Sorted(unbroken_target.Accepted()));
}
